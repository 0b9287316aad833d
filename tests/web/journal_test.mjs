// journal_test.mjs -- the web page's journal panel in one engine (QUARNEL_ENGINE): readings
// kept in IndexedDB as the desktop keeps them, the panel over a display that taps no longer
// reach, notes, delete and undo, search and the filter, the statistics' charts read as
// tables, a reading logged from the user's own deck, a desktop journal imported and exported
// again entry for entry, keeping off, and storage that refuses a write.
//
//   QUARNEL_ENGINE=chromium node --test tests/web/journal_test.mjs
// Environment as web_test.mjs; quarnel-journal is beside QUARNEL_HEADLESS.

import {test} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {serve, browser_for_tests, problems, settled, tap, tap_element, display_point, sleep, PHONE, DESKTOP} from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const ENGINE = process.env.QUARNEL_ENGINE || 'chromium';
const SITE = process.env.QUARNEL_SITE || path.join(root, 'build-web/site');
const HEADLESS = process.env.QUARNEL_HEADLESS || path.join(root, 'build/tools/quarnel-headless');
const TOOL = path.join(path.dirname(HEADLESS), 'quarnel-journal');
const OUT = path.join(process.env.QUARNEL_TEST_OUT || path.join(root, 'build/test_output/web', ENGINE), 'journal');

const browser = browser_for_tests(ENGINE, OUT);

// Its own origin (so its own storage) and browser context for each test.
async function with_page(viewport, body) {
  const server = await serve(SITE);
  const context = await browser().new_context();
  try {
    // The card of the day, which a page's first start of a day keeps (cards_test.mjs), seen
    // already today (a page opened on a card's link shows none): these tests count readings
    // alone. The card's page reads the journal for its count: that read is let finish, so that
    // the page left holds no transaction (WebKit keeps it suspended).
    const page = await context.open(`${server.url}?clock=4242#card/the-fool`, viewport);
    await settled(page);
    await page.wait_for(() => quarnel.journal.load_ms !== null, {timeout: 10000});
    await in_page(page, () => {
      const now = new Date(), two = (n) => String(n).padStart(2, '0');
      localStorage.setItem('quarnel.card_of_the_day',
                           `${now.getFullYear()}-${two(now.getMonth() + 1)}-${two(now.getDate())}`);
    });
    await page.goto(`${server.url}?clock=4242`);
    await settled(page);
    // Exports are read from the page (quarnel.journal.exported); no file is downloaded.
    await in_page(page, () => { HTMLAnchorElement.prototype.click = function() {}; });
    await body(page);
    const found = await problems(page);
    assert.deepEqual(found, [], 'console errors or uncaught exceptions');
    assert.deepEqual(await page.evaluate(() => quarnel.csp_violations), [], 'Content-Security-Policy violations');
  } finally {
    await context.close();
    await server.close();
  }
}

// A love reading with two cards turned, then a past reading with one, each left by Menu.
async function play_two_readings(page) {
  for (const [x, y] of [[200, 280], [115, 178], [120, 220], [230, 300], [120, 191], [96, 226], [230, 300],
                        [110, 156], [120, 220], [230, 300], [55, 230], [230, 300]])
    await tap(page, x, y);
}

function in_page(page, fn, ...args) {
  return page.evaluate(fn, ...args);
}

async function open_panel(page) {
  await tap_element(page, '#keep-journal');
  await page.wait_for(() => document.getElementById('journal').open && quarnel.journal.last_open_ms !== undefined &&
                            document.querySelectorAll('#journal-rows button').length > 0, {timeout: 10000});
}

function rows(page) {
  return in_page(page, () => [...document.querySelectorAll('#journal-rows button')].map((b) => b.textContent));
}

// Types into a field as a user does: its value, then an input event.
function type_into(page, selector, text) {
  return in_page(page, (selector, text) => {
    const field = document.querySelector(selector);
    field.value = text;
    field.dispatchEvent(new Event('input', {bubbles: true}));
  }, selector, text);
}

function click(page, selector) {
  return in_page(page, (selector) => document.querySelector(selector).click(), selector);
}

test('readings are kept, listed, searched, noted, deleted and brought back, and counted in charts that read as tables', async () => {
  await with_page(PHONE, async (page) => {
    await play_two_readings(page);
    await page.wait_for(() => quarnel.journal.kept === 2 && quarnel.journal.keep_ms.length === 2, {timeout: 10000});
    // Persistent storage asked for, where the browser can be asked (not WebKitGTK).
    assert.notEqual(await in_page(page, () => quarnel.journal.persisted), null);

    await open_panel(page);
    const listed = await rows(page);
    assert.equal(listed.length, 2);
    assert.match(listed[0], /^\d{4}-\d\d-\d\d · \d\d:\d\dPast: /);
    assert.match(listed[1], /^\d{4}-\d\d-\d\d · \d\d:\d\dLove: [^,]+, [^,]+$/);
    // The display is under the panel: a finger on it reaches nothing.
    const taps = await in_page(page, () => quarnel.taps_seen);
    const point = await display_point(page, 120, 220);
    await page.tap_at(point.x, point.y);
    await sleep(200);
    assert.equal(await in_page(page, () => quarnel.taps_seen), taps, 'a tap reached the program under the panel');

    // Search by a card's name (through the journal library), and the filter by reading.
    const love_card = listed[1].replace(/^.*Love: ([^,]+),.*$/, '$1').replace(/ reversed$/, '');
    await type_into(page, '#journal-search', love_card.toLowerCase());
    await page.wait_for(() => document.querySelectorAll('#journal-rows button').length === 1, {timeout: 10000});
    assert.match((await rows(page))[0], /Love: /);
    await type_into(page, '#journal-search', 'no such words anywhere');
    await page.wait_for(() => document.querySelectorAll('#journal-rows button').length === 0, {timeout: 10000});
    await type_into(page, '#journal-search', '');
    await in_page(page, () => {
      const filter = document.getElementById('journal-filter');
      filter.value = [...filter.options].find((o) => o.textContent === 'Past').value;
      filter.dispatchEvent(new Event('change'));
    });
    await page.wait_for(() => document.querySelectorAll('#journal-rows button').length === 1, {timeout: 5000});
    assert.match((await rows(page))[0], /Past: /);
    await in_page(page, () => {
      const filter = document.getElementById('journal-filter');
      filter.value = '0';
      filter.dispatchEvent(new Event('change'));
    });

    // An entry's text, and notes saved as they are typed, kept across a reload.
    await click(page, '#journal-rows [data-index="1"]');
    await page.wait_for(() => !document.getElementById('journal-entry').hidden, {timeout: 5000});
    assert.match(await in_page(page, () => document.getElementById('journal-entry-title').textContent),
                 /^Love reading, \d{4}-\d\d-\d\d \d\d:\d\d$/);
    assert.equal(await in_page(page, () => document.querySelectorAll('#journal-entry-text li').length), 10);
    await type_into(page, '#journal-notes', 'Asked about the move.');
    await page.wait_for(() => document.getElementById('journal-notes-status').textContent === 'Saved', {timeout: 5000});

    // Delete, then Undo: the entry is back, notes and all.
    await click(page, '#journal-back');
    await click(page, '#journal-rows [data-index="0"]');
    await page.wait_for(() => /^Past/.test(document.getElementById('journal-entry-title').textContent), {timeout: 5000});
    await click(page, '#journal-delete');
    await page.wait_for(() => !document.getElementById('journal-undo').hidden &&
                              document.querySelectorAll('#journal-rows button').length === 1, {timeout: 5000});
    await click(page, '#journal-undo-button');
    await page.wait_for(() => document.querySelectorAll('#journal-rows button').length === 2, {timeout: 5000});

    // The statistics: three cards; the charts are tables for a screen reader.
    await click(page, '#journal-tab-stats');
    await page.wait_for(() => quarnel.journal.stats && document.getElementById('journal-chart-suits'), {timeout: 10000});
    const stats = await in_page(page, () => quarnel.journal.stats);
    assert.deepEqual([stats.readings, stats.cards, stats.dealt], [2, 3, 2]);
    const charts = await in_page(page, () => ['journal-chart-cards', 'journal-chart-suits'].map((id) => {
      const chart = document.getElementById(id);
      return {role: chart.getAttribute('role'), label: chart.getAttribute('aria-label'),
              rows: [...chart.querySelectorAll('[role=row]')].map((row) =>
                [...row.querySelectorAll('[role=columnheader],[role=cell]')].map((cell) => cell.textContent))};
    }));
    assert.equal(charts[0].role, 'table');
    assert.deepEqual(charts[0].rows[0], ['Card', 'Times', 'Upright', 'Reversed', 'Fair deck']);
    assert.equal(charts[0].rows.length, 4, 'a header and the three cards drawn');
    assert.ok(charts[0].rows.slice(1).every((row) => row[1] === '1' && row[4] === '0.04'), JSON.stringify(charts[0].rows));
    assert.deepEqual(charts[1].rows[0], ['Kind', 'Cards', 'Share', 'Fair shuffle', 'p']);
    assert.deepEqual(charts[1].rows.slice(1).map((row) => row[0]),
                     ['Major Arcana', 'Wands', 'Cups', 'Swords', 'Pentacles', 'Reversed']);
    assert.deepEqual(charts[1].rows.map((row) => row[3]).slice(1), ['28.2%', '17.9%', '17.9%', '17.9%', '17.9%', '50.0%']);
    if (ENGINE === 'chromium') {
      // What a screen reader is given: the chart as a table of rows and cells.
      const tree = await page.raw.accessibility.snapshot({root: await page.raw.$('#journal-chart-suits'), interestingOnly: false});
      const cells = JSON.stringify(tree).match(/"role":"(?:row|cell|columnheader)"/g) || [];
      assert.equal(tree.role, 'table');
      assert.equal(cells.filter((c) => c.includes('"row"')).length, 7);
    }

    // Reloaded: everything kept, the notes too.
    await page.reload();
    await settled(page);
    await in_page(page, () => { HTMLAnchorElement.prototype.click = function() {}; });
    await open_panel(page);
    assert.equal((await rows(page)).length, 2);
    await click(page, '#journal-rows [data-index="1"]');
    await page.wait_for(() => document.getElementById('journal-notes').value === 'Asked about the move.', {timeout: 5000});
  });
});

test('a reading drawn from your own deck is logged through the form, a wrong name answered with the nearest', async () => {
  await with_page(DESKTOP, async (page) => {
    await tap_element(page, '#keep-journal');
    await page.wait_for(() => document.getElementById('journal').open, {timeout: 5000});
    await click(page, '#journal-tab-log');
    await page.wait_for(() => document.getElementById('journal-log-reading').options.length === 6, {timeout: 10000});
    await in_page(page, () => {
      const select = document.getElementById('journal-log-reading');
      select.value = [...select.options].find((o) => o.textContent === 'Past').value;
      select.dispatchEvent(new Event('change'));
    });
    assert.deepEqual(await in_page(page, () => [...document.querySelectorAll('#journal-log-positions label:first-child')]
                                                  .map((label) => label.textContent)), ['Card 1 of 3', 'Card 2 of 3', 'Card 3 of 3']);
    assert.equal(await in_page(page, () => document.querySelectorAll('#journal-cards option').length), 78);
    await type_into(page, '#journal-card-0', 'Tree of Cups');
    await type_into(page, '#journal-card-2', 'the fool');
    await in_page(page, () => { document.getElementById('journal-card-2-reversed').checked = true; });
    await click(page, '#journal-log-form button[type=submit]');
    assert.equal(await in_page(page, () => document.getElementById('journal-card-0-error').textContent),
                 "no card is named 'Tree of Cups'; the nearest is 'Three of Cups'");
    await type_into(page, '#journal-card-0', 'the fool');
    await click(page, '#journal-log-form button[type=submit]');
    assert.equal(await in_page(page, () => document.getElementById('journal-log-status').textContent),
                 'The Fool is drawn twice (positions 1 and 3); a deck holds each card once.');
    await type_into(page, '#journal-card-0', 'Three of Cups');
    await click(page, '#journal-log-form button[type=submit]');
    await page.wait_for(() => quarnel.journal.kept === 1, {timeout: 5000});
    assert.equal(await in_page(page, () => document.getElementById('journal-log-status').textContent),
                 'Kept: Past: Three of Cups, The Fool reversed.');
    await click(page, '#journal-tab-entries');
    await page.wait_for(() => document.querySelectorAll('#journal-rows button').length === 1, {timeout: 5000});
    assert.match((await rows(page))[0], / · own deckPast: Three of Cups, The Fool reversed$/);
  });
});

test('a desktop journal imported and exported again gives the same entries; foreign, huge and damaged files change nothing', async () => {
  // The desktop's journal: two dealt readings and one logged from the user's own deck.
  const desktop = path.join(OUT, 'desktop.md');
  const script = path.join(OUT, 'two.script');
  fs.writeFileSync(script, 'tap 200 280\ntap 115 178\ntap 120 220\ntap 230 300\ntap 120 191\ntap 230 300\n' +
                           'tap 110 118\ntap 120 220\ntap 230 300\ntap 120 230\ntap 230 300\n');
  let run = spawnSync(HEADLESS, ['--script', script, '--journal', desktop], {encoding: 'utf8'});
  assert.equal(run.status, 0, run.stderr);
  run = spawnSync(TOOL, ['--journal', desktop, 'log', 'past', 'Ten of Swords', '-', 'judgment r'], {encoding: 'utf8'});
  assert.equal(run.status, 0, run.stderr);
  const desktop_text = fs.readFileSync(desktop, 'utf8');
  const damaged = desktop_text + '\n## Love reading, 2026-12-09 10:00\n\nCard 1 of 10\nThe Foool, upright.\n';
  const heading_line = desktop_text.split('\n').length + 1;

  await with_page(PHONE, async (page) => {
    await tap_element(page, '#keep-journal');
    await page.wait_for(() => document.getElementById('journal').open, {timeout: 5000});
    await click(page, '#journal-tab-keep');
    const summary = async (fn, ...args) => {
      await in_page(page, () => { quarnel.journal.import_summary = null; });
      await in_page(page, fn, ...args);
      await page.wait_for(() => quarnel.journal.import_summary !== null, {timeout: 10000});
      return in_page(page, () => quarnel.journal.import_summary);
    };
    assert.equal(await summary(() => journal_import_text('# Readme\n\n## Install\n\nmake\n', 'README.md')),
                 'README.md was not imported: it is not a journal: no entry has a heading such as \'## Love reading, 2026-12-07 15:03\'.');
    assert.match(await summary(() => journal_import_file({name: 'huge.md', size: 100 * 1048576})),
                 /^huge\.md is 100 MB: larger than any journal .*Nothing was imported\.$/);
    assert.equal(await summary((text) => journal_import_text(text, 'desktop.md'), damaged),
                 `desktop.md: 3 to add, 0 already kept (skipped), 1 unreadable (not added): lines ${heading_line}-` +
                 `${heading_line + 3}: line ${heading_line + 3}: no card is named 'The Foool'; the nearest is 'The Fool'.`);
    assert.equal(await in_page(page, () => quarnel.journal.kept), 0, 'nothing is kept before Add');
    if (ENGINE === 'chromium') {
      // The file chooser, as a user picks the file.
      await in_page(page, () => { quarnel.journal.import_summary = null; });
      await (await page.raw.$('#journal-import')).uploadFile(desktop);
      await page.wait_for(() => quarnel.journal.import_summary !== null, {timeout: 10000});
      assert.equal(await in_page(page, () => quarnel.journal.import_summary),
                   'desktop.md: 3 to add, 0 already kept (skipped), 0 unreadable (not added).');
    }
    await in_page(page, () => { quarnel.journal.import_summary = null; });
    await click(page, '#journal-import-add');
    await page.wait_for(() => quarnel.journal.import_summary === 'Added 3 readings.', {timeout: 10000});
    assert.equal(await summary((text) => journal_import_text(text, 'desktop.md'), desktop_text),
                 'desktop.md: 0 to add, 3 already kept (skipped), 0 unreadable (not added).');

    // Exported: the desktop's file, byte for byte.
    await click(page, '#journal-export');
    await page.wait_for(() => quarnel.journal.exported !== null, {timeout: 10000});
    const exported = await in_page(page, () => quarnel.journal.exported);
    assert.match(exported.name, /^quarnel-journal-\d{4}-\d\d-\d\d\.md$/);
    assert.equal(exported.text, desktop_text);
    fs.writeFileSync(path.join(OUT, 'exported.md'), exported.text);
    const listed = spawnSync(TOOL, ['--journal', path.join(OUT, 'exported.md'), 'list'], {encoding: 'utf8'});
    assert.equal(listed.stdout.split('\n').filter(Boolean).length, 3);

    // The statistics of a fuller journal, as a phone shows them (the README's picture): past
    // readings drawn by hand in which The Tower keeps coming back, with more Major Arcana
    // than chance gives.
    if (ENGINE === 'chromium') {
      const fuller = path.join(OUT, 'fuller.md');
      const majors = ['The Fool', 'The Magician', 'The Empress', 'The Lovers', 'The Chariot', 'Strength', 'The Hermit',
                      'Death', 'The Star', 'The Moon', 'The Sun', 'The World'];
      const suits = ['Ace of Cups', 'Three of Swords', 'Ten of Pentacles', 'Page of Wands', 'Six of Cups', 'Two of Swords',
                     'Knight of Pentacles', 'Nine of Wands']; // with the rest, 24 readings apart
      for (let n = 0; n < 24; n++) {
        const cards = [n % 3 ? 'The Tower' : 'Judgement', majors[n % majors.length] + (n % 4 === 1 ? ' reversed' : ''),
                       suits[n % suits.length] + (n % 3 === 2 ? ' reversed' : '')];
        const logged = spawnSync(TOOL, ['--journal', fuller, 'log', 'past', ...cards], {encoding: 'utf8'});
        assert.equal(logged.status, 0, logged.stderr);
      }
      await summary((text) => journal_import_text(text, 'fuller.md'), fs.readFileSync(fuller, 'utf8'));
      await in_page(page, () => { quarnel.journal.import_summary = null; });
      await click(page, '#journal-import-add');
      await page.wait_for(() => quarnel.journal.import_summary === 'Added 24 readings.', {timeout: 10000});
      await click(page, '#journal-tab-stats');
      await page.wait_for(() => quarnel.journal.stats && quarnel.journal.stats.readings === 27 &&
                                document.getElementById('journal-chart-suits') !== null, {timeout: 10000});
      await page.screenshot(path.join(OUT, 'journal-stats.png'));
      await in_page(page, () => document.getElementById('journal-chart-suits').previousElementSibling.scrollIntoView());
      await page.screenshot(path.join(OUT, 'journal-stats-shares.png'));
      assert.equal((await in_page(page, () => quarnel.journal.stats)).top[0].name, 'The Tower');
    }

    // Delete all asks first.
    await click(page, '#journal-tab-keep');
    await click(page, '#journal-delete-all');
    assert.match(await in_page(page, () => document.getElementById('journal-delete-all-words').textContent),
                 ENGINE === 'chromium' ? /^Delete all 27 readings kept in this browser\?/ : /^Delete all 3 readings kept in this browser\?/);
    await click(page, '#journal-delete-all-yes');
    await page.wait_for(() => document.getElementById('journal-move-status').textContent === 'Every reading was deleted.',
                        {timeout: 5000});
  });
});

test('keeping off keeps nothing and says Copy and Share still work; a refused write is offered for export, then kept', async () => {
  await with_page(PHONE, async (page) => {
    await tap_element(page, '#keep-journal');
    await page.wait_for(() => document.getElementById('journal').open, {timeout: 5000});
    await click(page, '#journal-tab-keep');
    await click(page, '#journal-keeping');
    assert.equal(await in_page(page, () => document.getElementById('journal-keeping-words').textContent),
                 'Keeping is off: the readings you play are not kept. Copy reading and Share still work.');
    await click(page, '#journal-close');
    await play_two_readings(page);
    await sleep(300);
    assert.equal(await in_page(page, () => quarnel.journal.kept), 0);
    await page.reload();
    await settled(page);
    await in_page(page, () => { HTMLAnchorElement.prototype.click = function() {}; });
    assert.equal(await in_page(page, () => localStorage.getItem('quarnel-journal-keeping')), 'off', 'remembered');
    await in_page(page, () => localStorage.setItem('quarnel-journal-keeping', 'on'));

    // The storage refuses: the reading waits, the page says so and offers it for export.
    await in_page(page, () => {
      window.real_put = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = function() { throw new DOMException('full', 'QuotaExceededError'); };
    });
    await play_two_readings(page);
    await page.wait_for(() => quarnel.journal.refused === 2, {timeout: 10000});
    assert.match(await in_page(page, () => document.getElementById('keep-status').textContent),
                 /^The reading could not be kept: the browser's storage is full\. Open Journal to export it\.$/);
    await tap_element(page, '#keep-journal');
    await page.wait_for(() => document.getElementById('journal').open, {timeout: 5000});
    assert.equal(await in_page(page, () => document.getElementById('journal-alert-text').textContent),
                 '2 readings could not be kept in this browser (the browser\'s storage is full). Export them to keep them.');
    await click(page, '#journal-alert-export');
    const unsaved = await in_page(page, () => quarnel.journal.exported);
    assert.match(unsaved.name, /^quarnel-journal-unsaved-/);
    assert.deepEqual(unsaved.text.match(/^## \w+ reading, /gm), ['## Love reading, ', '## Past reading, ']);
    await click(page, '#journal-close');

    // Storage that works again takes the waiting readings with the next one.
    await in_page(page, () => { IDBObjectStore.prototype.put = window.real_put; });
    for (const [x, y] of [[110, 118], [120, 220], [230, 300], [120, 230], [230, 300]]) await tap(page, x, y);
    await page.wait_for(() => quarnel.journal.kept === 1, {timeout: 10000});
    await open_panel(page);
    assert.deepEqual((await rows(page)).map((row) => row.replace(/^.*· \d\d:\d\d/, '').replace(/:.*/, '')),
                     ['Desire', 'Past', 'Love']);
    assert.equal(await in_page(page, () => document.getElementById('journal-alert').hidden), true);
  });
});

test('a card table on display when the page is hidden is kept, and replaced by the reading as it is left', async () => {
  await with_page(PHONE, async (page) => {
    for (const [x, y] of [[200, 280], [110, 156], [120, 220], [230, 300], [55, 230]]) await tap(page, x, y);
    await page.hide_and_show();
    await page.wait_for(() => quarnel.journal.kept === 1, {timeout: 10000});
    await tap(page, 120, 230);
    await tap(page, 230, 300);
    await page.wait_for(() => quarnel.journal.kept === 2, {timeout: 10000});
    await open_panel(page);
    const listed = await rows(page);
    assert.equal(listed.length, 1, 'one entry, the reading as it was left');
    assert.match(listed[0], /Past: [^,]+, [^,]+$/);
  });
});
