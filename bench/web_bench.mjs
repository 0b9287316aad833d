// web_bench.mjs -- the web page's five budgets, measured in Debian's headless chromium:
// download size, first frame, tap to frame, idle processor use, and the present in wasm.
//
//   node bench/web_bench.mjs [SITE_DIR] [NATIVE_BUILD_DIR] [PARTS]
// (defaults build-web/site and build; needs tests/web/node_modules: npm ci in tests/web).
// The present's native peer comes from NATIVE_BUILD_DIR/quarnel_bench when it is built.
// PARTS picks some of download,first,tap,idle,present (default: all five).

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {execFileSync, spawnSync} from 'node:child_process';
import {fileURLToPath} from 'node:url';
import {serve, launch, open_page, settled, tap, sleep, PHONE} from '../tests/web/harness.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const SITE = path.resolve(process.argv[2] || path.join(root, 'build-web/site'));
const NATIVE = path.resolve(process.argv[3] || path.join(root, 'build'));
const PARTS = (process.argv[4] || 'download,first,tap,idle,present').split(',');
const LOADS = 10;

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const kb = (bytes) => (bytes / 1024).toFixed(1);
const ms = (value) => value.toFixed(1);

// [SECTION] Download: what a first visit fetches, as sent and gzip-compressed

async function download(browser) {
  const server = await serve(SITE);
  const context = await browser.createBrowserContext();
  const page = await open_page(context, server.url, PHONE);
  await settled(page);
  // The service worker's own fetches belong to the first visit too.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await sleep(500);
  await context.close();
  await server.close();
  const names = Object.keys(server.requests).sort();
  let raw = 0, packed = 0;
  console.log('\n## Download (first visit, every file fetched)\n');
  console.log('| File | Fetches | Size | gzip -9 |');
  console.log('|---|---:|---:|---:|');
  for (const name of names) {
    const bytes = fs.readFileSync(path.join(SITE, name));
    // A file sent compressed already (quarnel.data.gz) counts as it is.
    const gzip = name.endsWith('.gz') ? bytes.length : zlib.gzipSync(bytes, {level: 9}).length;
    raw += bytes.length;
    packed += gzip;
    console.log(`| ${name} | ${server.requests[name]} | ${kb(bytes.length)} KB | ${kb(gzip)} KB |`);
  }
  console.log(`| all files | | ${kb(raw)} KB | ${kb(packed)} KB (budget 1024 KB) |`);
  return packed;
}

// [SECTION] First frame: navigation start to the title on the canvas, cold cache

async function first_frame(browser) {
  const server = await serve(SITE);
  const frames = [], titles = [];
  for (let i = 0; i < LOADS; i++) {
    // A new context each time: no HTTP cache, no service worker, no compiled wasm kept.
    const context = await browser.createBrowserContext();
    const page = await open_page(context, null, PHONE);
    await page.setCacheEnabled(false);
    await page.goto(server.url);
    await settled(page);
    const times = await page.evaluate(() => [quarnel.first_frame_ms, quarnel.first_rest_ms]);
    frames.push(times[0]);
    titles.push(times[1]);
    await context.close();
  }
  await server.close();
  console.log('\n## First frame (ms after navigation start, cold cache, 10 loads)\n');
  console.log(`first frame on the canvas (start-up's black): ${frames.map(ms).join(', ')}; median ${ms(median(frames))}`);
  console.log(`title frame on the canvas, program at rest:   ${titles.map(ms).join(', ')}; median ${ms(median(titles))} (budget 250)`);
  return median(titles);
}

// [SECTION] Per tap: pointer event to the new frame on the canvas, sleeps left out

async function per_tap(browser) {
  const server = await serve(SITE);
  const context = await browser.createBrowserContext();
  const page = await open_page(context, `${server.url}?clock=4242`, PHONE);
  await settled(page);
  await sleep(500); // the page makes its AudioContext while the program first rests
  const script = fs.readFileSync(path.join(root, 'tests/web/readings.script'), 'utf8');
  for (const line of script.split('\n')) {
    const words = line.replace(/#.*/, '').trim().split(/\s+/);
    if (words[0] === 'tap') await tap(page, Number(words[1]), Number(words[2]));
  }
  const taps = await page.evaluate(() => quarnel.tap_ms);
  // The first frame of each tap is put synchronously; its paint follows at the next frame.
  await context.close();
  await server.close();
  const sorted = [...taps].sort((a, b) => a - b);
  console.log('\n## Per tap (ms from the pointer event to the first new frame, the program\'s sleeps left out)\n');
  console.log(`${taps.length} taps of tests/web/readings.script: median ${ms(median(taps))}, ` +
              `90th percentile ${ms(sorted[Math.floor(sorted.length * 0.9)])}, max ${ms(sorted[sorted.length - 1])} (budget 16)`);
  console.log(`each: ${taps.map(ms).join(', ')}`);
  return sorted[sorted.length - 1];
}

// [SECTION] Idle: chromium's renderer and GPU processes with the title left alone for 10 s

function descendants(pid) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch (e) { /* gone meanwhile */ }
  }
  const all = [];
  const walk = (p) => { for (const c of children.get(p) || []) { all.push(c); walk(c); } };
  walk(pid);
  return all;
}

function cpu_ticks(pid) {
  const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
  const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  return Number(fields[11]) + Number(fields[12]); // utime + stime
}

async function idle() {
  const browser = await launch(); // nothing else has run in it
  const server = await serve(SITE);
  const page = (await browser.pages())[0];
  await page.setViewport(PHONE);
  await page.goto(server.url);
  await settled(page);
  await sleep(3000); // start-up, the service worker's install and the AudioContext are done
  const processes = descendants(browser.process().pid).map((pid) => {
    const command = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
    const type = /--type=renderer/.test(command) ? 'renderer' : /--type=gpu-process/.test(command) ? 'gpu' : null;
    return {pid, type};
  }).filter((p) => p.type);
  const ticks = Number(execFileSync('getconf', ['CLK_TCK'], {encoding: 'utf8'}));
  const before = processes.map((p) => cpu_ticks(p.pid));
  const rests = await page.evaluate(() => quarnel.rests);
  const start = Date.now();
  await sleep(10000);
  const seconds = (Date.now() - start) / 1000;
  const after = processes.map((p) => { try { return cpu_ticks(p.pid); } catch (e) { return null; } });
  const woke = (await page.evaluate(() => quarnel.rests)) - rests;
  const audio = await page.evaluate(() => WebPage.audio ? WebPage.audio.state : 'none');
  await browser.close();
  await server.close();
  console.log('\n## Idle (title screen left alone, processor time over ' + seconds.toFixed(1) + ' s)\n');
  let total = 0;
  processes.forEach((p, i) => {
    if (after[i] === null) return;
    const share = (after[i] - before[i]) / ticks / seconds * 100;
    total += share;
    console.log(`${p.type} ${p.pid}: ${share.toFixed(2)}% of one core`);
  });
  console.log(`renderers and GPU together: ${total.toFixed(2)}% of one core (budget 2%); ` +
              `the program woke ${woke} times; the AudioContext is ${audio}`);
  return total;
}

// [SECTION] Present in wasm against the native present

function build_present_bench(simd) {
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-present-'));
  const sources = ['bench/web/present_bench.cpp', 'src/graphics/present.cpp', 'src/graphics/surface.cpp',
                   'src/platform/common/files.cpp', 'src/platform/common/services.cpp',
                   'src/platform/common/messages.cpp', 'src/platform/web/widen.cpp'];
  const flags = ['-O3', '-std=c++17', '-DNDEBUG', '-Isrc', '-sENVIRONMENT=web', '-mbulk-memory',
                 ...(simd ? ['-msimd128'] : [])];
  fs.writeFileSync(path.join(out, 'index.html'),
                   '<!doctype html><title>present</title><script src="present.js"></script>\n');
  const run = spawnSync('em++', [...flags, ...sources, '-o', path.join(out, 'present.js')],
                        {cwd: root, encoding: 'utf8', env: {...process.env, NODE_PATH: '/usr/share/nodejs'}});
  if (run.status !== 0) throw new Error(`em++ failed: ${run.stderr}`);
  return out;
}

// A cross-origin isolated page, whose clock steps by microseconds rather than by 100 us.
const ISOLATED = {'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp'};

async function run_present_bench(browser, folder) {
  const server = await serve(folder, null, ISOLATED);
  const page = await browser.newPage();
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  const done = new Promise((resolve) => page.on('console', (message) => {
    if (/^sink/.test(message.text())) resolve();
  }));
  await page.goto(server.url);
  await done;
  await page.close();
  await server.close();
  const value = (name) => Number(new RegExp(`${name} ([0-9.]+)`).exec(lines.join('\n'))[1]);
  return {present: value('present_to_frame_us'), widen: value('widen_565_us')};
}

async function put_image_us(browser) {
  const server = await serve(SITE, null, ISOLATED);
  const page = await open_page(browser, server.url, PHONE);
  await settled(page);
  const us = await page.evaluate(() => {
    const canvas = document.getElementById('display'), context = canvas.getContext('2d');
    const image = new ImageData(new Uint8ClampedArray(240 * 320 * 4).fill(200), 240, 320);
    let best = Infinity;
    for (let round = 0; round < 100; round++) {
      const start = performance.now();
      for (let i = 0; i < 50; i++) context.putImageData(image, 0, 0);
      best = Math.min(best, (performance.now() - start) * 1000 / 50);
    }
    return best;
  });
  await page.close();
  await server.close();
  return us;
}

function native_present_us() {
  const bench = path.join(NATIVE, 'quarnel_bench');
  if (!fs.existsSync(bench)) return null;
  const run = spawnSync(bench, ['--benchmark_filter=BM_Present/0$', '--benchmark_min_time=0.005',
                                '--benchmark_repetitions=100', '--benchmark_format=json'], {encoding: 'utf8'});
  // The fastest of 100 short runs, as for the wasm figure: others on the machine only slow a run.
  const runs = JSON.parse(run.stdout).benchmarks.filter((b) => b.run_type === 'iteration');
  return Math.min(...runs.map((b) => b.real_time)) / 1000; // ns to us
}

async function present(browser) {
  const plain = await run_present_bench(browser, build_present_bench(false));
  const simd = await run_present_bench(browser, build_present_bench(true));
  const put = await put_image_us(browser);
  const native = native_present_us();
  console.log('\n## Present (240 x 320, microseconds a frame)\n');
  console.log(`native present_to_frame (quarnel_bench BM_Present/0, fastest of 100 short runs): ${native === null ? 'not built' : native.toFixed(2)}`);
  console.log(`wasm present_to_frame: ${plain.present.toFixed(2)}; with -msimd128: ${simd.present.toFixed(2)}`);
  console.log(`wasm widen_565 to RGBA: ${plain.widen.toFixed(2)}; with -msimd128: ${simd.widen.toFixed(2)}`);
  console.log(`putImageData of the frame: ${put.toFixed(2)}`);
  if (native !== null)
    console.log(`present_to_frame wasm / native: ${(plain.present / native).toFixed(2)} (${(simd.present / native).toFixed(2)} with SIMD; budget 2)`);
  console.log(`whole web present (present_to_frame + widen + putImageData): ${(plain.present + plain.widen + put).toFixed(1)}`);
}

// [SECTION] All five

const browser = await launch();
try {
  console.log(`# Web page budgets: ${SITE}, ${os.cpus().length} CPUs, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  if (PARTS.includes('download')) await download(browser);
  if (PARTS.includes('first')) await first_frame(browser);
  if (PARTS.includes('tap')) await per_tap(browser);
  if (PARTS.includes('idle')) await idle();
  if (PARTS.includes('present')) await present(browser);
} finally {
  await browser.close();
}
