// web_test.mjs -- the web page in Debian's chromium, against quarnel-headless: the same
// frames bit for bit, taps with a finger, offline starts, a phone's viewport, sound, and
// the message dialog for missing and damaged files.
//
//   node --test tests/web/web_test.mjs
// Environment: QUARNEL_SITE (build-web/site), QUARNEL_HEADLESS (build/tools/quarnel-headless),
// QUARNEL_INSTALL (build/install_folder), QUARNEL_TEST_OUT (build/test_output/web).

import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import zlib from 'node:zlib';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {PNG} from 'pngjs';
import {serve, launch, open_page, settled, tap, canvas_pixels, PHONE, DESKTOP} from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const SITE = process.env.QUARNEL_SITE || path.join(root, 'build-web/site');
const HEADLESS = process.env.QUARNEL_HEADLESS || path.join(root, 'build/tools/quarnel-headless');
const INSTALL = process.env.QUARNEL_INSTALL || path.join(root, 'build/install_folder');
const OUT = process.env.QUARNEL_TEST_OUT || path.join(root, 'build/test_output/web');
const CLOCK = 4242; // the deal of both readings

// [SECTION] quarnel-headless

// Runs the runner on a script; returns its log lines. Shots go into shots_dir.
function run_headless(script, shots_dir, options = []) {
  fs.mkdirSync(shots_dir, {recursive: true});
  const script_file = path.join(shots_dir, 'session.script');
  fs.writeFileSync(script_file, script);
  const run = spawnSync(HEADLESS, ['--script', script_file, '--shots', shots_dir, ...options],
                        {encoding: 'utf8'});
  assert.equal(run.status, 0, `quarnel-headless failed: ${run.stderr}`);
  return run.stdout.split('\n').filter((line) => line !== '');
}

// The message boxes of a runner's log, "caption|text" each.
function logged_messages(log) {
  return log.filter((line) => / message /.test(line)).map((line) => line.replace(/^\d+ message /, ''));
}

// A copy of the install folder with one file changed (null bytes: removed).
function install_copy(name, relative, change) {
  const copy = path.join(OUT, name);
  fs.rmSync(copy, {recursive: true, force: true});
  fs.cpSync(INSTALL, copy, {recursive: true});
  const file = path.join(copy, relative);
  const bytes = change(fs.readFileSync(file));
  if (bytes === null) fs.rmSync(file); else fs.writeFileSync(file, bytes);
  return copy;
}

// [SECTION] Frames

// Compares the canvas with a runner's PNG shot, pixel by pixel; on a difference writes the
// canvas beside the shot as NAME.canvas.png.
function assert_same_frame(rgba, shot_file) {
  const shot = PNG.sync.read(fs.readFileSync(shot_file));
  assert.equal(shot.width, 240);
  assert.equal(shot.height, 320);
  let differ = 0, first = -1;
  for (let i = 0; i < 240 * 320; i++) {
    const a = i * 4;
    if (rgba[a] !== shot.data[a] || rgba[a + 1] !== shot.data[a + 1] || rgba[a + 2] !== shot.data[a + 2] ||
        rgba[a + 3] !== 255) {
      differ++;
      if (first < 0) first = i;
    }
  }
  if (differ) {
    const actual = new PNG({width: 240, height: 320});
    rgba.copy(actual.data);
    fs.writeFileSync(shot_file.replace(/\.png$/, '.canvas.png'), PNG.sync.write(actual));
  }
  assert.equal(differ, 0, `${path.basename(shot_file)}: ${differ} pixels differ, the first at ` +
               `(${first % 240}, ${Math.floor(first / 240)}); the canvas is beside the shot`);
}

// Closes every message dialog the program shows, with a finger on OK, until it rests or
// ends; returns their texts as "caption|text".
async function dismiss_messages(page) {
  const seen = [];
  await settled(page);
  while (await page.evaluate(() => quarnel.dialog_open)) {
    seen.push(await page.evaluate(() => document.getElementById('message-caption').textContent + '|' +
                                        document.getElementById('message-text').textContent));
    const shown = await page.evaluate(() => quarnel.messages.length);
    await page.tap('#message-ok');
    await page.waitForFunction((shown) => !quarnel.dialog_open || quarnel.messages.length > shown,
                               {timeout: 5000, polling: 10}, shown);
    await settled(page);
  }
  return seen;
}

function assert_no_problems(page) {
  assert.deepEqual(page.problems, [], 'console errors or uncaught exceptions');
}

// [SECTION] Set-up

let browser;
const title_shots = path.join(OUT, 'title');

before(async () => {
  for (const [what, file] of [['the web site (./quarnel.sh web, or build-web)', path.join(SITE, 'quarnel.wasm')],
                              ['quarnel-headless', HEADLESS], ['the install folder', INSTALL]])
    assert.ok(fs.existsSync(file), `${what} is missing: ${file}`);
  fs.mkdirSync(OUT, {recursive: true});
  run_headless('shot title\n', title_shots);
  browser = await launch();
});

after(async () => {
  if (browser) await browser.close();
});

// Each test serves the site at its own port: its own origin, so no service worker, cache or
// storage of another test reaches it.
async function with_site(change, body, headers = {}) {
  const server = await serve(SITE, change, headers);
  const context = await browser.createBrowserContext();
  try {
    await body(server, context);
  } finally {
    await context.close();
    await server.close();
  }
}

// [SECTION] Tests

test('the first frame is the title frame quarnel-headless shows, bit for bit', async () => {
  await with_site(null, async (server, context) => {
    const page = await open_page(context, server.url, DESKTOP);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    assert_no_problems(page);
  });
});

test('a love and a past reading tapped with a finger show every frame the runner shoots', async () => {
  const script = fs.readFileSync(path.join(here, 'readings.script'), 'utf8');
  const shots = path.join(OUT, 'readings');
  fs.rmSync(shots, {recursive: true, force: true});
  run_headless(script, shots, ['--clock', String(CLOCK)]);
  await with_site(null, async (server, context) => {
    const page = await open_page(context, `${server.url}?clock=${CLOCK}`, PHONE);
    await settled(page);
    let compared = 0;
    for (const raw of script.split('\n')) {
      const words = raw.replace(/#.*/, '').trim().split(/\s+/);
      if (words[0] === 'tap') {
        await tap(page, Number(words[1]), Number(words[2]));
      } else if (words[0] === 'shot') {
        assert_same_frame(await canvas_pixels(page), path.join(shots, `${words[1]}.png`));
        if (words[1] === 'love-card-10') await page.screenshot({path: path.join(OUT, 'phone-love-reading.png')});
        compared++;
      }
    }
    assert.equal(compared, script.match(/^shot /gm).length);
    assert.equal(await page.evaluate(() => quarnel.ended), false);
    assert_no_problems(page);
  });
});

test('a server that sends the packed folder gzip-encoded works as well as one that does not', async () => {
  const encoded = (name) => (name.endsWith('.gz') ? {'Content-Encoding': 'gzip'} : {});
  await with_site(null, async (server, context) => {
    const page = await open_page(context, server.url, DESKTOP);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    assert_no_problems(page);
  }, encoded);
});

test('a reload with the network cut off starts from the service worker', async () => {
  await with_site(null, async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await settled(page);
    // The worker has kept every file and controls the page.
    await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      if (!navigator.serviceWorker.controller)
        await new Promise((resolve) => navigator.serviceWorker.addEventListener('controllerchange', resolve));
    });
    await server.close();
    await page.reload();
    await settled(page);
    assert.equal(await page.evaluate(() => quarnel.failure), null);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    await tap(page, 200, 280);
    assert.equal(await page.evaluate(() => quarnel.ended), false);
    assert_no_problems(page);
  });
});

test('a phone shows the whole display without scroll bars, and a tap on Start opens the menu', async () => {
  const shots = path.join(OUT, 'phone');
  run_headless('tap 200 280\nshot menu\n', shots);
  await with_site(null, async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await settled(page);
    const fit = await page.evaluate(() => {
      const box = document.getElementById('display').getBoundingClientRect();
      const root = document.documentElement;
      return {left: box.left, top: box.top, right: box.right, bottom: box.bottom, width: box.width,
              height: box.height, inner_width: innerWidth, inner_height: innerHeight,
              scroll_width: root.scrollWidth, scroll_height: root.scrollHeight, ratio: devicePixelRatio};
    });
    assert.equal(fit.inner_width, 360);
    assert.ok(fit.left >= 0 && fit.top >= 0 && fit.right <= fit.inner_width && fit.bottom <= fit.inner_height,
              `the display lies outside the viewport: ${JSON.stringify(fit)}`);
    assert.ok(fit.scroll_width <= fit.inner_width && fit.scroll_height <= fit.inner_height,
              `the page scrolls: ${JSON.stringify(fit)}`);
    // The largest whole factor of device pixels: 4 x 240 = 960 of the phone's 1080.
    assert.ok(Math.abs(fit.width * fit.ratio - 960) < 0.5 && Math.abs(fit.height * fit.ratio - 1280) < 0.5,
              `not 4 device pixels a display pixel: ${JSON.stringify(fit)}`);
    await page.screenshot({path: path.join(OUT, 'phone-title.png')});
    await tap(page, 200, 280);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'menu.png'));
    await page.screenshot({path: path.join(OUT, 'phone-menu.png')});
    assert_no_problems(page);
  });
});

test('the manifest makes the page installable: names, standalone portrait, colours and icons', async () => {
  await with_site(null, async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await settled(page);
    const found = await page.evaluate(async () => {
      const link = document.querySelector('link[rel="manifest"]');
      const manifest = await (await fetch(link.href)).json();
      const icons = [];
      for (const icon of manifest.icons) {
        const image = new Image();
        image.src = icon.src;
        await image.decode();
        const canvas = document.createElement('canvas');
        canvas.width = image.naturalWidth, canvas.height = image.naturalHeight;
        const context = canvas.getContext('2d');
        context.drawImage(image, 0, 0);
        const corner = context.getImageData(0, 0, 1, 1).data[3];
        const middle = context.getImageData(canvas.width >> 1, canvas.height >> 1, 1, 1).data[3];
        icons.push([icon.sizes, icon.purpose, `${image.naturalWidth}x${image.naturalHeight}`, corner, middle]);
      }
      const theme = document.querySelector('meta[name="theme-color"]').content;
      return {manifest, icons, theme, title: document.title};
    });
    const m = found.manifest;
    assert.deepEqual([m.name, m.short_name, m.display, m.orientation, m.start_url],
                     ['Quarnel', 'Quarnel', 'standalone', 'portrait', './']);
    assert.match(m.theme_color, /^#[0-9a-f]{6}$/);
    assert.equal(found.theme, m.theme_color);
    assert.equal(found.title, 'Quarnel');
    // Each icon decodes at its stated size; the card fills the middle; only the maskable one
    // is opaque to its corners, so that a launcher may cut it to any shape.
    assert.deepEqual(found.icons, [['192x192', 'any', '192x192', 0, 255], ['512x512', 'any', '512x512', 0, 255],
                                   ['512x512', 'maskable', '512x512', 255, 255]]);
    assert_no_problems(page);
  });
});

test('a tap that plays a sound starts one Web Audio source, and none plays before the first tap', async () => {
  await with_site(null, async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await settled(page);
    assert.equal(await page.evaluate(() => quarnel.sounds_started), 0); // start.wav, before any tap
    await tap(page, 200, 280); // Start: ico.wav
    const sound = await page.evaluate(() => [quarnel.sounds_started, quarnel.last_sound]);
    assert.deepEqual(sound, [1, '/quarnel/sound/ico.wav']);
    await tap(page, 115, 178); // Love: ico.wav again, from the same decoded samples
    assert.equal(await page.evaluate(() => quarnel.sounds_started), 2);
    assert_no_problems(page);
  });
});

test('a missing picture shows the desktop message in the page dialog, then the page shows the end', async () => {
  const folder = install_copy('missing-menu', 'picture/menu.nbf', () => null);
  const expected = logged_messages(run_headless('tap 200 280\n', path.join(OUT, 'missing-shots'),
                                                ['--install-dir', folder]));
  assert.equal(expected[0], '|567768354645');
  const hide = (name, bytes) => {
    if (name !== 'quarnel.js') return null;
    const text = bytes.toString('utf8');
    const entry = '"filename":"/quarnel/picture/menu.nbf"';
    assert.ok(text.includes(entry), 'the packed folder lists menu.nbf');
    return Buffer.from(text.replace(entry, '"filename":"/quarnel/picture/gone.nbf"'));
  };
  await with_site(hide, async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await settled(page);
    await tap(page, 200, 280);
    assert.equal(await page.evaluate(() => quarnel.dialog_open), true);
    const shown = await page.evaluate(() => [document.getElementById('message').open,
                                             document.getElementById('message-caption').textContent,
                                             document.getElementById('message-text').textContent]);
    assert.deepEqual(shown, [true, '', '567768354645']);
    assert.equal(await page.evaluate(() => quarnel.ended), false); // the program waits for OK
    assert.deepEqual(await dismiss_messages(page), expected);
    assert.deepEqual(await page.evaluate(() => quarnel.messages), expected);
    assert.equal(await page.evaluate(() => quarnel.ended), true);
    const end = await page.evaluate(() => [quarnel.exit_code, document.getElementById('ended').hidden,
                                           document.getElementById('ended-title').textContent]);
    assert.deepEqual(end, [0, false, 'Quarnel has ended']);
    await page.screenshot({path: path.join(OUT, 'phone-ended.png')});
    // Start again: a new program, from the title screen.
    await page.tap('#ended-again');
    await page.waitForNavigation();
    await settled(page);
    assert.equal(await page.evaluate(() => quarnel.ended), false);
    assert_no_problems(page);
  });
});

test('a damaged packed file gives the desktop messages, never a blank page or an exception', async () => {
  // The card sheet's header claims a picture far larger than its buffer.
  const damage = (bytes) => {
    const copy = Buffer.from(bytes);
    copy.writeUInt32LE(0x7fffffff, 4);
    return copy;
  };
  const folder = install_copy('damaged-card', 'picture/card.nbf', damage);
  // No taps: the damage is found at start-up, which then ends the program.
  const expected = logged_messages(run_headless('', path.join(OUT, 'damaged-shots'),
                                                ['--install-dir', folder]));
  assert.ok(expected.length >= 1, 'the runner reports the damage');
  const listing = /"filename":"\/quarnel\/picture\/card\.nbf","start":(\d+),"end":(\d+)/.exec(
      fs.readFileSync(path.join(SITE, 'quarnel.js'), 'utf8'));
  assert.ok(listing, 'the packed folder lists card.nbf');
  const where = Number(listing[1]);
  // The page fetches the packed folder gzip-compressed (quarnel.data.gz).
  const change = (name, bytes) => {
    if (name !== 'quarnel.data.gz') return null;
    const packed = zlib.gunzipSync(bytes);
    packed.set(damage(packed.subarray(where, where + 28)), where);
    return zlib.gzipSync(packed);
  };
  await with_site(change, async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await settled(page);
    const seen = await dismiss_messages(page);
    assert.deepEqual(seen, expected);
    assert.deepEqual(await page.evaluate(() => quarnel.messages), expected);
    assert.equal(await page.evaluate(() => quarnel.failure), null);
    assert.equal(await page.evaluate(() => quarnel.ended), true);
    assert_no_problems(page);
  });
});

test('a page whose packed folder cannot be fetched says so, rather than staying blank', async () => {
  await with_site((name) => (name.startsWith('quarnel.data') ? false : null), async (server, context) => {
    const page = await open_page(context, server.url, PHONE);
    await page.waitForFunction(() => quarnel.failure !== null, {timeout: 20000});
    const shown = await page.evaluate(() => [document.getElementById('ended').hidden,
                                             document.getElementById('ended-title').textContent,
                                             document.getElementById('ended-text').textContent]);
    assert.equal(shown[0], false);
    assert.equal(shown[1], 'Quarnel could not start');
    assert.match(shown[2], /quarnel\.data.*404/);
    // The browser reports the failed request itself; nothing else went wrong.
    assert.deepEqual(page.problems.filter((problem) => !/404/.test(problem)), []);
  });
});


// [SECTION] Keeping a reading: the screen reader's region, Copy, Share, Save picture

// The meaning of "NAME, upright" (or reversed) as the card texts' source files give it, its
// lines joined into one.
function source_meaning(heading) {
  const folder = path.join(root, 'tools/card_texts');
  for (const file of fs.readdirSync(folder).filter((name) => name.endsWith('.txt'))) {
    const lines = fs.readFileSync(path.join(folder, file), 'utf8').split('\n');
    const at = lines.findIndex((line) => /^== \d+ /.test(line) && line.replace(/^== \d+ /, '') === heading);
    if (at < 0) continue;
    const body = [];
    for (let i = at + 1; i < lines.length && lines[i].trim() !== '' && !lines[i].startsWith('=='); i++)
      body.push(lines[i].trim());
    return body.join(' ');
  }
  return null;
}

// What the page shows around the canvas: the region's text, and which keep buttons work.
function page_keep_state(page) {
  return page.evaluate(() => {
    const region = document.getElementById('screen-text');
    const box = region.getBoundingClientRect();
    return {text: region.textContent, live: region.getAttribute('aria-live'), seen: box.width > 1 || box.height > 1,
            copy: !document.getElementById('keep-copy').disabled,
            share: !document.getElementById('keep-share').disabled,
            save: !document.getElementById('keep-save').disabled,
            frames: quarnel.frames, taps: quarnel.taps_seen, texts: quarnel.screen_texts};
  });
}

test('the screen reader region follows the screens, and the keep buttons copy, share and save a love reading', async () => {
  const script = 'shot title\ntap 200 280\nshot menu\ntap 115 178\nshot love-shuffle\ntap 120 220\ntap 230 300\n' +
                 'shot love-table\ntext love-table\ntap 120 191\nshot love-card-1\ntext love-card-1\n' +
                 'tap 230 300\nshot love-menu\n';
  const shots = path.join(OUT, 'keep');
  fs.rmSync(shots, {recursive: true, force: true});
  run_headless(script, shots, ['--clock', String(CLOCK)]);
  const card_text = fs.readFileSync(path.join(shots, 'love-card-1.txt'), 'utf8');
  const table_text = fs.readFileSync(path.join(shots, 'love-table.txt'), 'utf8');
  // The turned card's name and orientation, and its meaning from the card texts' sources.
  const turned = /^Card 1 of 10: .*\n([^.\n]+, (?:upright|reversed))\./m.exec(card_text);
  assert.ok(turned, `the runner's text names the first card: ${card_text.slice(0, 200)}`);
  const meaning = source_meaning(turned[1]);
  assert.ok(meaning && meaning.length > 100, `no meaning for ${turned[1]} in tools/card_texts`);

  await with_site(null, async (server, context) => {
    await context.overridePermissions(server.url.replace(/\/$/, ''),
                                      ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
    const page = await open_page(context, `${server.url}?clock=${CLOCK}`, PHONE);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'title.png'));
    let state = await page_keep_state(page);
    assert.deepEqual([state.live, state.seen, state.copy, state.share, state.save], ['polite', false, false, false, true]);
    assert.match(state.text, /^Quarnel, title screen\. Buttons: Start, Exit\.$/);

    // The region changes once a screen, however many steps the screen runs.
    await tap(page, 200, 280);
    state = await page_keep_state(page);
    assert.equal(state.text, 'Menu. Buttons: Desire, Today, Past, Love, Business, Money, About Tarot, About Quarnel, Exit.');
    assert.equal(state.texts, 2);
    await tap(page, 115, 178);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-shuffle.png'));
    assert.match((await page_keep_state(page)).text, /^Love reading, shuffle screen: .*Buttons: Deck, Next, Back\.$/);
    await tap(page, 120, 220);
    await tap(page, 230, 300);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-table.png'));
    state = await page_keep_state(page);
    assert.equal(state.text, 'Love reading, card table: 0 of 10 cards turned. Buttons: the 10 cards, Exit, Menu.\n\n' +
                 table_text);
    assert.deepEqual([state.copy, state.share], [true, true]);

    await tap(page, 120, 191);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-card-1.png'));
    state = await page_keep_state(page);
    assert.ok(state.text.startsWith('Love reading, card table: 1 of 10 cards turned. Buttons: the 10 cards, ' +
                                    "the meaning's Up and Down, Exit, Menu.\n\n"), state.text.slice(0, 120));
    assert.ok(state.text.endsWith(card_text), 'the region holds the reading text the runner writes');
    assert.ok(state.text.includes(meaning),
              `the region lacks ${turned[1]} and its meaning`);

    // Copy: the reading's text on the clipboard; the program sees no tap and shows no frame.
    await page.bringToFront();
    await page.tap('#keep-copy');
    await page.waitForFunction(() => document.getElementById('keep-status').textContent !== '', {timeout: 5000});
    assert.equal(await page.evaluate(() => document.getElementById('keep-status').textContent), 'Copied');
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), card_text);

    // Share: the Web Share API where the page has it, else a copy.
    const shared = await page.evaluate(async () => {
      const given = [];
      navigator.share = (data) => { given.push(data); return Promise.resolve(); };
      document.getElementById('keep-share').click();
      await new Promise((resolve) => setTimeout(resolve, 50));
      delete navigator.share;
      await navigator.clipboard.writeText('');
      document.getElementById('keep-share').click();
      await new Promise((resolve) => setTimeout(resolve, 200));
      return {given, copied: await navigator.clipboard.readText()};
    });
    assert.deepEqual(shared.given, [{title: 'Quarnel: Love reading', text: card_text}]);
    assert.equal(shared.copied, card_text);

    // Save picture: the display as a 240 x 320 PNG named by date and time.
    await page.evaluate(() => {
      window.saved = [];
      HTMLAnchorElement.prototype.click = function() { saved.push({name: this.download, url: this.href}); };
    });
    await page.tap('#keep-save');
    await page.waitForFunction(() => saved.length === 1, {timeout: 5000});
    const saved = await page.evaluate(async () => {
      const bytes = new Uint8Array(await (await fetch(saved[0].url)).arrayBuffer());
      let text = '';
      for (const byte of bytes) text += String.fromCharCode(byte);
      return {name: saved[0].name, png: btoa(text)};
    });
    assert.match(saved.name, /^quarnel-\d{4}-\d{2}-\d{2}-\d{6}\.png$/);
    const picture = PNG.sync.read(Buffer.from(saved.png, 'base64'));
    assert.deepEqual([picture.width, picture.height], [240, 320]);
    assert_same_frame(picture.data, path.join(shots, 'love-card-1.png'));

    const after_keep = await page_keep_state(page);
    assert.deepEqual([after_keep.frames, after_keep.taps, after_keep.texts], [state.frames, state.taps, state.texts],
                     'the keep buttons gave the program a tap or a frame');
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-card-1.png'));

    // Off the card table there is no reading to copy.
    await tap(page, 230, 300);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-menu.png'));
    state = await page_keep_state(page);
    assert.deepEqual([state.text.startsWith('Menu.'), state.copy, state.share], [true, false, false]);
    await page.screenshot({path: path.join(OUT, 'phone-keep.png')});
    assert_no_problems(page);
  });
});
