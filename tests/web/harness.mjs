// harness.mjs -- what the browser tests and the benchmark share: a static server for the
// built site, Debian's chromium driven through puppeteer-core, taps on the display, and the
// canvas's pixels

import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';
import puppeteer from 'puppeteer-core';

export const CHROMIUM = process.env.QUARNEL_CHROMIUM || '/usr/bin/chromium';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves the folder on 127.0.0.1 at a free port. `change(name, bytes)` may return other
// bytes for a file (the tests damage the packed folder that way), or false to answer 404. Every request is counted
// in `requests` (name -> count). close() cuts the network off: the server stops listening
// and drops its open connections.
// `headers` go with every response (the benchmark isolates its page to get a fine clock), or
// headers(name) with each file's.
export async function serve(folder, change = null, headers = {}) {
  const requests = {};
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '');
    if (name === '') name = 'index.html';
    requests[name] = (requests[name] || 0) + 1;
    const file = path.join(folder, name);
    if (name.includes('..') || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404, {'Content-Type': 'text/plain'});
      response.end('not found');
      return;
    }
    let bytes = fs.readFileSync(file);
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
    close: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    }),
  };
}

// Headless chromium with a fresh profile; it reaches nothing outside this machine.
export async function launch() {
  if (!fs.existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing (apt-get install chromium)`);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--autoplay-policy=user-gesture-required', '--mute-audio'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

export const PHONE = {width: 360, height: 740, deviceScaleFactor: 3, isMobile: true, hasTouch: true};
export const DESKTOP = {width: 800, height: 900, deviceScaleFactor: 1};

// A new page that records its console errors and uncaught exceptions in page.problems.
export async function open_page(browser, url, viewport = PHONE) {
  const page = await browser.newPage();
  page.problems = [];
  page.on('pageerror', (error) => page.problems.push(`exception: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') page.problems.push(`console: ${message.text()}`);
  });
  await page.setViewport(viewport);
  if (url) await page.goto(url);
  return page;
}

export function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// Waits until the program rests (waits for a tap, ended, or shows the message dialog) with
// every tap it was given taken.
export async function settled(page, timeout = 30000) {
  await page.waitForFunction(
    () => typeof quarnel !== 'undefined' && quarnel.taps_taken === quarnel.taps_seen &&
          (quarnel.waiting || quarnel.ended || quarnel.dialog_open || quarnel.failure !== null),
    {timeout, polling: 20});
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
  await page.touchscreen.tap(point.x, point.y);
  await page.waitForFunction((seen) => quarnel.taps_seen > seen, {timeout: 5000, polling: 10}, seen);
  await settled(page, timeout);
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
