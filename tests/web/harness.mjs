// harness.mjs -- what the browser tests and the benchmark share: a static server for the
// built site, the three engines a phone's browser runs on, driven the same way (Debian's
// chromium and firefox-esr through puppeteer-core, over the DevTools protocol and WebDriver
// BiDi; WebKitGTK's MiniBrowser through WebKitWebDriver, over W3C WebDriver), taps with a
// finger on the display, and the canvas's pixels.

import {before, after} from 'node:test';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';
import net from 'node:net';
import {spawn, spawnSync} from 'node:child_process';
import {fileURLToPath} from 'node:url';
import assert from 'node:assert/strict';
import puppeteer from 'puppeteer-core';

// [SECTION] The server

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves the folder on 127.0.0.1 at a free port. `change(name, bytes)` may return other
// bytes for a file (the tests damage the packed folder that way), or false to answer 404.
// Every request is counted in `requests` (name -> count). `headers` go with every response
// (the benchmark isolates its page to get a fine clock), or headers(name) with each file's.
// `extra` maps more names to their bytes (a blank page for the benchmark).
// set_folder() serves another folder from then on (a new version of the site); go_offline()
// and go_online() cut the network and bring it back (the server drops each connection);
// close() stops the server.
export async function serve(folder, change = null, headers = {}, extra = {}) {
  const requests = {};
  const state = {folder, offline: false};
  const server = http.createServer((request, response) => {
    if (state.offline) {
      request.socket.destroy();
      return;
    }
    let name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '');
    if (name === '') name = 'index.html';
    requests[name] = (requests[name] || 0) + 1;
    const file = path.join(state.folder, name);
    let bytes = extra[name];
    if (bytes === undefined) {
      if (name.includes('..') || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
        response.writeHead(404, {'Content-Type': 'text/plain'});
        response.end('not found');
        return;
      }
      bytes = fs.readFileSync(file);
    }
    if (change) {
      const changed = change(name, bytes);
      if (changed === false) {
        response.writeHead(404, {'Content-Type': 'text/plain'});
        response.end('not found');
        return;
      }
      bytes = changed || bytes;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(name)] || 'application/octet-stream',
      'Content-Length': bytes.length, 'Cache-Control': 'no-cache',
      ...(typeof headers === 'function' ? headers(name) : headers),
    });
    response.end(bytes);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  return {
    url, requests,
    set_folder: (other) => { state.folder = other; },
    go_offline: () => { state.offline = true; server.closeAllConnections(); },
    go_online: () => { state.offline = false; },
    close: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    }),
  };
}

// Serves a folder at a port of its own, and so an origin of its own: no service worker, cache
// or storage of another test reaches it; calls body(server, context) with a browser context
// of its own, then closes both.
export async function site_in_context(browser, folder, change, body, headers = {}) {
  const server = await serve(folder, change, headers);
  const context = await browser.new_context();
  try {
    await body(server, context);
  } finally {
    await context.close();
    await server.close();
  }
}

// [SECTION] The engines

export const ENGINES = ['chromium', 'firefox', 'webkit'];

function minibrowser() {
  if (process.env.QUARNEL_MINIBROWSER) return process.env.QUARNEL_MINIBROWSER;
  for (const lib of ['/usr/lib/x86_64-linux-gnu', '/usr/lib/aarch64-linux-gnu', '/usr/lib']) {
    if (!fs.existsSync(lib)) continue;
    for (const name of fs.readdirSync(lib).filter((n) => /^webkit2gtk-4\.\d$/.test(n)).sort().reverse()) {
      const file = path.join(lib, name, 'MiniBrowser');
      if (fs.existsSync(file)) return file;
    }
  }
  return '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
}

export const BINARIES = {
  chromium: process.env.QUARNEL_CHROMIUM || '/usr/bin/chromium',
  firefox: process.env.QUARNEL_FIREFOX || '/usr/bin/firefox-esr',
  webkit: minibrowser(),
};
const WEBKIT_DRIVER = process.env.QUARNEL_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';

function on_path(program) {
  return (process.env.PATH || '').split(':').some((dir) => dir && fs.existsSync(path.join(dir, program)));
}

// What an engine lacks on this machine, with the Debian package that brings it ('' if none).
export function engine_missing(engine) {
  const missing = [];
  if (!fs.existsSync(BINARIES[engine]))
    missing.push(`${BINARIES[engine]} (apt-get install ${{chromium: 'chromium', firefox: 'firefox-esr', webkit: 'webkit2gtk-driver'}[engine]})`);
  if (engine === 'firefox' && !on_path('pulseaudio')) missing.push('pulseaudio (apt-get install pulseaudio)');
  if (engine === 'webkit' && !fs.existsSync(WEBKIT_DRIVER)) missing.push(`${WEBKIT_DRIVER} (apt-get install webkit2gtk-driver)`);
  if (engine === 'webkit' && !process.env.DISPLAY) missing.push('an X display for MiniBrowser (run it under xvfb-run)');
  return missing.join(', ');
}

// One browser for every test of a file: its output folder emptied and the browser launched
// before the first test, the browser closed after the last. Returns a function that gives it.
export function browser_for_tests(engine, out) {
  let browser = null;
  before(async () => {
    fs.rmSync(out, {recursive: true, force: true});
    fs.mkdirSync(out, {recursive: true});
    browser = await launch(engine);
  });
  after(async () => {
    if (browser) await browser.close();
  });
  return () => browser;
}

export const PHONE = {width: 360, height: 740, deviceScaleFactor: 3, isMobile: true, hasTouch: true};
export const DESKTOP = {width: 800, height: 900, deviceScaleFactor: 1};

// Starts an engine with a fresh profile; it reaches nothing outside this machine. Returns
// {engine, new_context(), close(), pid()}: a context is {open(url, viewport), close(), raw},
// where open gives a page (below); each context has its own storage, caches and service
// workers.
export async function launch(engine = 'chromium') {
  const missing = engine_missing(engine);
  if (missing) throw new Error(`${engine}: missing ${missing}`);
  return engine === 'webkit' ? launch_webkit() : launch_puppeteer(engine);
}

async function launch_puppeteer(engine) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `quarnel-${engine}-`));
  const sound = engine === 'firefox' ? await start_sound_server(profile) : null;
  const browser = engine === 'chromium'
    ? await puppeteer.launch({
      executablePath: BINARIES.chromium, headless: true, userDataDir: profile,
      // The browser speaks English whatever the machine's locale, so that the page does
      // (language.js); a test of another language asks for it.
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--lang=en-US',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--autoplay-policy=user-gesture-required', '--mute-audio'],
    })
    : await puppeteer.launch({
      browser: 'firefox', executablePath: BINARIES.firefox, headless: true, userDataDir: profile,
      // Without a sound device Firefox's AudioContext never runs: its sound goes to a
      // PulseAudio server of its own that plays into nothing.
      env: {...process.env, PULSE_SERVER: `unix:${sound.socket}`},
      extraPrefsFirefox: {'browser.shell.checkDefaultBrowser': false, 'intl.accept_languages': 'en-US'},
    });
  return {
    engine, raw: browser,
    pid: () => browser.process().pid,
    new_context: async () => {
      const context = await browser.createBrowserContext();
      return {
        raw: context,
        open: async (url, viewport = PHONE) => {
          const page = new PuppeteerPage(engine, await context.newPage());
          await page.raw.setViewport(viewport);
          if (url) await page.goto(url);
          return page;
        },
        close: () => context.close(),
      };
    },
    close: async () => {
      await browser.close();
      if (sound) await sound.stop();
      fs.rmSync(profile, {recursive: true, force: true});
    },
  };
}

// A PulseAudio server whose one sink plays into nothing, on a socket in the folder given.
async function start_sound_server(folder) {
  const socket = path.join(folder, 'pulse-native');
  const server = spawn('pulseaudio', [
    '--daemonize=no', '-n', '--exit-idle-time=-1', '--disable-shm=yes', '--use-pid-file=no',
    '--load=module-null-sink sink_name=nowhere', `--load=module-native-protocol-unix socket=${socket} auth-anonymous=1`,
  ], {stdio: ['ignore', 'ignore', 'ignore'], env: {...process.env, XDG_RUNTIME_DIR: folder, HOME: folder}});
  for (let i = 0; !fs.existsSync(socket); i++) {
    if (server.exitCode !== null || i > 200) throw new Error('pulseaudio did not start (apt-get install pulseaudio)');
    await sleep(25);
  }
  return {
    socket,
    stop: async () => {
      server.kill();
      await new Promise((resolve) => (server.exitCode !== null ? resolve() : server.on('exit', resolve)));
    },
  };
}

// A page of chromium or firefox: puppeteer's, with the calls the tests make.
class PuppeteerPage {
  constructor(engine, page) {
    this.engine = engine;
    this.raw = page;
    this.seen = [];
    page.on('pageerror', (error) => this.seen.push(`exception: ${error.message}`));
    page.on('console', (message) => {
      if (message.type() === 'error') this.seen.push(`console: ${message.text()}`);
    });
  }
  goto(url) { return this.raw.goto(url); }
  reload() { return this.raw.reload(); }
  evaluate(fn, ...args) { return this.raw.evaluate(fn, ...args); }
  async wait_for(fn, {timeout = 30000, polling = 20} = {}, ...args) {
    await this.raw.waitForFunction(fn, {timeout, polling}, ...args);
  }
  tap_at(x, y) { return this.raw.touchscreen.tap(x, y); }
  // A key by its KeyboardEvent.key name ('Enter', 'ArrowDown'), and text typed key by key.
  press(key) { return this.raw.keyboard.press(key); }
  type(text) { return this.raw.keyboard.type(text); }
  async screenshot(file) {
    await this.evaluate(painted);
    await this.raw.screenshot({path: file});
  }
  // Another tab in front, then this one again: the page is hidden, then shown.
  async hide_and_show() {
    const other = await this.raw.browserContext().newPage();
    await other.bringToFront();
    await this.wait_for(() => document.visibilityState === 'hidden', {timeout: 5000});
    await this.raw.bringToFront();
    await this.wait_for(() => document.visibilityState === 'visible', {timeout: 5000});
    await other.close();
  }
  close() { return this.raw.close(); }
}

// In the page: resolves once what the page shows now has been painted.
function painted() {
  return new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
}

// [SECTION] WebKitGTK over W3C WebDriver

function free_port() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.on('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const port = probe.address().port;
      probe.close(() => resolve(port));
    });
  });
}

// MiniBrowser's own toolbar, made as small as GTK lets it be: otherwise its window cannot be
// narrower than about 450 pixels, and a phone's viewport is 360.
const SMALL_TOOLBAR = '* { min-width: 0; min-height: 0; padding: 0; margin: 0; font-size: 4px; border-width: 0; }\n';

async function launch_webkit() {
  const config = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-webkit-'));
  fs.mkdirSync(path.join(config, 'gtk-3.0'));
  fs.writeFileSync(path.join(config, 'gtk-3.0', 'gtk.css'), SMALL_TOOLBAR);
  // GDK_SCALE=3: the phone's three device pixels to a CSS pixel. MiniBrowser writes its
  // cache and storage under the config folder's neighbours; sound goes nowhere. The driver
  // leads a process group of its own, so that a MiniBrowser it started goes with it.
  let driver = null, base = null, driver_log = '';
  const start_driver = async () => {
    const port = await free_port();
    driver = spawn(WEBKIT_DRIVER, [`--port=${port}`], {
      stdio: ['ignore', 'ignore', 'pipe'], detached: true,
      env: {...process.env, XDG_CONFIG_HOME: config, XDG_CACHE_HOME: config, XDG_DATA_HOME: config,
            GDK_SCALE: '3', GST_AUDIOSINK: 'fakesink', NO_AT_BRIDGE: '1', LANGUAGE: 'en_US',
            LANG: 'en_US.UTF-8', LC_ALL: ''},
    });
    driver.stderr.on('data', (chunk) => { driver_log = (driver_log + chunk).slice(-4000); });
    base = `http://127.0.0.1:${port}`;
    for (let i = 0; ; i++) {
      try {
        const status = await (await fetch(`${base}/status`)).json();
        if (status.value && status.value.ready !== undefined) break;
      } catch (e) {
        if (i > 100) throw new Error(`WebKitWebDriver did not start: ${driver_log}`);
      }
      await sleep(50);
    }
  };
  const stop_driver = async () => {
    const gone = new Promise((resolve) => (driver.exitCode !== null ? resolve() : driver.on('exit', resolve)));
    try { process.kill(-driver.pid, 'SIGKILL'); } catch (e) { /* already gone */ }
    await gone;
  };
  await start_driver();
  // A new session now and then never answers (MiniBrowser started but never reached): after
  // a minute the driver and its browsers are ended and a new driver is asked, up to three times.
  const new_session = async () => {
    for (let tries = 1; ; tries++) {
      try {
        return await webdriver(base, 'POST', '/session', {capabilities: {alwaysMatch: {
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': {binary: BINARIES.webkit, args: ['--automation']},
        }}}, 60000);
      } catch (error) {
        if (tries === 3 || !(error.name === 'TimeoutError' || error.name === 'AbortError')) throw error;
        await stop_driver();
        await start_driver();
      }
    }
  };
  return {
    engine: 'webkit', raw: null,
    pid: () => driver.pid,
    new_context: async () => {
      const session = await new_session();
      const at = `/session/${session.sessionId}`;
      const command = (method, where, body) => webdriver(base, method, at + where, body);
      await command('POST', '/timeouts', {script: 60000, pageLoad: 60000});
      let page = null;
      return {
        raw: command,
        open: async (url, viewport = PHONE) => {
          if (page) throw new Error('one page a WebKit context');
          page = new WebDriverPage(command);
          await page.set_viewport(viewport);
          if (url) await page.goto(url);
          return page;
        },
        close: () => command('DELETE', '').catch(() => {}),
      };
    },
    close: async () => {
      await stop_driver();
      // MiniBrowser, which the driver started, may still be writing its caches as it goes.
      for (let tries = 1; ; tries++) {
        try {
          fs.rmSync(config, {recursive: true, force: true});
          break;
        } catch (error) {
          if (tries === 50) throw error;
          await sleep(100);
        }
      }
    },
  };
}

async function webdriver(base, method, where, body, timeout_ms) {
  const response = await fetch(base + where, {
    method, headers: {'Content-Type': 'application/json; charset=utf-8'},
    body: body === undefined ? undefined : JSON.stringify(body),
    signal: timeout_ms ? AbortSignal.timeout(timeout_ms) : undefined,
  });
  const answer = await response.json();
  if (answer.value && answer.value.error)
    throw new Error(`WebDriver ${method} ${where}: ${answer.value.error}: ${answer.value.message}`);
  return answer.value;
}

// The keys the tests press, as W3C WebDriver codes them.
const WEBDRIVER_KEYS = {Enter: '\uE007', Escape: '\uE00C', Tab: '\uE004', ArrowLeft: '\uE012',
                        ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Home: '\uE011',
                        End: '\uE010', Backspace: '\uE003'};

// A page of MiniBrowser: its session's one window.
class WebDriverPage {
  constructor(command) {
    this.engine = 'webkit';
    this.command = command;
    this.seen = [];
    this.size = null;
  }
  // The window's size such that the page's viewport is the one asked for.
  async set_viewport(viewport) {
    this.size = viewport;
    let rect = await this.command('POST', '/window/rect', {width: viewport.width, height: viewport.height});
    for (let i = 0; i < 3; i++) {
      const inner = await this.evaluate(() => [innerWidth, innerHeight]);
      if (inner[0] === viewport.width && inner[1] === viewport.height) return;
      rect = await this.command('POST', '/window/rect', {width: rect.width + viewport.width - inner[0],
                                                         height: rect.height + viewport.height - inner[1]});
    }
  }
  goto(url) { return this.command('POST', '/url', {url}); }
  reload() { return this.command('POST', '/refresh', {}); }
  async evaluate(fn, ...args) {
    const script = `const done = arguments[arguments.length - 1];
      const args = Array.prototype.slice.call(arguments, 0, -1);
      Promise.resolve().then(() => (${fn}).apply(null, args)).then(
        (value) => done({value: value === undefined ? null : value}),
        (error) => done({error: String(error && error.stack || error)}));`;
    const answer = await this.command('POST', '/execute/async', {script, args});
    if (answer && answer.error) throw new Error(`in the page: ${answer.error}`);
    return answer ? answer.value : null;
  }
  async wait_for(fn, {timeout = 30000, polling = 20} = {}, ...args) {
    const end = Date.now() + timeout;
    for (;;) {
      let value = false, failure = null;
      try { value = await this.evaluate(fn, ...args); } catch (error) { failure = error; }
      if (value) return;
      if (Date.now() > end) throw new Error(`waited ${timeout} ms for ${fn}${failure ? `: ${failure.message}` : ''}`);
      await sleep(polling);
    }
  }
  tap_at(x, y) {
    return this.command('POST', '/actions', {actions: [{
      type: 'pointer', id: 'finger', parameters: {pointerType: 'touch'},
      actions: [{type: 'pointerMove', duration: 0, x: Math.round(x), y: Math.round(y), origin: 'viewport'},
                {type: 'pointerDown', button: 0}, {type: 'pause', duration: 30}, {type: 'pointerUp', button: 0}],
    }]});
  }
  async screenshot(file) {
    await this.evaluate(painted);
    fs.writeFileSync(file, Buffer.from(await this.command('GET', '/screenshot'), 'base64'));
  }
  press(key) { return this.keys([WEBDRIVER_KEYS[key] || key]); }
  type(text) { return this.keys(Array.from(text)); }
  keys(values) {
    const actions = [];
    for (const value of values) actions.push({type: 'keyDown', value}, {type: 'keyUp', value});
    return this.command('POST', '/actions', {actions: [{type: 'key', id: 'keyboard', actions}]});
  }
  // The window minimised, then given its size again: hidden, then shown.
  async hide_and_show() {
    await this.command('POST', '/window/minimize', {});
    await this.wait_for(() => document.visibilityState === 'hidden', {timeout: 5000});
    await this.set_viewport(this.size);
    await this.wait_for(() => document.visibilityState === 'visible', {timeout: 5000});
  }
  close() { return Promise.resolve(); }
}

// [SECTION] quarnel-headless

export const HEADLESS = process.env.QUARNEL_HEADLESS ||
    path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../build/tools/quarnel-headless');

// Runs the runner on a script; returns its log lines. Shots go into shots_dir.
export function run_headless(script, shots_dir, options = []) {
  fs.mkdirSync(shots_dir, {recursive: true});
  const script_file = path.join(shots_dir, 'session.script');
  fs.writeFileSync(script_file, script);
  const run = spawnSync(HEADLESS, ['--script', script_file, '--shots', shots_dir, ...options],
                        {encoding: 'utf8'});
  assert.equal(run.status, 0, `quarnel-headless failed: ${run.stderr}`);
  return run.stdout.split('\n').filter((line) => line !== '');
}

// [SECTION] What the tests do on any engine's page

export function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// Console errors and uncaught exceptions: those the engine reported and the page's own.
export async function problems(page) {
  const own = await page.evaluate(() => (typeof quarnel === 'undefined' ? [] : quarnel.errors));
  return [...page.seen, ...own];
}

// No console error, uncaught exception or Content-Security-Policy violation (`allowed`
// matches the problems a test causes on purpose).
export async function assert_clean(page, allowed = null) {
  const found = (await problems(page)).filter((problem) => !allowed || !allowed.test(problem));
  assert.deepEqual(found, [], 'console errors or uncaught exceptions');
  assert.deepEqual(await page.evaluate(() => quarnel.csp_violations), [], 'Content-Security-Policy violations');
}

// Waits until the service worker has kept every file, the packed folder of the page's
// language too, and controls the page.
export async function worker_in_charge(page) {
  await page.wait_for(() => navigator.serviceWorker && navigator.serviceWorker.controller !== null &&
                            navigator.serviceWorker.controller.state === 'activated' && quarnel.pack_kept,
                      {timeout: 30000, polling: 50});
}

// Waits until the program rests (waits for a tap, ended, or shows the message dialog) with
// every tap it was given taken.
export async function settled(page, timeout = 30000) {
  try {
    await page.wait_for(
      () => typeof quarnel !== 'undefined' && quarnel.taps_taken === quarnel.taps_seen &&
            (quarnel.waiting || quarnel.ended || quarnel.dialog_open || quarnel.failure !== null),
      {timeout, polling: 20});
  } catch (error) {
    const state = await page.evaluate(() => (typeof quarnel === 'undefined' ? 'no quarnel global'
      : JSON.stringify({...quarnel, tap_ms: undefined, audio_calls: undefined, screen_text: undefined})))
      .catch((failure) => `unknown: ${failure.message}`);
    throw new Error(`the program did not come to rest: ${error.message}; the page: ${state}`);
  }
}

// The page position of display pixel (x, y)'s centre.
export async function display_point(page, x, y) {
  return page.evaluate((x, y) => {
    const box = document.getElementById('display').getBoundingClientRect();
    return {x: box.left + (x + 0.5) * box.width / 240, y: box.top + (y + 0.5) * box.height / 320};
  }, x, y);
}

// A finger's tap on display pixel (x, y), then waits until the program has answered it.
export async function tap(page, x, y, timeout = 30000) {
  const seen = await page.evaluate(() => quarnel.taps_seen);
  const point = await display_point(page, x, y);
  await page.tap_at(point.x, point.y);
  await page.wait_for((seen) => quarnel.taps_seen > seen, {timeout: 5000, polling: 10}, seen);
  await settled(page, timeout);
}

// A finger's tap on the middle of the element a selector finds.
export async function tap_element(page, selector) {
  const point = await page.evaluate((selector) => {
    const box = document.querySelector(selector).getBoundingClientRect();
    return {x: box.left + box.width / 2, y: box.top + box.height / 2};
  }, selector);
  await page.tap_at(point.x, point.y);
}

// Waits for a new document in the page (a reload the page itself started), at rest.
export async function next_document(page, before) {
  await page.wait_for((before) => performance.timeOrigin !== before && typeof quarnel !== 'undefined',
                      {timeout: 30000}, before);
  await settled(page);
}

// The canvas's pixels as RGBA bytes (240 x 320 x 4).
export async function canvas_pixels(page) {
  const data = await page.evaluate(() => {
    const canvas = document.getElementById('display');
    const pixels = canvas.getContext('2d').getImageData(0, 0, 240, 320).data;
    let text = '';
    for (let i = 0; i < pixels.length; i += 0x8000)
      text += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
    return btoa(text);
  });
  return Buffer.from(data, 'base64');
}

// Chooses a language in the page's menu as a user does (its change event); the page then starts
// the program again in that language.
export async function choose_language(page, code) {
  await page.evaluate((code) => {
    const menu = document.getElementById('language');
    menu.value = code;
    menu.dispatchEvent(new Event('change'));
  }, code);
}
