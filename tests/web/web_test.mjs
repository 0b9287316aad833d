// web_test.mjs -- the web page in one engine (QUARNEL_ENGINE: chromium, firefox or webkit)
// against quarnel-headless: the same frames bit for bit, taps with a finger, offline starts
// and new versions, a phone's viewport, sound that starts inside the user's gestures, the
// message dialog for missing and damaged files, the keep buttons, the notices, and a
// Content-Security-Policy no test ever violates.
//
//   QUARNEL_ENGINE=firefox node --test tests/web/web_test.mjs
// Environment: QUARNEL_SITE (build-web/site), QUARNEL_HEADLESS (build/tools/quarnel-headless),
// QUARNEL_INSTALL (build/install_folder), QUARNEL_TEST_OUT (build/test_output/web/ENGINE).

import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import zlib from 'node:zlib';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {PNG} from 'pngjs';
import {serve, launch, problems, settled, tap, tap_element, next_document, canvas_pixels, sleep, PHONE,
        DESKTOP, choose_language} from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const ENGINE = process.env.QUARNEL_ENGINE || 'chromium';
const SITE = process.env.QUARNEL_SITE || path.join(root, 'build-web/site');
const HEADLESS = process.env.QUARNEL_HEADLESS || path.join(root, 'build/tools/quarnel-headless');
const INSTALL = process.env.QUARNEL_INSTALL || path.join(root, 'build/install_folder');
const OUT = process.env.QUARNEL_TEST_OUT || path.join(root, 'build/test_output/web', ENGINE);
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

// [SECTION] The packed folder (make_site.cmake: a line of JSON listing the files, then them)

function unpack_listing(packed) {
  const end = packed.indexOf(10);
  const listing = JSON.parse(packed.subarray(0, end).toString('utf8'));
  const where = {};
  let at = end + 1;
  for (const [name, size] of listing.files) {
    where[name] = {start: at, end: at + size};
    at += size;
  }
  return {listing, where, end};
}

// The served quarnel.data.gz with one packed file's bytes changed (same length), or the
// listing changed (a file's name).
function change_packed(file, change_bytes, change_listing = null) {
  return (name, bytes) => {
    if (name !== 'quarnel.data.gz') return null;
    const packed = zlib.gunzipSync(bytes);
    const {listing, where, end} = unpack_listing(packed);
    assert.ok(where[file], `the packed folder lists ${file}`);
    if (change_listing) {
      change_listing(listing);
      const head = Buffer.from(JSON.stringify(listing) + '\n');
      return zlib.gzipSync(Buffer.concat([head, packed.subarray(end + 1)]));
    }
    const {start, end: stop} = where[file];
    packed.set(change_bytes(Buffer.from(packed.subarray(start, stop))), start);
    return zlib.gzipSync(packed);
  };
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
    await tap_element(page, '#message-ok');
    await page.wait_for((shown) => !quarnel.dialog_open || quarnel.messages.length > shown,
                        {timeout: 5000, polling: 10}, shown);
    await settled(page);
  }
  return seen;
}

// No console error, uncaught exception or Content-Security-Policy violation (`allowed`
// matches the problems a test causes on purpose).
async function assert_clean(page, allowed = null) {
  const found = (await problems(page)).filter((problem) => !allowed || !allowed.test(problem));
  assert.deepEqual(found, [], 'console errors or uncaught exceptions');
  assert.deepEqual(await page.evaluate(() => quarnel.csp_violations), [], 'Content-Security-Policy violations');
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
  browser = await launch(ENGINE);
});

after(async () => {
  if (browser) await browser.close();
});

// Each test serves the site at its own port: its own origin, so no service worker, cache or
// storage of another test reaches it; and has a browser context of its own.
async function with_site(change, body, headers = {}) {
  const server = await serve(SITE, change, headers);
  const context = await browser.new_context();
  try {
    await body(server, context);
  } finally {
    await context.close();
    await server.close();
  }
}

// Waits until the service worker has kept every file, the packed folder of the page's
// language too, and controls the page.
async function worker_in_charge(page) {
  await page.wait_for(() => navigator.serviceWorker && navigator.serviceWorker.controller !== null &&
                            navigator.serviceWorker.controller.state === 'activated' && quarnel.pack_kept,
                      {timeout: 30000, polling: 50});
}

// [SECTION] Frames and taps

test('the first frame is the title frame quarnel-headless shows, bit for bit', async () => {
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, DESKTOP);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    assert.equal(await page.evaluate(() => quarnel.packed_folder), 'ready');
    await assert_clean(page);
  });
});

test('a love and a past reading tapped with a finger show every frame the runner shoots', async () => {
  const script = fs.readFileSync(path.join(here, 'readings.script'), 'utf8');
  const shots = path.join(OUT, 'readings');
  fs.rmSync(shots, {recursive: true, force: true});
  run_headless(script, shots, ['--clock', String(CLOCK)]);
  await with_site(null, async (server, context) => {
    const page = await context.open(`${server.url}?clock=${CLOCK}`, PHONE);
    await settled(page);
    let compared = 0;
    for (const raw of script.split('\n')) {
      const words = raw.replace(/#.*/, '').trim().split(/\s+/);
      if (words[0] === 'tap') {
        await tap(page, Number(words[1]), Number(words[2]));
      } else if (words[0] === 'shot') {
        assert_same_frame(await canvas_pixels(page), path.join(shots, `${words[1]}.png`));
        if (words[1] === 'love-card-10') await page.screenshot(path.join(OUT, 'phone-love-reading.png'));
        compared++;
      }
    }
    assert.equal(compared, script.match(/^shot /gm).length);
    assert.equal(await page.evaluate(() => quarnel.ended), false);
    await assert_clean(page);
  });
});

test('a server that sends the packed folder gzip-encoded works as well as one that does not', async () => {
  const encoded = (name) => (name.endsWith('.gz') ? {'Content-Encoding': 'gzip'} : {});
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, DESKTOP);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    await assert_clean(page);
  }, encoded);
});

test('a phone shows the whole display without scroll bars, and a tap on Start opens the menu', async () => {
  const shots = path.join(OUT, 'phone');
  run_headless('tap 200 280\nshot menu\n', shots);
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    const fit = await page.evaluate(() => {
      const box = document.getElementById('display').getBoundingClientRect();
      const root = document.documentElement;
      return {left: box.left, top: box.top, right: box.right, bottom: box.bottom, width: box.width,
              height: box.height, inner_width: innerWidth, inner_height: innerHeight,
              scroll_width: root.scrollWidth, scroll_height: root.scrollHeight, ratio: devicePixelRatio};
    });
    assert.deepEqual([fit.inner_width, fit.inner_height, fit.ratio], [360, 740, 3]);
    assert.ok(fit.left >= 0 && fit.top >= 0 && fit.right <= fit.inner_width && fit.bottom <= fit.inner_height,
              `the display lies outside the viewport: ${JSON.stringify(fit)}`);
    assert.ok(fit.scroll_width <= fit.inner_width && fit.scroll_height <= fit.inner_height,
              `the page scrolls: ${JSON.stringify(fit)}`);
    // The largest whole factor of device pixels: 4 x 240 = 960 of the phone's 1080.
    assert.ok(Math.abs(fit.width * fit.ratio - 960) < 0.5 && Math.abs(fit.height * fit.ratio - 1280) < 0.5,
              `not 4 device pixels a display pixel: ${JSON.stringify(fit)}`);
    await page.screenshot(path.join(OUT, 'phone-title.png'));
    await tap(page, 200, 280);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'menu.png'));
    await page.screenshot(path.join(OUT, 'phone-menu.png'));
    await assert_clean(page);
  });
});

// [SECTION] Offline, new versions, installing

test('a reload with the network cut off starts from the service worker', async () => {
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    await worker_in_charge(page);
    server.go_offline();
    await page.reload();
    await settled(page);
    assert.equal(await page.evaluate(() => quarnel.failure), null);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    await tap(page, 200, 280);
    assert.equal(await page.evaluate(() => quarnel.ended), false);
    await assert_clean(page);
  });
});

test('the page speaks the language asked for, switches to another from its menu, and keeps both offline', async () => {
  const shots = {};
  for (const code of ['es', 'de']) {
    shots[code] = path.join(OUT, `title-${code}`);
    run_headless('shot title\n', shots[code], ['--language', code]);
  }
  const words = (page) => page.evaluate(() => [document.documentElement.lang,
    document.getElementById('keep-copy').textContent, document.getElementById('language').value]);
  await with_site(null, async (server, context) => {
    const page = await context.open(`${server.url}?language=es`, PHONE);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(shots.es, 'title.png'));
    assert.deepEqual(await words(page), ['es', 'Copiar lectura', 'es']);
    await worker_in_charge(page);
    // Only the Spanish folder was fetched; German is fetched when chosen, then runs from its
    // title screen.
    assert.deepEqual(Object.keys(server.requests).filter((name) => /\.data/.test(name)), ['quarnel-es.data.gz']);
    await choose_language(page, 'de');
    await page.wait_for(() => quarnel.switch_ms !== null, {timeout: 10000});
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(shots.de, 'title.png'));
    assert.deepEqual(await words(page), ['de', 'Legung kopieren', 'de']);
    assert.equal(await page.evaluate(() => quarnel.runs), 2);
    await tap(page, 200, 280); // Start
    assert.match(await page.evaluate(() => quarnel.screen_text), /^Menü\. Schaltflächen: Wunsch, Heute/);
    // Both languages start offline; with no language asked for, the chosen one is kept.
    server.go_offline();
    await page.goto(server.url);
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(shots.de, 'title.png'));
    await choose_language(page, 'es');
    await page.wait_for(() => quarnel.switch_ms !== null, {timeout: 10000});
    await settled(page);
    assert_same_frame(await canvas_pixels(page), path.join(shots.es, 'title.png'));
    // A language never used cannot be fetched offline: the page stays in the one it speaks.
    await choose_language(page, 'fr');
    await page.wait_for(() => document.documentElement.lang === 'es', {timeout: 10000});
    assert.deepEqual(await words(page), ['es', 'Copiar lectura', 'es']);
    assert.equal(await page.evaluate(() => quarnel.failure), null);
    await assert_clean(page, /quarnel-fr\.data\.gz|Failed to (fetch|load resource)|NetworkError|network|Load failed/i);
  });
});

// The site as a new version: the same files with another version in hooks.js and sw.js.
function new_version(version) {
  const folder = path.join(OUT, 'site-b');
  fs.rmSync(folder, {recursive: true, force: true});
  fs.cpSync(SITE, folder, {recursive: true});
  const changed = version.slice(0, -1) + (version.endsWith('0') ? '1' : '0');
  for (const file of ['hooks.js', 'sw.js']) {
    const text = fs.readFileSync(path.join(folder, file), 'utf8');
    assert.ok(text.includes(version), `${file} holds the version`);
    fs.writeFileSync(path.join(folder, file), text.split(version).join(changed));
  }
  return {folder, version: changed};
}

test('a new version waits for Reload, never cuts a reading short, then runs offline with the old one\'s files gone', async () => {
  const shots = path.join(OUT, 'update');
  const script = 'tap 200 280\ntap 115 178\ntap 120 220\nshot love-shuffled\ntap 230 300\nshot love-table\n';
  run_headless(script, shots, ['--clock', String(CLOCK)]);
  await with_site(null, async (server, context) => {
    const page = await context.open(`${server.url}?clock=${CLOCK}`, PHONE);
    await settled(page);
    await worker_in_charge(page);
    const a = await page.evaluate(() => quarnel.version);
    // A reading in progress, and the network gone.
    await tap(page, 200, 280);
    await tap(page, 115, 178);
    await tap(page, 120, 220);
    server.go_offline();
    // Version B is published; the page is shown again (an hour later, as far as it knows).
    const b = new_version(a);
    server.set_folder(b.folder);
    server.go_online();
    await page.evaluate(() => { quarnel.update_checked_ms = -Infinity; });
    await page.hide_and_show();
    await page.wait_for(() => quarnel.notice === 'update', {timeout: 30000, polling: 50});
    const bar = await page.evaluate(() => [document.getElementById('notice-text').textContent,
                                           document.getElementById('notice-action').textContent]);
    assert.deepEqual(bar, ['A new version of Quarnel is ready', 'Reload']);
    await assert_notice_clear_of_display(page);
    await page.screenshot(path.join(OUT, 'phone-update-bar.png'));
    // Still version A's program, in the same reading: it goes on.
    assert.equal(await page.evaluate(() => quarnel.version), a);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-shuffled.png'));
    await tap(page, 230, 300);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'love-table.png'));
    assert.equal(await page.evaluate(() => quarnel.notice), 'update');
    // The user chooses Reload: version B, from its own worker and cache, offline too.
    const before = await page.evaluate(() => performance.timeOrigin);
    await tap_element(page, '#notice-action');
    await next_document(page, before);
    assert.equal(await page.evaluate(() => quarnel.version), b.version);
    assert.equal(await page.evaluate(() => quarnel.notice), '');
    server.go_offline();
    await page.reload();
    await settled(page);
    assert.equal(await page.evaluate(() => quarnel.version), b.version);
    assert.equal(await page.evaluate(() => quarnel.failure), null);
    assert_same_frame(await canvas_pixels(page), path.join(title_shots, 'title.png'));
    assert.deepEqual(await page.evaluate(() => caches.keys()), [`quarnel-${b.version}`]);
    await assert_clean(page);
  });
});

// The notice bar, the keep buttons and the display do not overlap, and all lie in the viewport.
async function assert_notice_clear_of_display(page) {
  const boxes = await page.evaluate(() => {
    const box = (id) => {
      const b = document.getElementById(id).getBoundingClientRect();
      return [b.left, b.top, b.right, b.bottom];
    };
    return {display: box('display'), keep: box('keep'), notice: box('notice'), width: innerWidth, height: innerHeight};
  });
  const apart = (a, b) => a[2] <= b[0] || b[2] <= a[0] || a[3] <= b[1] || b[3] <= a[1];
  assert.ok(apart(boxes.display, boxes.notice) && apart(boxes.display, boxes.keep) && apart(boxes.keep, boxes.notice),
            `the notice, the keep buttons and the display overlap: ${JSON.stringify(boxes)}`);
  assert.ok(boxes.notice[3] <= boxes.height + 0.5 && boxes.notice[1] >= 0, `the notice is off screen: ${JSON.stringify(boxes)}`);
}

test('an Install button where the browser offers one, an iOS hint in Safari, both gone for good once dismissed', async () => {
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    const display = await page.evaluate(() => JSON.stringify(document.getElementById('display').getBoundingClientRect()));
    // What Android's browsers send when the page may be installed (chromium may send its own):
    // offered once the display has been tapped.
    const offer = () => {
      window.prompted = [];
      const event = new Event('beforeinstallprompt', {cancelable: true});
      event.prompt = () => { prompted.push('prompt'); return Promise.resolve(); };
      event.userChoice = Promise.resolve({outcome: 'dismissed', platform: 'web'});
      window.dispatchEvent(event);
      return new Promise((resolve) => setTimeout(() => resolve(quarnel.notice), 50));
    };
    assert.equal(await page.evaluate(offer), '');
    await tap(page, 200, 280);
    await page.wait_for(() => quarnel.notice === 'install', {timeout: 5000});
    // The notice's room was kept free: the display has not moved.
    assert.equal(await page.evaluate(() => JSON.stringify(document.getElementById('display').getBoundingClientRect())),
                 display);
    await assert_notice_clear_of_display(page);
    await page.screenshot(path.join(OUT, 'phone-install-button.png'));
    await tap_element(page, '#notice-action');
    await page.wait_for(() => prompted.length === 1 && localStorage.getItem('quarnel-dismissed-install') === 'yes',
                        {timeout: 5000});
    assert.equal(await page.evaluate(() => quarnel.notice), '');
    await page.reload();
    await settled(page);
    await page.evaluate(offer);
    await tap(page, 200, 280);
    await sleep(100);
    assert.equal(await page.evaluate(() => quarnel.notice), '', 'the Install button came back after it was dismissed');

    // Safari on an iPhone, in a tab.
    const ios = () => {
      Object.defineProperty(navigator, 'standalone', {value: false, configurable: true});
      Object.defineProperty(navigator, 'maxTouchPoints', {value: 5, configurable: true});
      offer_ios_hint();
      return [quarnel.notice, document.getElementById('notice-text').textContent];
    };
    assert.deepEqual(await page.evaluate(ios), ['ios-install', 'Add to Home Screen from the Share menu to keep Quarnel offline']);
    await assert_notice_clear_of_display(page);
    await page.screenshot(path.join(OUT, 'phone-ios-hint.png'));
    await tap(page, 115, 178); // the program goes on beside the hint
    await tap_element(page, '#notice-close');
    await page.wait_for(() => quarnel.notice === '', {timeout: 5000});
    await page.reload();
    await settled(page);
    assert.deepEqual(await page.evaluate(ios), ['', ''], 'the hint came back');
    // Installed (opened from the Home Screen): no hint.
    await page.evaluate(() => localStorage.clear());
    assert.equal(await page.evaluate(() => {
      Object.defineProperty(navigator, 'standalone', {value: true, configurable: true});
      offer_ios_hint();
      return quarnel.notice;
    }), '');
    await assert_clean(page);
  });
});

test('the manifest and the Home Screen icon make the page installable: names, standalone portrait, colours and icons', async () => {
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    const found = await page.evaluate(async () => {
      const link = document.querySelector('link[rel="manifest"]');
      const manifest = await (await fetch(link.href)).json();
      const touch = document.querySelector('link[rel="apple-touch-icon"]');
      const icons = [];
      for (const icon of [...manifest.icons, {src: touch.getAttribute('href'), sizes: touch.sizes.value, purpose: 'apple-touch-icon'}]) {
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
      const meta = (name) => document.querySelector(`meta[name="${name}"]`).content;
      return {manifest, icons, theme: meta('theme-color'), title: document.title,
              apple: [meta('apple-mobile-web-app-capable'), meta('apple-mobile-web-app-title'),
                      meta('apple-mobile-web-app-status-bar-style')]};
    });
    const m = found.manifest;
    assert.deepEqual([m.name, m.short_name, m.display, m.orientation, m.start_url],
                     ['Quarnel', 'Quarnel', 'standalone', 'portrait', './']);
    assert.match(m.theme_color, /^#[0-9a-f]{6}$/);
    assert.equal(found.theme, m.theme_color);
    assert.equal(found.title, 'Quarnel');
    assert.deepEqual(found.apple, ['yes', 'Quarnel', 'black-translucent']);
    // Each icon decodes at its stated size; the card fills the middle; the maskable one and
    // iOS's are opaque to their corners (a launcher cuts them; iOS fills clear pixels black).
    assert.deepEqual(found.icons, [['192x192', 'any', '192x192', 0, 255], ['512x512', 'any', '512x512', 0, 255],
                                   ['512x512', 'maskable', '512x512', 255, 255],
                                   ['180x180', 'apple-touch-icon', '180x180', 255, 255]]);
    await assert_clean(page);
  });
});

// [SECTION] Sound

// The AudioContext calls since the nth, with the state seen.
function audio_since(page, n) {
  return page.evaluate((n) => ({calls: quarnel.audio_calls.slice(n), states: quarnel.audio_states,
                                started: quarnel.sounds_started, ended: quarnel.sounds_ended, last: quarnel.last_sound,
                                state: WebPage.audio ? WebPage.audio.state : 'none'}), n);
}

// Every call that makes the context run ran inside a tap's handler, the first one inside a
// gesture's (where the engine tells, it counted as a user activation then); a sound may start
// outside one (the program's animations play on) only while the context runs or has been
// asked to run.
function assert_in_gestures(calls) {
  for (const call of calls) {
    if (call.call === 'start' && (call.state === 'running' || call.resuming)) continue;
    assert.notEqual(call.event, '', `${call.call} outside any handler: ${JSON.stringify(calls)}`);
    if (call.call === 'make' || call.call === 'silence' || (call.call === 'resume' && call.event !== 'pointerdown')) {
      assert.ok(['pointerup', 'touchend', 'click', 'keydown'].includes(call.event), JSON.stringify(call));
      assert.notEqual(call.active, false, `${call.call} without a user activation: ${JSON.stringify(call)}`);
    }
  }
}

test('a tap\'s sound starts inside the gesture and plays, before and after the page is hidden', async () => {
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    // start.wav, played by start-up before any tap, stays silent.
    assert.deepEqual(await audio_since(page, 0), {calls: [], states: [], started: 0, ended: 0, last: '', state: 'none'});

    await tap(page, 200, 280); // Start: ico.wav
    await page.wait_for(() => quarnel.sounds_ended >= 1, {timeout: 10000});
    let audio = await audio_since(page, 0);
    assert.deepEqual([audio.started, audio.last], [1, '/quarnel/sound/ico.wav']);
    assert.deepEqual(audio.calls.map((c) => c.call).slice(0, 3), ['make', 'resume', 'silence']);
    assert.ok(audio.calls.some((c) => c.call === 'start'), JSON.stringify(audio.calls));
    assert.ok(audio.states.includes('running'), `the context never ran: ${JSON.stringify(audio)}`);
    assert_in_gestures(audio.calls);
    // At rest again: no audio thread.
    await page.wait_for(() => WebPage.audio.state !== 'running', {timeout: 10000});

    let seen = audio.calls.length;
    await tap(page, 115, 178); // Love: ico.wav again
    await page.wait_for(() => quarnel.sounds_ended >= 2, {timeout: 10000});
    audio = await audio_since(page, seen);
    assert.equal(audio.started, 2);
    assert_in_gestures(audio.calls);

    // Hidden (iOS then suspends or interrupts the context), shown, tapped: the sound plays.
    await page.hide_and_show();
    seen = (await audio_since(page, 0)).calls.length;
    const ran = (await audio_since(page, 0)).states.length;
    await tap(page, 120, 220); // the deck: shufflecard.wav, as the cards fly
    await page.wait_for(() => quarnel.sounds_ended >= 3, {timeout: 10000});
    audio = await audio_since(page, seen);
    assert.ok(audio.started >= 3 && audio.last === '/quarnel/sound/shufflecard.wav', JSON.stringify(audio));
    assert.ok(audio.states.slice(ran).includes('running'), `the context did not run again: ${JSON.stringify(audio)}`);
    assert_in_gestures(audio.calls);
    await assert_clean(page);
  });
});

// [SECTION] Missing and damaged files

test('a missing picture shows the desktop message in the page dialog, then the page shows the end', async () => {
  const folder = install_copy('missing-menu', 'picture/menu.nbf', () => null);
  const expected = logged_messages(run_headless('tap 200 280\n', path.join(OUT, 'missing-shots'),
                                                ['--install-dir', folder]));
  assert.equal(expected[0], '|567768354645');
  const hide = change_packed('picture/menu.nbf', null, (listing) => {
    for (const file of listing.files) if (file[0] === 'picture/menu.nbf') file[0] = 'picture/gone.nbf';
  });
  await with_site(hide, async (server, context) => {
    const page = await context.open(server.url, PHONE);
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
    await page.screenshot(path.join(OUT, 'phone-ended.png'));
    // Start again: a new program, from the title screen.
    const before = await page.evaluate(() => performance.timeOrigin);
    await tap_element(page, '#ended-again');
    await next_document(page, before);
    assert.equal(await page.evaluate(() => quarnel.ended), false);
    await assert_clean(page);
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
  const expected = logged_messages(run_headless('', path.join(OUT, 'damaged-shots'), ['--install-dir', folder]));
  assert.ok(expected.length >= 1, 'the runner reports the damage');
  await with_site(change_packed('picture/card.nbf', damage), async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    assert.deepEqual(await dismiss_messages(page), expected);
    assert.deepEqual(await page.evaluate(() => [quarnel.messages, quarnel.failure, quarnel.ended]),
                     [expected, null, true]);
    await assert_clean(page);
  });
});

test('a damaged gzip stream of the packed folder gives the desktop messages for a missing install folder', async () => {
  const empty = path.join(OUT, 'empty-folder');
  fs.rmSync(empty, {recursive: true, force: true});
  fs.mkdirSync(empty, {recursive: true});
  const expected = logged_messages(run_headless('', path.join(OUT, 'empty-shots'), ['--install-dir', empty]));
  assert.ok(expected.length >= 1, 'the runner reports the missing files');
  // Bytes in the middle of the deflate stream flipped: it no longer decompresses (or its
  // check sum fails at the end).
  const damage = (name, bytes) => {
    if (name !== 'quarnel.data.gz') return null;
    const copy = Buffer.from(bytes);
    for (let i = 0; i < 64; i++) copy[(copy.length >> 1) + i] ^= 0xa5;
    return copy;
  };
  await with_site(damage, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    assert.deepEqual(await dismiss_messages(page), expected);
    assert.deepEqual(await page.evaluate(() => [quarnel.packed_folder, quarnel.failure, quarnel.ended]),
                     ['damaged', null, true]);
    // The page warns on its console; no error, no exception.
    await assert_clean(page);
  });
});

test('damaged WAV files play nothing and throw nothing: the program goes on as the desktop\'s does', async () => {
  // The WAV parser on every cut of a real file and on damaged headers and sizes.
  const wav = fs.readFileSync(path.join(INSTALL, 'sound/ico.wav'));
  await with_site(null, async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    const results = await page.evaluate((bytes) => {
      const wav = Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0));
      const out = {parsed: 0, refused: 0, thrown: []};
      const cases = [];
      for (let n = 0; n <= 64; n++) cases.push(wav.subarray(0, n));
      for (let n = 64; n < wav.length; n += 97) cases.push(wav.subarray(0, n));
      for (let at = 0; at < 48; at++) {
        for (const value of [0x00, 0xff, 0x7f, 0x80]) {
          const copy = wav.slice();
          copy[at] = value;
          cases.push(copy);
        }
      }
      for (const bytes of cases) {
        try {
          if (quarnel.parse_wav(bytes)) out.parsed++; else out.refused++;
        } catch (error) {
          out.thrown.push(`${bytes.length}: ${error}`);
        }
      }
      out.whole = quarnel.parse_wav(wav) !== null;
      return out;
    }, wav.toString('base64'));
    assert.deepEqual(results.thrown, []);
    assert.equal(results.whole, true);
    assert.ok(results.refused > 40 && results.parsed > 40, JSON.stringify(results));
  });
  // ico.wav with its data chunk claiming 4 GB and its format 24-bit: no sound, the same frames
  // and messages (none) as the runner with the same file.
  const damage = (bytes) => {
    const copy = Buffer.from(bytes);
    copy.writeUInt16LE(24, 34);
    copy.writeUInt32LE(0xffffffff, 40);
    return copy;
  };
  const folder = install_copy('damaged-wav', 'sound/ico.wav', damage);
  const shots = path.join(OUT, 'damaged-wav-shots');
  const expected = logged_messages(run_headless('tap 200 280\nshot menu\n', shots, ['--install-dir', folder]));
  await with_site(change_packed('sound/ico.wav', damage), async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await settled(page);
    await tap(page, 200, 280);
    assert_same_frame(await canvas_pixels(page), path.join(shots, 'menu.png'));
    assert.deepEqual(await page.evaluate(() => [quarnel.messages, quarnel.sounds_started, quarnel.ended]),
                     [expected, 0, false]);
    await assert_clean(page);
  });
});

test('a page whose packed folder cannot be fetched says so, rather than staying blank', async () => {
  await with_site((name) => (name.startsWith('quarnel.data') ? false : null), async (server, context) => {
    const page = await context.open(server.url, PHONE);
    await page.wait_for(() => typeof quarnel !== 'undefined' && quarnel.failure !== null, {timeout: 20000});
    const shown = await page.evaluate(() => [document.getElementById('ended').hidden,
                                             document.getElementById('ended-title').textContent,
                                             document.getElementById('ended-text').textContent]);
    assert.equal(shown[0], false);
    assert.equal(shown[1], 'Quarnel could not start');
    assert.match(shown[2], /quarnel\.data.*404/);
    // The browser reports the failed request itself; nothing else went wrong.
    await assert_clean(page, /404|quarnel\.data/);
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
    if (ENGINE === 'chromium')
      await context.raw.overridePermissions(server.url.replace(/\/$/, ''),
                                            ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
    const page = await context.open(`${server.url}?clock=${CLOCK}`, PHONE);
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
    assert.ok(state.text.includes(meaning), `the region lacks ${turned[1]} and its meaning`);

    // Copy: the reading's text to the clipboard (read back where the engine lets a test
    // read it: chromium); the program sees no tap and shows no frame.
    await page.evaluate(() => {
      window.copied = [];
      if (!navigator.clipboard) return;
      const write = navigator.clipboard.writeText.bind(navigator.clipboard);
      navigator.clipboard.writeText = (text) => { copied.push(text); return write(text); };
    });
    await tap_element(page, '#keep-copy');
    await page.wait_for(() => document.getElementById('keep-status').textContent !== '', {timeout: 5000});
    assert.equal(await page.evaluate(() => document.getElementById('keep-status').textContent), 'Copied');
    if (ENGINE === 'chromium') assert.equal(await page.evaluate(() => navigator.clipboard.readText()), card_text);
    else assert.deepEqual(await page.evaluate(() => copied), [card_text]);

    // Share: the Web Share API where the page has it, else a copy.
    const shared = await page.evaluate(async () => {
      const given = [];
      navigator.share = (data) => { given.push(data); return Promise.resolve(); };
      document.getElementById('keep-share').click();
      await new Promise((resolve) => setTimeout(resolve, 50));
      delete navigator.share;
      navigator.share = undefined;
      copied.length = 0;
      const write = navigator.clipboard && navigator.clipboard.writeText;
      if (write) navigator.clipboard.writeText = (text) => { copied.push(text); return Promise.resolve(); };
      document.getElementById('keep-share').click();
      await new Promise((resolve) => setTimeout(resolve, 200));
      return {given, copied};
    });
    assert.deepEqual(shared.given, [{title: 'Quarnel: Love reading', text: card_text}]);
    assert.deepEqual(shared.copied, [card_text]);

    // Save picture: the display as a 240 x 320 PNG named by date and time.
    await page.evaluate(() => {
      window.saved = [];
      const make_url = URL.createObjectURL;
      URL.createObjectURL = (blob) => { saved.push({blob}); return make_url(blob); };
      HTMLAnchorElement.prototype.click = function() { saved[saved.length - 1].name = this.download; };
    });
    await tap_element(page, '#keep-save');
    await page.wait_for(() => saved.length === 1 && saved[0].name !== undefined, {timeout: 5000});
    const saved = await page.evaluate(async () => {
      const bytes = new Uint8Array(await saved[0].blob.arrayBuffer());
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
    await page.screenshot(path.join(OUT, 'phone-keep.png'));
    await assert_clean(page);
  });
});
