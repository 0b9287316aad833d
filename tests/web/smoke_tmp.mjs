import {serve, launch, open_page, settled, tap} from './harness.mjs';
const server = await serve('/work/wt13/build-web/site');
const browser = await launch();
for (let i = 0; i < 6; i++) {
const ctx = await browser.createBrowserContext();
const page = await ctx.newPage();
page.on('console', m => console.log('console', m.type(), m.text()));
await page.goto(server.url);
await settled(page);
await new Promise(r => setTimeout(r, 300));
await tap(page, 200, 280);
await tap(page, 115, 178);
console.log(await page.evaluate(() => JSON.stringify([quarnel.first_frame_ms, quarnel.first_rest_ms, quarnel.tap_ms, quarnel.sounds_started])));
await ctx.close();
}
await browser.close(); await server.close();
