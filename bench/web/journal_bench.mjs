// journal_bench.mjs -- the journal panel's budgets in Debian's chromium, with the generated
// journal of 10,000 entries (quarnel_journal_bench --write-journal): reading it and every
// statistic in the page's WebAssembly, the panel opening to its first entries, and keeping
// one entry in IndexedDB beside the 10,000.
//
//   node bench/web/journal_bench.mjs [SITE_DIR] [NATIVE_BUILD_DIR]
// (defaults build-web/site and build; needs tests/web/node_modules: npm ci there, and
// NATIVE_BUILD_DIR/quarnel_journal_bench.)

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {spawnSync} from 'node:child_process';
import {fileURLToPath} from 'node:url';
import {serve, launch, settled, tap, tap_element, sleep, PHONE} from '../../tests/web/harness.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const SITE = path.resolve(process.argv[2] || path.join(root, 'build-web/site'));
const NATIVE = path.resolve(process.argv[3] || path.join(root, 'build'));
const RUNS = 7;

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};
const ms = (value) => value.toFixed(1);

const file = path.join(os.tmpdir(), `quarnel-journal-bench-${process.pid}.md`);
const made = spawnSync(path.join(NATIVE, 'quarnel_journal_bench'), ['--write-journal', file], {encoding: 'utf8'});
if (made.status !== 0) throw new Error(`quarnel_journal_bench --write-journal failed: ${made.stderr}`);
const text = fs.readFileSync(file, 'utf8');
fs.rmSync(file);

const server = await serve(SITE);
const browser = await launch('chromium');
const context = await browser.new_context();
const page = await context.open(`${server.url}?clock=4242`, PHONE);
await settled(page);

// Reading the journal and every statistic in the page's WebAssembly: the text written in,
// parsed, the figures computed and handed back as JSON.
const parse = [];
for (let run = 0; run < RUNS; run++) {
  parse.push(await page.evaluate((text) => {
    const started = performance.now();
    const count = jw_load(0, text);
    const stats = jw_json('stats', [0, '', '', '']);
    if (count !== 10000 || stats.readings !== 10000) throw new Error(`read ${count} entries, counted ${stats.readings}`);
    return performance.now() - started;
  }, text));
}
const memory = await page.evaluate(() => Module.HEAP8.length / 1048576);

// The 10,000 entries kept in IndexedDB, as an import adds them.
const import_started = Date.now();
await page.evaluate((text) => {
  document.getElementById('keep-journal').click();
  journal_import_text(text, 'bench.md');
}, text);
await page.wait_for(() => !document.getElementById('journal-import-add').hidden, {timeout: 120000});
await page.evaluate(() => document.getElementById('journal-import-add').click());
await page.wait_for(() => quarnel.journal.import_summary === 'Added 10000 readings.', {timeout: 120000});
const imported = Date.now() - import_started;

// Opening the panel on a freshly loaded page, to its first entries shown, and to every
// summary in the list.
const open = [], whole = [];
for (let run = 0; run < RUNS; run++) {
  await page.reload();
  await settled(page);
  await tap_element(page, '#keep-journal');
  await page.wait_for(() => quarnel.journal.open_ms !== null &&
                            // the 10,000, and the card of the day the first start kept
                            /^10001 readings$/.test(document.getElementById('journal-count').textContent), {timeout: 30000});
  open.push(await page.evaluate(() => quarnel.journal.open_ms));
  whole.push(await page.evaluate(() => quarnel.journal.all_rows_ms));
}

// The Statistics tab from the stored journal: every entry read from IndexedDB, then counted.
await page.evaluate(() => document.getElementById('journal-tab-stats').click());
await page.wait_for(() => quarnel.journal.stats && quarnel.journal.stats.readings === 10000, {timeout: 60000});
const tab = await page.evaluate(() => quarnel.journal.stats_tab_ms);

// A card's count on its page (journal_card_count): with every entry read from IndexedDB
// first, with the journal in the page's WebAssembly already, and from the cache.
const count_ms = await page.evaluate(async () => {
  const timed = async () => {
    const started = performance.now();
    const count = await journal_card_count(18);
    if (typeof count !== 'number') throw new Error(`no count: ${count}`);
    return performance.now() - started;
  };
  changed();
  const from_storage = await timed();
  journal.card_counts = null;
  return [from_storage, await timed(), await timed()];
});

// Keeping one entry beside the 10,000: five desire readings played and left.
await page.evaluate(() => document.getElementById('journal-close').click());
await tap(page, 200, 280);
for (let n = 0; n < 5; n++)
  for (const [x, y] of [[110, 118], [120, 220], [230, 300], [120, 230], [230, 300]]) await tap(page, x, y);
await page.wait_for(() => quarnel.journal.keep_ms.length === 5, {timeout: 30000});
const keep = await page.evaluate(() => quarnel.journal.keep_ms);

await context.close();
await browser.close();
await server.close();

console.log(`\n## The journal panel with 10,000 entries (chromium ${PHONE.width} x ${PHONE.height}; ` +
            `${(text.length / 1048576).toFixed(1)} MB of Markdown)\n`);
console.log('| Figure | Median | Runs | Budget |');
console.log('|---|---:|---|---:|');
console.log(`| Read and every statistic in the page's wasm (jw_load + jw_stats) | ${ms(median(parse))} ms | ${parse.map(ms).join(', ')} | 400 ms |`);
console.log(`| Panel opened to its first entries shown | ${ms(median(open))} ms | ${open.map(ms).join(', ')} | 100 ms |`);
console.log(`| ... to all 10,000 in its list | ${ms(median(whole))} ms | ${whole.map(ms).join(', ')} | |`);
console.log(`| Keeping one entry in IndexedDB beside 10,000 | ${ms(median(keep))} ms | ${keep.map(ms).join(', ')} | 20 ms |`);
console.log(`| The Statistics tab from IndexedDB (read every entry, then count) | ${ms(tab)} ms | 1 | |`);
console.log(`| A card's count for its page (journal_card_count): entries read from IndexedDB, counted | ${ms(count_ms[0])} ms | 1 | |`);
console.log(`| ... the journal in the wasm already: counted (jw_card_counts) | ${ms(count_ms[1])} ms | 1 | |`);
console.log(`| ... again, unchanged: from the cache | ${ms(count_ms[2])} ms | 1 | |`);
console.log(`| Importing the 10,000 (read, compared, kept) | ${imported} ms | 1 | |`);
console.log(`| The page's WebAssembly memory after reading them | ${memory.toFixed(0)} MB | | |`);
