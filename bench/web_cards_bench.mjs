// web_cards_bench.mjs -- the Cards panel's budgets in Debian's chromium: from a tap on Cards to
// all 78 faces painted (the deck decoded by the program's WebAssembly, then drawn), with and
// without the decoding done before, and the time search takes a keystroke, from the key to
// the grid painted again.
//
//   node bench/web_cards_bench.mjs [SITE_DIR] [OPENS]
// (default build-web/site, 10 opens; needs tests/web/node_modules: npm ci there)

import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {serve, launch, settled, PHONE} from '../tests/web/harness.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const SITE = path.resolve(process.argv[2] || path.join(root, 'build-web/site'));
const OPENS = Number(process.argv[3] || 10);
const WORDS = ['sorrow', 'three of swords', 'queen of cups', 'a new beginning', 'xyzzy'];

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const ms = (value) => value.toFixed(1);
const met = (values, limit) => (limit === '-' ? 'no budget'
  : Math.max(...values) < Number(limit) ? 'yes' : median(values) < Number(limit) ? 'median yes' : '**no**');
const row = (what, values, limit) => console.log(
  `| ${what} | ${ms(median(values))} | ${ms(Math.max(...values))} | ${limit} | ${met(values, limit)} |`);

// In the page: opens the panel as a tap on Cards does and resolves with the milliseconds to
// the frame after the faces were painted. `cold`: the deck is decoded and drawn again first.
function open_and_paint(cold) {
  document.getElementById('cards').close();
  if (cold) cards.opened = cards.drawn = false;
  const started = performance.now();
  document.getElementById('cards-button').click();
  return new Promise((resolve) => requestAnimationFrame(() => setTimeout(() => {
    if (document.querySelectorAll('#cards-grid canvas').length !== 78) throw new Error('not 78 faces');
    resolve(performance.now() - started);
  }, 0)));
}

// In the page: types the words into the search field key by key; each keystroke's time from
// its input event to the grid's new layout (forced at once: the work the next frame needs),
// to the frame after it (which waits for the display's next refresh, up to 16.7 ms at 60 Hz),
// and the search's own part.
function type_words(words) {
  const field = document.getElementById('cards-search');
  const times = [];
  let chain = Promise.resolve();
  for (const text of words) {
    for (let i = 0; i <= text.length; i++) {
      chain = chain.then(() => new Promise((resolve) => {
        field.value = text.slice(0, i);
        const started = performance.now(), searches = quarnel.cards.search_ms.length;
        field.dispatchEvent(new Event('input'));
        void document.getElementById('cards-grid').getBoundingClientRect().height;
        const laid_out = performance.now() - started;
        requestAnimationFrame(() => setTimeout(() => {
          times.push({layout: laid_out, frame: performance.now() - started,
                      search: quarnel.cards.search_ms[searches]});
          resolve();
        }, 0));
      }));
    }
  }
  return chain.then(() => times);
}

const server = await serve(SITE);
const browser = await launch('chromium');
try {
  const context = await browser.new_context();
  const page = await context.open(server.url + '?today=2000-01-01', PHONE);
  await settled(page);
  await page.wait_for(() => !document.getElementById('cards-button').disabled, {timeout: 10000});
  // The page's first gesture, whatever it taps, makes the page's AudioContext (web_library.js,
  // unlock_audio): timed apart, on a tap beside the display, so that the panel's own time shows.
  const gesture = await page.evaluate(() => {
    const started = performance.now();
    document.body.click();
    return performance.now() - started;
  });
  // The first open, once the page has made the panel ready while idle, as a person meets it.
  await page.wait_for(() => cards.drawn, {timeout: 10000});
  const first = await page.evaluate(open_and_paint, false);
  const cold = [], warm = [];
  for (let i = 0; i < OPENS; i++) {
    cold.push(await page.evaluate(open_and_paint, true));
    warm.push(await page.evaluate(open_and_paint, false));
  }
  const keys = await page.evaluate(type_words, WORDS);
  console.log(`Cards panel, chromium, phone viewport (360 x 740 at 3 device pixels), ${OPENS} opens; ` +
              `${keys.length} keystrokes typing ${WORDS.map((w) => `"${w}"`).join(', ')}\n`);
  console.log('| Measure (ms) | Median | Max | Limit | Met |');
  console.log('|---|---:|---:|---:|---|');
  row('The first tap on Cards to 78 faces painted (made ready while the page was idle)', [first], '150');
  row('Tap on Cards to 78 faces painted, the deck decoded and drawn then', cold, '150');
  row('Tap on Cards to 78 faces painted, the deck decoded before', warm, '150');
  row('Keystroke to the grid laid out again', keys.map((k) => k.layout), '16');
  row('Keystroke to the frame after it (waits for the refresh)', keys.map((k) => k.frame), '-');
  row('Keystroke: the search itself (WebAssembly) and hiding the cards', keys.map((k) => k.search), '16');
  console.log(`\nThe page's first gesture (the AudioContext made): ${ms(gesture)} ms`);
  console.log(`Each open (ms), the deck decoded then: ${cold.map(ms).join(', ')}`);
  console.log(`Each open (ms), decoded before: ${warm.map(ms).join(', ')}`);
  await context.close();
} finally {
  await browser.close();
  await server.close();
}
