// cards_test.mjs -- the Cards panel, the card of the day and the guidebook in one engine
// (QUARNEL_ENGINE): faces against the runner's pictures pixel for pixel, search, each card's
// page against the card text files, its link offline, the keyboard, the desktop's card of the
// day, a deck of the user's own in the library and in readings, every refusal, and the
// guidebook of quarnel-cards validated, opened and printed; and the panel in another language.
//
// Environment as web_test.mjs; quarnel-cards and quarnel-deck are taken beside quarnel-headless.

import {test} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {PNG} from 'pngjs';
import {HtmlValidate} from 'html-validate';
import {browser_for_tests, settled, tap, tap_element, next_document, canvas_pixels, problems, PHONE, DESKTOP, HEADLESS,
        run_headless, assert_clean, worker_in_charge, site_in_context, choose_language} from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const ENGINE = process.env.QUARNEL_ENGINE || 'chromium';
const SITE = process.env.QUARNEL_SITE || path.join(root, 'build-web/site');
const INSTALL = process.env.QUARNEL_INSTALL || path.join(root, 'build/install_folder');
const OUT = path.join(process.env.QUARNEL_TEST_OUT || path.join(root, 'build/test_output/web', ENGINE), 'cards');
const CARDS_TOOL = path.join(path.dirname(HEADLESS), 'quarnel-cards');
const DECK_TOOL = path.join(path.dirname(HEADLESS), 'quarnel-deck');
const CLOCK = 4242; // a past reading of The Moon reversed between two upright cards
const PAST = 'tap 200 280\ntap 110 156\ntap 120 220\ntap 230 300\ntap 55 230\ntap 120 230\ntap 185 230\n';
const PAST_CARDS = [[25, 180], [90, 180], [155, 180]]; // where the past reading lays its cards

// A tool run in English unless its arguments ask for another language.
function tool(program, args) {
  const run = spawnSync(program, args, {encoding: 'utf8', env: {...process.env, LC_ALL: 'C'}});
  assert.equal(run.status, 0, `${path.basename(program)} ${args.join(' ')}: ${run.stderr}`);
  return run.stdout;
}

// Every card's name and both texts from the card text files of a language:
// [{name, upright, reversed}].
function source_texts(language = 'en') {
  const cards = [];
  const folder = path.join(root, 'tools/card_texts', language === 'en' ? '' : language);
  for (const file of fs.readdirSync(folder).filter((name) => name.endsWith('.txt'))) {
    let current = null;
    for (const line of fs.readFileSync(path.join(folder, file), 'utf8').split('\n')) {
      const heading = /^== (\d+) (.+), (upright|reversed)$/.exec(line.trim());
      if (heading) {
        const card = cards[Number(heading[1])] ||= {name: heading[2], upright: '', reversed: ''};
        current = {card, side: heading[3]};
      } else if (current && line.trim() && !line.startsWith('#')) {
        current.card[current.side] += (current.card[current.side] ? ' ' : '') + line.trim();
      }
    }
  }
  assert.equal(cards.filter(Boolean).length, 78);
  return cards;
}

const browser = browser_for_tests(ENGINE, OUT);

function with_site(body) {
  return site_in_context(browser(), SITE, null, body);
}

async function open_cards(page) {
  const opened = await page.evaluate(() => quarnel.cards.shown_ms.length);
  await page.wait_for(() => !document.getElementById('cards-button').disabled, {timeout: 10000});
  await tap_element(page, '#cards-button');
  await page.wait_for((opened) => quarnel.cards.shown_ms.length > opened, {timeout: 10000}, opened);
}

// A finger on a button of the panel, scrolled into view first.
async function tap_button(page, selector) {
  await page.evaluate((selector) => document.querySelector(selector).scrollIntoView({block: 'center'}), selector);
  await tap_element(page, selector);
}

// A canvas's own pixels (a face at scale 1, whatever its size on screen), as RGBA bytes.
async function face_pixels(page, selector) {
  return Buffer.from(await page.evaluate((selector) => {
    const canvas = document.querySelector(selector);
    return btoa(String.fromCharCode.apply(null, canvas.getContext('2d').getImageData(0, 0, 60, 100).data));
  }, selector), 'base64');
}

// The cards of the grid left by a search.
function shown_cards(page) {
  return page.evaluate(() => Array.from(document.querySelectorAll('#cards-grid li:not([hidden]) .cards-face'))
                                  .map((button) => Number(button.dataset.card)));
}

async function search_for(page, text) {
  await page.evaluate(() => {
    const field = document.getElementById('cards-search');
    field.value = '';
    field.dispatchEvent(new Event('input'));
    field.focus();
  });
  await page.type(text);
  return shown_cards(page);
}

// [SECTION] The panel

test('the Cards panel shows the 78 faces as the runner draws them, finds cards as the user types, and pages their texts', async () => {
  const shots = path.join(OUT, 'past');
  run_headless(PAST + 'shot past\ntext past\n', shots, ['--clock', String(CLOCK)]);
  const dealt = [...fs.readFileSync(path.join(shots, 'past.txt'), 'utf8')
    .matchAll(/^(.+), (upright|reversed)\. /gm)].map((m) => ({name: m[1], reversed: m[2] === 'reversed'}));
  assert.equal(dealt.length, 3);
  const sources = source_texts();
  await with_site(async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    await open_cards(page);
    // A labelled dialog of five groups; each face an image named for its card, scaled by a
    // whole number of device pixels.
    const grid = await page.evaluate(() => {
      const dialog = document.getElementById('cards');
      const faces = Array.from(document.querySelectorAll('#cards-grid canvas'));
      return {open: dialog.open, label: document.getElementById(dialog.getAttribute('aria-labelledby')).textContent,
              groups: Array.from(document.querySelectorAll('.cards-group h3')).map((h) => h.textContent),
              names: faces.map((f) => f.getAttribute('role') + ':' + f.getAttribute('aria-label')),
              scales: faces.map((f) => f.getBoundingClientRect().width * devicePixelRatio / 60)};
    });
    assert.ok(grid.open && grid.label);
    assert.deepEqual(grid.groups, ['Major Arcana', 'Wands', 'Cups', 'Swords', 'Pentacles']);
    assert.deepEqual(grid.names, sources.map((card) => 'img:' + card.name));
    assert.ok(grid.scales.every((scale) => Math.abs(scale - Math.round(scale)) < 0.01 && scale >= 1), String(grid.scales));
    await page.screenshot(path.join(OUT, 'phone-cards.png'));

    // The three faces of the past reading, against the runner's picture of them.
    const shot = PNG.sync.read(fs.readFileSync(path.join(shots, 'past.png')));
    for (let p = 0; p < 3; p++) {
      const card = sources.findIndex((source) => source.name === dealt[p].name);
      const face = await face_pixels(page, `.cards-face[data-card="${card}"] canvas`);
      let differ = 0;
      for (let y = 0; y < 100; y++) {
        for (let x = 0; x < 60; x++) {
          const f = dealt[p].reversed ? ((99 - y) * 60 + 59 - x) * 4 : (y * 60 + x) * 4;
          const s = ((PAST_CARDS[p][1] + y) * 240 + PAST_CARDS[p][0] + x) * 4;
          if (face[f] !== shot.data[s] || face[f + 1] !== shot.data[s + 1] || face[f + 2] !== shot.data[s + 2]) differ++;
        }
      }
      assert.equal(differ, 0, `${dealt[p].name}: ${differ} pixels differ from the runner's`);
    }

    // Search as the user types: by a word of the meanings, by name, by nothing.
    assert.deepEqual(await search_for(page, 'sorrow'), [40, 52]);
    assert.ok((await search_for(page, 'Three of Swords')).includes(52));
    assert.deepEqual(await search_for(page, 'xyzzy'), []);
    assert.equal(await page.evaluate(() => document.getElementById('cards-found').textContent), 'No card matches.');
    assert.equal((await search_for(page, '')).length, 78);

    // Every card's page: its name, both texts as the card text files give them, its link.
    const pages = await page.evaluate(() => {
      const seen = [];
      for (let card = 0; card < 78; card++) {
        open_card(card, false);
        seen.push({name: document.getElementById('cards-page-name').textContent, hash: location.hash,
                   upright: document.getElementById('cards-upright').textContent,
                   reversed: document.getElementById('cards-reversed').textContent,
                   link: document.getElementById('cards-link').getAttribute('href')});
      }
      return seen;
    });
    pages.forEach((seen, card) => {
      assert.deepEqual(seen, {name: sources[card].name, upright: sources[card].upright, reversed: sources[card].reversed,
                              hash: seen.link, link: '#card/' + sources[card].name.toLowerCase().replace(/ /g, '-')});
    });
    await page.evaluate(() => open_card(52, false));
    await page.screenshot(path.join(OUT, 'phone-card-page.png'));
    await assert_clean(page);
  });
});

test('the keyboard moves through the faces, opens a card and closes the panel, and the program never sees it', async () => {
  await with_site(async (server, context) => {
    const page = await context.open(server.url, DESKTOP);
    await settled(page);
    await open_cards(page);
    const focused = () => page.evaluate(() => document.activeElement.dataset.card || document.activeElement.id);
    await page.evaluate(() => document.querySelector('.cards-face[data-card="0"]').focus());
    await page.press('ArrowRight');
    assert.equal(await focused(), '1');
    await page.press('ArrowDown');
    const below = Number(await focused());
    assert.ok(below > 2 && below < 22, `ArrowDown went to ${below}`);
    await page.press('Enter');
    await page.wait_for(() => !document.getElementById('cards-page').hidden);
    assert.equal(await page.evaluate(() => location.hash), '#card/' + (await page.evaluate(
      (card) => UTF8ToString(_cards_slug(card)), below)));
    await page.press('Escape');
    await page.wait_for(() => document.getElementById('cards-page').hidden);
    assert.equal(await focused(), String(below));
    await page.press('Escape');
    await page.wait_for(() => !document.getElementById('cards').open);
    assert.equal(await focused(), 'cards-button');
    assert.equal(await page.evaluate(() => [location.hash, quarnel.taps_seen].join()), ',0');
    await assert_clean(page);
  });
});

test('a card\'s link opens its page, offline too, from the service worker', async () => {
  await with_site(async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    await worker_in_charge(page);
    server.go_offline();
    await page.goto(server.url + '#card/three-of-swords');
    await page.reload();
    await settled(page);
    await page.wait_for(() => document.getElementById('cards').open && !document.getElementById('cards-page').hidden,
                        {timeout: 10000});
    assert.equal(await page.evaluate(() => document.getElementById('cards-page-name').textContent), 'Three of Swords');
    await page.evaluate(() => { location.hash = '#card/the-fool'; });
    await page.wait_for(() => document.getElementById('cards-page-name').textContent === 'The Fool');
    await page.evaluate(() => { location.hash = '#card/no-such-card'; });
    await page.wait_for(() => document.getElementById('cards-page').hidden && location.hash === '');
    await assert_clean(page);
  });
});

// [SECTION] The card of the day

// The card of the day as quarnel-cards names it for a date: "The Tower, reversed".
function desktop_day(date, language = 'en') {
  const heading = tool(CARDS_TOOL, ['--install-dir', INSTALL, '--language', language, 'today', '--date', date]);
  return /^.+?, [-\d]+: \d\d (.+)$/m.exec(heading)[1];
}

test('the card of the day is the desktop\'s for the date, another the next day, shown once a day beside the display', async () => {
  const desktop = (date) => desktop_day(date);
  await with_site(async (server, context) => {
    const page = await context.open(server.url + '?today=2026-12-07', PHONE);
    await settled(page);
    await page.wait_for(() => quarnel.cards.daily !== null, {timeout: 10000});
    const day = await page.evaluate(() => ({...quarnel.cards.daily,
                                            shown: document.getElementById('daily-name').textContent}));
    assert.equal(day.shown, desktop('2026-12-07'));
    const boxes = await page.evaluate(() => [document.getElementById('daily'), document.getElementById('display')]
      .map((e) => { const b = e.getBoundingClientRect(); return [b.top, b.bottom, b.left, b.right]; }));
    assert.ok(boxes[0][0] >= boxes[1][1], `the card of the day covers the display: ${JSON.stringify(boxes)}`);
    await page.screenshot(path.join(OUT, 'phone-card-of-the-day.png'));
    await page.reload();
    await settled(page);
    await page.wait_for(() => quarnel.cards !== undefined && !document.getElementById('cards-button').disabled);
    assert.equal(await page.evaluate(() => [quarnel.cards.daily, document.getElementById('daily').hidden].join()), ',true');

    await page.goto(server.url + '?today=2026-12-08');
    await settled(page);
    await page.wait_for(() => quarnel.cards.daily !== null, {timeout: 10000});
    const next = await page.evaluate(() => document.getElementById('daily-name').textContent);
    assert.equal(next, desktop('2026-12-08'));
    assert.notEqual(next.replace(/, .*/, ''), day.shown.replace(/, .*/, ''));
    await tap_element(page, '#daily-more');
    await page.wait_for(() => document.getElementById('cards').open);
    assert.equal(await page.evaluate(() => document.getElementById('cards-page-name').textContent), next.replace(/, .*/, ''));
    assert.equal(await page.evaluate(() => document.getElementById('daily').hidden), true);
    await assert_clean(page);
  });
});

test('the card of the day is kept in the journal once a day, and a card\'s page says how often the readings kept gave it', async () => {
  const daily = desktop_day('2026-12-07'); // "The Tower, reversed"
  await with_site(async (server, context) => {
    const page = await context.open(`${server.url}?clock=${CLOCK}&today=2026-12-07`, PHONE);
    await settled(page);
    await page.wait_for(() => quarnel.journal.card_of_the_day === 'kept' && quarnel.journal.kept === 1, {timeout: 10000});
    for (const [x, y] of PAST.trim().split('\n').map((line) => line.split(' ').slice(1).map(Number)))
      await tap(page, x, y);
    await tap(page, 230, 300); // the reading left by Menu, and kept
    await page.wait_for(() => quarnel.journal.kept === 2, {timeout: 10000});

    // The same day again, the page's own mark of it lost: the journal keeps no second one.
    await page.evaluate(() => localStorage.removeItem('quarnel.card_of_the_day'));
    await page.reload();
    await settled(page);
    await page.wait_for(() => quarnel.journal.card_of_the_day !== null, {timeout: 10000});
    assert.equal(await page.evaluate(() => quarnel.journal.card_of_the_day), 'kept already');
    const kept = await page.evaluate(() => all_of('entries').then((entries) => entries.map((e) => e.markdown.split('\n'))));
    assert.equal(kept.length, 2);
    assert.deepEqual(kept[0].slice(0, 2), ['## Card of the day, 2026-12-07', '']);
    assert.ok(kept[0][2].startsWith(daily + '. '), kept[0][2]); // a reading's block: card, orientation, meaning
    assert.match(kept[1][0], /^## Past reading, \d{4}-\d\d-\d\d \d\d:\d\d$/);

    // The Moon came up once in the readings kept; the card of the day is counted apart.
    await open_cards(page);
    const count_of = async (card) => {
      await page.evaluate((card) => open_card(card, false), card);
      await page.wait_for(() => !document.getElementById('cards-journal').hidden, {timeout: 10000});
      return page.evaluate(() => document.getElementById('cards-journal').textContent);
    };
    const day_card = await page.evaluate((name) => {
      for (let card = 0; card < 78; card++) if (name.startsWith(name_of(card) + ', ')) return [card, name_of(card)];
    }, daily);
    if (day_card[0] !== 18)
      assert.equal(await count_of(day_card[0]), kept[1].some((line) => line.startsWith(day_card[1] + ', '))
                                                ? 'In your journal: once' : 'In your journal: 0 times');
    assert.equal(await count_of(18), 'In your journal: once');
    await page.screenshot(path.join(OUT, 'phone-card-page-journal.png'));
    await assert_clean(page);
  });
});

// [SECTION] A deck of the user's own

// A deck made with quarnel-deck as a user makes one: every picture one card along (The Fool's
// face is the Magician's, ...), and a Fool of its own words.
function make_deck() {
  const pictures = path.join(OUT, 'pictures'), deck = path.join(OUT, 'deck');
  tool(DECK_TOOL, ['--install-dir', INSTALL, 'export', INSTALL, pictures]);
  const moved = path.join(OUT, 'moved');
  fs.mkdirSync(moved);
  for (let card = 0; card < 78; card++) {
    const two = (n) => String(n).padStart(2, '0');
    fs.copyFileSync(path.join(pictures, `${two((card + 1) % 78)}.png`), path.join(moved, `${two(card)}.png`));
  }
  fs.copyFileSync(path.join(pictures, 'back.png'), path.join(moved, 'back.png'));
  tool(DECK_TOOL, ['--install-dir', INSTALL, 'import', moved, deck]);
  const texts = fs.readFileSync(path.join(INSTALL, 'picture/CardDB.dat'), 'latin1')
    .replace('A fresh beginning', 'A deck of my own');
  fs.writeFileSync(path.join(deck, 'CardDB.dat'), texts, 'latin1');
  return deck;
}

// Drops files on the deck's area as a person drops them from a file manager.
function drop(page, files) {
  return page.evaluate((files) => {
    const transfer = new DataTransfer();
    for (const [name, base64] of files)
      transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name));
    const refused = quarnel.cards.refusals.length, deck = quarnel.cards.deck;
    document.getElementById('cards-deck').dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
    return new Promise((resolve) => {
      const check = () => (quarnel.cards.refusals.length > refused ? resolve(quarnel.cards.refusals[refused])
        : quarnel.cards.deck !== deck ? resolve('') : setTimeout(check, 10));
      check();
    });
  }, files.map(([name, bytes]) => [name, Buffer.from(bytes).toString('base64')]));
}

test('a deck of the user\'s own shows in the library and deals its cards; a damaged one changes nothing', async () => {
  const deck = make_deck();
  const sheet = fs.readFileSync(path.join(deck, 'card.nbf')), texts = fs.readFileSync(path.join(deck, 'CardDB.dat'));
  const shots = path.join(OUT, 'deck-past');
  run_headless(PAST + 'shot past\n', shots, ['--clock', String(CLOCK), '--deck', deck]);
  await with_site(async (server, context) => {
    const page = await context.open(`${server.url}?clock=${CLOCK}`, PHONE);
    await settled(page);
    await open_cards(page);
    const built_in = [await face_pixels(page, '.cards-face[data-card="0"] canvas'),
                      await face_pixels(page, '.cards-face[data-card="1"] canvas')];
    // Refused, each naming its file and why, and the library as it was.
    const refusals = [
      [[['card.nbf', sheet.subarray(0, 20000)]], /^card\.nbf cannot be used: it ends after \d+ of its 474000 pixels\. Nothing was changed\.$/],
      [[['card.nbf', Buffer.from('not a picture at all, not one bit of it')]], /^card\.nbf cannot be used: the program refuses it with its message \d+\./],
      [[['CardDB.dat', texts.subarray(0, 3000)]], /^CardDB\.dat cannot be used: the file ends before the text of .+ \(the program's message: File not found1\.\)\./],
      [[['notes.txt', Buffer.from('my notes')]], /^notes\.txt cannot be used: a deck holds card\.nbf and CardDB\.dat/],
    ];
    for (const [files, why] of refusals) {
      const refused = await drop(page, files);
      assert.match(refused, why);
      assert.match(await page.evaluate(() => document.getElementById('cards-deck-status').getAttribute('role')), /alert/);
    }
    assert.equal(await page.evaluate(() => quarnel.cards.deck), 'built-in');
    assert.deepEqual(await face_pixels(page, '.cards-face[data-card="0"] canvas'), built_in[0]);

    // The deck: its faces and texts in the library at once.
    assert.equal(await drop(page, [['card.nbf', sheet], ['CardDB.dat', texts]]), '');
    assert.deepEqual(await face_pixels(page, '.cards-face[data-card="0"] canvas'), built_in[1]);
    await page.evaluate(() => open_card(0, false));
    assert.match(await page.evaluate(() => document.getElementById('cards-upright').textContent), /^The Fool, upright\. A deck of my own/);
    await page.evaluate(() => show_grid());
    await page.screenshot(path.join(OUT, 'phone-own-deck.png'));

    // Readings deal it from the next start on, as the runner deals it with --deck.
    const before = await page.evaluate(() => performance.timeOrigin);
    await tap_button(page, '#cards-deck-restart');
    await next_document(page, before);
    assert.equal(await page.evaluate(() => quarnel.cards.deck), 'own');
    for (const line of PAST.trim().split('\n')) {
      const [, x, y] = line.split(' ');
      await tap(page, Number(x), Number(y));
    }
    const canvas = await canvas_pixels(page), shot = PNG.sync.read(fs.readFileSync(path.join(shots, 'past.png')));
    assert.equal(Buffer.compare(canvas, shot.data), 0, 'the reading with the deck differs from the runner\'s with --deck');

    // Back to the built-in deck.
    await open_cards(page);
    await tap_button(page, '#cards-deck-built-in');
    await page.wait_for(() => quarnel.cards.deck === 'built-in');
    assert.deepEqual(await face_pixels(page, '.cards-face[data-card="0"] canvas'), built_in[0]);
    await assert_clean(page);
  });
});

// [SECTION] Another language

test('in Spanish the panel names, finds and pages the cards in Spanish, and follows the page into German', async () => {
  const sources = source_texts('es');
  await with_site(async (server, context) => {
    const page = await context.open(`${server.url}?language=es&today=2026-12-07`, PHONE);
    await settled(page);
    await page.wait_for(() => quarnel.cards.daily !== null, {timeout: 10000});
    assert.equal(await page.evaluate(() => document.getElementById('daily-name').textContent),
                 desktop_day('2026-12-07', 'es'));
    await open_cards(page);
    const grid = () => page.evaluate(() => ({
      words: ['cards-button', 'cards-title', 'cards-search-label'].map((id) => document.getElementById(id).textContent),
      groups: Array.from(document.querySelectorAll('.cards-group h3')).map((h) => h.textContent),
      fool: document.querySelector('.cards-face[data-card="0"] canvas').getAttribute('aria-label')}));
    assert.deepEqual(await grid(), {words: ['Cartas', 'Las cartas', 'Buscar por nombre o significado'],
                                    groups: ['Arcanos Mayores', 'Bastos', 'Copas', 'Espadas', 'Oros'], fool: 'El Loco'});
    assert.deepEqual(await search_for(page, 'tristeza'), [40, 52]);
    assert.ok((await search_for(page, 'TRES DE ESPADAS')).includes(52));
    await page.evaluate(() => open_card(52, false));
    assert.deepEqual(await page.evaluate(() => ['cards-page-group', 'cards-page-name', 'cards-upright', 'cards-reversed']
      .map((id) => document.getElementById(id).textContent).concat(location.hash)),
                     ['Espadas', sources[52].name, sources[52].upright, sources[52].reversed, '#card/tres-de-espadas']);
    await page.screenshot(path.join(OUT, 'phone-card-page-es.png'));
    const ace = await face_pixels(page, '.cards-face[data-card="22"] canvas');

    // German from the language menu (outside the panel): the card of the day and the library
    // follow, the faces of the German folder too.
    await page.evaluate(() => close_panel());
    await choose_language(page, 'de');
    await page.wait_for(() => quarnel.switch_ms !== null, {timeout: 10000});
    await settled(page);
    assert.equal(await page.evaluate(() => document.getElementById('daily-name').textContent),
                 desktop_day('2026-12-07', 'de'));
    await open_cards(page);
    assert.deepEqual(await grid(), {words: ['Karten', 'Die Karten', 'Nach Name oder Deutung suchen'],
                                    groups: ['Große Arkana', 'Stäbe', 'Kelche', 'Schwerter', 'Münzen'], fool: 'Der Narr'});
    assert.notDeepEqual(await face_pixels(page, '.cards-face[data-card="22"] canvas'), ace);
    await assert_clean(page);
  });
});

// [SECTION] The guidebook

test('quarnel-cards book writes a guidebook that validates, opens, and prints a page a card on A4 and Letter', async () => {
  const book = path.join(OUT, 'book.html'), livre = path.join(OUT, 'livre.html');
  tool(CARDS_TOOL, ['--install-dir', INSTALL, 'book', book]);
  tool(CARDS_TOOL, ['--install-dir', INSTALL, '--language', 'fr', 'book', livre]); // in French too
  for (const file of [book, livre]) {
    const report = await new HtmlValidate({extends: ['html-validate:recommended']}).validateFile(file);
    assert.ok(report.valid, JSON.stringify(report.results.map((r) => r.messages.slice(0, 5))));
  }
  fs.writeFileSync(path.join(OUT, 'favicon.ico'), ''); // what a browser asks any site for
  await site_in_context(browser(), OUT, null, async (server, context) => {
    const page = await context.open(server.url + 'book.html', DESKTOP);
    await page.wait_for(() => document.readyState === 'complete');
    const seen = await page.evaluate(() => ({
      cards: document.querySelectorAll('section.card').length,
      faces: Array.from(document.images).filter((image) => image.complete && image.naturalWidth === 240).length,
    }));
    assert.deepEqual(seen, {cards: 78, faces: 79});
    if (ENGINE === 'chromium') { // the engine whose printing puppeteer drives
      for (const format of ['A4', 'Letter']) {
        const pdf = Buffer.from(await page.raw.pdf({format})).toString('latin1');
        // The cover, the contents and a page for each card.
        assert.equal((pdf.match(/\/Type\s*\/Page[^s]/g) || []).length, 80, format);
      }
    }
    assert.deepEqual(await problems(page), []);
  });
});
