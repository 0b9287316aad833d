// web_bench.mjs -- the web page's budgets, measured in the engines of phones' browsers
// (Debian's chromium and firefox-esr, WebKitGTK's MiniBrowser): download size, first frame
// against a blank page's first paint, tap to frame, idle processor use, the present in wasm,
// and a Lighthouse audit of the phone on chromium.
//
//   xvfb-run -a -s "-screen 0 2600x2800x24" node bench/web_bench.mjs [SITE_DIR] [NATIVE_BUILD_DIR] [PARTS] [ENGINES]
// (defaults build-web/site and build; needs tests/web/node_modules, and bench/web/node_modules
// for Lighthouse: npm ci in each; WebKit needs the X display). The present's native peer comes
// from NATIVE_BUILD_DIR/quarnel_bench when it is built. PARTS picks some of
// download,first,timeline,tap,language,idle,present,lighthouse (default: all); ENGINES some of
// chromium,firefox,webkit (default: all three) for first, timeline, tap, language and idle.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {execFileSync, spawn, spawnSync} from 'node:child_process';
import {fileURLToPath} from 'node:url';
import {serve, launch, settled, tap, sleep, PHONE, choose_language} from '../tests/web/harness.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const SITE = path.resolve(process.argv[2] || path.join(root, 'build-web/site'));
const NATIVE = path.resolve(process.argv[3] || path.join(root, 'build'));
const PARTS = (process.argv[4] || 'download,first,timeline,tap,language,idle,present,lighthouse').split(',');
const ENGINES = (process.argv[5] || 'chromium,firefox,webkit').split(',');
const LOADS = 10;
const TAP_ROUNDS = 2; // tests/web/readings.script twice: 50 taps

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.ceil(values.length * p) - 1];
const kb = (bytes) => (bytes / 1024).toFixed(1);
const ms = (value) => value.toFixed(1);

// [SECTION] Download: what a first visit fetches, as sent and gzip-compressed

async function download(browser, language = 'en') {
  const server = await serve(SITE);
  const context = await browser.new_context();
  const page = await context.open(`${server.url}?language=${language}`, PHONE);
  await settled(page);
  // The service worker's own fetches belong to the first visit too.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await sleep(500);
  await context.close();
  await server.close();
  const names = Object.keys(server.requests).sort();
  let raw = 0, packed = 0;
  console.log(`\n## Download (first visit in ${language}, every file fetched)\n`);
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

// [SECTION] Languages: from the choice of another language to its title screen

// On a cached visit (a reload with the service worker in charge): a language used before,
// whose packed folder the worker keeps (fetched from its cache, decompressed, unpacked, the
// program started again), and a language already unpacked in this visit (the program started
// again). quarnel.switch_ms runs from the choice to the new run's first rest, its title screen
// on the canvas.
async function switch_language(page, code) {
  await choose_language(page, code);
  await page.wait_for(() => quarnel.switch_ms !== null, {timeout: 10000});
  return page.evaluate(() => quarnel.switch_ms);
}

async function languages(browser, engine) {
  const server = await serve(SITE);
  const context = await browser.new_context();
  const page = await context.open(`${server.url}?language=en`, PHONE);
  await settled(page);
  await page.wait_for(() => navigator.serviceWorker.controller !== null && quarnel.pack_kept, {timeout: 30000});
  const first = await switch_language(page, 'de'); // fetched from the network, then kept
  const kept = [], unpacked = [];
  for (let i = 0; i < LOADS; i++) {
    await page.goto(`${server.url}?language=en`);
    await settled(page);
    kept.push(await switch_language(page, 'de'));
    await settled(page);
    unpacked.push(await switch_language(page, 'en'));
    await settled(page);
  }
  await context.close();
  await server.close();
  console.log(`\n## Changing the language in ${engine} (English to German, ${LOADS} cached visits)\n`);
  console.log('| Case | Median | Slowest | Budget |');
  console.log('|---|---:|---:|---|');
  console.log(`| German kept by the service worker: fetched from its cache, unpacked, started | ${ms(median(kept))} ms | ${ms(Math.max(...kept))} ms | 500 ms: ${Math.max(...kept) <= 500 ? 'met' : '**no**'} |`);
  console.log(`| English, unpacked already in this visit: started again | ${ms(median(unpacked))} ms | ${ms(Math.max(...unpacked))} ms | 500 ms: ${Math.max(...unpacked) <= 500 ? 'met' : '**no**'} |`);
  console.log(`| German the first time, from the network (a server on this machine) | ${ms(first)} ms | | |`);
}

// [SECTION] First frame: navigation start to the title on the canvas, cold, against a blank page

// A page with one line of text and nothing else: what any page costs the engine to show.
const BLANK = Buffer.from('<!doctype html><html lang="en"><meta charset="utf-8"><title>Blank</title><p>Blank.</p>\n');

async function first_frame(browser) {
  const server = await serve(SITE, null, {}, {'blank.html': BLANK});
  const blanks = [], titles = [], frames = [];
  for (let i = 0; i < LOADS; i++) {
    // A new context each time: no HTTP cache, no service worker, no compiled wasm kept.
    for (const which of ['blank', 'site']) {
      const context = await browser.new_context();
      const page = await context.open(null, PHONE);
      if (which === 'blank') {
        await page.goto(`${server.url}blank.html`);
        await page.wait_for(() => performance.getEntriesByType('paint').length > 0, {timeout: 30000});
        blanks.push(await page.evaluate(() => {
          const paints = performance.getEntriesByType('paint');
          const contentful = paints.find((p) => p.name === 'first-contentful-paint');
          return (contentful || paints[0]).startTime;
        }));
      } else {
        await page.goto(server.url);
        await settled(page);
        const times = await page.evaluate(() => [quarnel.first_frame_ms, quarnel.first_rest_ms]);
        frames.push(times[0]);
        titles.push(times[1]);
      }
      await context.close();
    }
  }
  await server.close();
  const line = (values) => `${values.map(ms).join(', ')}; median ${ms(median(values))}`;
  console.log(`\n## First frame in ${browser.engine} (ms after navigation start, cold, ${LOADS} loads each)\n`);
  console.log(`blank page's first paint:                      ${line(blanks)}`);
  console.log(`first frame on the canvas (start-up's black):  ${line(frames)}`);
  console.log(`title frame on the canvas, program at rest:    ${line(titles)}`);
  const over = median(titles) - median(blanks);
  console.log(`title frame after the blank page's paint: +${ms(over)} ms (budget +100: ${over <= 100 ? 'met' : 'not met'})` +
              (browser.engine === 'chromium' ? `; absolute ${ms(median(titles))} ms (budget 250 on a quiet machine)` : ''));
  return median(titles);
}

// [SECTION] Timeline: where a cold load's time goes, from navigation start to the title

// The page's own marks (quarnel_mark in hooks.js: its scripts run, painted, compiled, the packed
// folder fetched and decompressed, quarnel.js run, instantiated, unpacked, main, the window,
// the first frame, the title at rest) beside the navigation's and the downloads' timings.
async function timeline(browser) {
  const server = await serve(SITE);
  const loads = [];
  for (let i = 0; i < LOADS; i++) {
    const context = await browser.new_context();
    const page = await context.open(null, PHONE);
    await page.goto(server.url);
    await settled(page);
    loads.push(await page.evaluate(() => {
      const at = {};
      const navigation = performance.getEntriesByType('navigation')[0] || performance.timing;
      const since = (value) => (performance.timing && value > 1e12 ? value - performance.timing.navigationStart : value);
      at['HTML received'] = since(navigation.responseEnd);
      at['DOMContentLoaded'] = since(navigation.domContentLoadedEventStart);
      for (const entry of performance.getEntriesByType('resource')) {
        const name = entry.name.split('/').pop().split('?')[0];
        if (!/^quarnel.*\.(js|wasm|gz|data)$/.test(name)) continue;
        at[`${name} requested`] = entry.startTime;
        at[`${name} received`] = entry.responseEnd;
      }
      for (const entry of performance.getEntriesByType('mark'))
        if (entry.name.startsWith('quarnel:') && !(entry.name in at)) at[entry.name] = entry.startTime;
      return at;
    }));
    await context.close();
  }
  await server.close();
  const names = [...new Set(loads.flatMap((load) => Object.keys(load)))];
  const rows = names.map((name) => {
    const values = loads.map((load) => load[name]).filter((value) => value !== undefined);
    return {name, median: median(values), low: Math.min(...values), high: Math.max(...values)};
  }).sort((a, b) => a.median - b.median);
  console.log(`\n## Timeline in ${browser.engine} (ms after navigation start, ${LOADS} cold loads)\n`);
  console.log('| Moment | Median | Fastest | Slowest |');
  console.log('|---|---:|---:|---:|');
  for (const row of rows)
    console.log(`| ${row.name.replace(/^quarnel:/, 'page: ')} | ${ms(row.median)} | ${ms(row.low)} | ${ms(row.high)} |`);
}

// [SECTION] Per tap: pointer event to the new frame on the canvas, sleeps left out

async function per_tap(browser) {
  const server = await serve(SITE);
  const context = await browser.new_context();
  const page = await context.open(`${server.url}?clock=4242`, PHONE);
  const script = fs.readFileSync(path.join(root, 'tests/web/readings.script'), 'utf8');
  const taps = [];
  for (let round = 0; round < TAP_ROUNDS; round++) {
    if (round > 0) await page.reload();
    await settled(page);
    await sleep(500); // the page decodes its sounds while the program first rests
    for (const line of script.split('\n')) {
      const words = line.replace(/#.*/, '').trim().split(/\s+/);
      if (words[0] === 'tap') await tap(page, Number(words[1]), Number(words[2]));
    }
    taps.push(...await page.evaluate(() => quarnel.tap_ms));
  }
  await context.close();
  await server.close();
  const p95 = percentile(taps, 0.95);
  console.log(`\n## Per tap in ${browser.engine} (ms from the pointer event to the first new frame, the program's sleeps left out)\n`);
  console.log(`${taps.length} taps of tests/web/readings.script: median ${ms(median(taps))}, ` +
              `95th percentile ${ms(p95)} (budget 16: ${p95 <= 16 ? 'met' : 'not met'}), max ${ms(Math.max(...taps))}`);
  console.log(`each: ${taps.map(ms).join(', ')}`);
  return p95;
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

// Every process of the engine: chromium's renderers and GPU process, Firefox's content and
// main processes, MiniBrowser and WebKit's web and network processes.
function process_kind(pid) {
  const name = fs.readFileSync(`/proc/${pid}/comm`, 'utf8').trim();
  const type = /--type=([a-z-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0').join(' '));
  return type ? `${name} ${type[1]}` : name;
}

async function idle(engine) {
  const browser = await launch(engine); // nothing else has run in it
  const server = await serve(SITE);
  const context = await browser.new_context();
  const page = await context.open(server.url, PHONE);
  await settled(page);
  await sleep(3000); // start-up, the service worker's install and the sounds' decoding are done
  const processes = descendants(browser.pid()).map((pid) => ({pid, type: process_kind(pid)}));
  const ticks = Number(execFileSync('getconf', ['CLK_TCK'], {encoding: 'utf8'}));
  const before = processes.map((p) => cpu_ticks(p.pid));
  const rests = await page.evaluate(() => quarnel.rests);
  const start = Date.now();
  await sleep(10000);
  const seconds = (Date.now() - start) / 1000;
  const after = processes.map((p) => { try { return cpu_ticks(p.pid); } catch (e) { return null; } });
  const woke = (await page.evaluate(() => quarnel.rests)) - rests;
  const audio = await page.evaluate(() => WebPage.audio ? WebPage.audio.state : 'none');
  await context.close();
  await browser.close();
  await server.close();
  console.log(`\n## Idle in ${engine} (title screen left alone, processor time over ${seconds.toFixed(1)} s)\n`);
  let total = 0;
  processes.forEach((p, i) => {
    if (after[i] === null) return;
    const share = (after[i] - before[i]) / ticks / seconds * 100;
    total += share;
    console.log(`${p.type} ${p.pid}: ${share.toFixed(2)}% of one core`);
  });
  console.log(`all of the engine's processes together: ${total.toFixed(2)}% of one core (budget 2%); ` +
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
  const page = await browser.raw.newPage();
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
  const context = await browser.new_context();
  const page = await context.open(server.url, PHONE);
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
  await context.close();
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

// [SECTION] Lighthouse: the phone as an auditor sees it

// Lighthouse from npm (bench/web) on Debian's chromium, its mobile preset with its default
// network and processor throttling (simulated), against the served site; three runs.
async function lighthouse() {
  const cli = path.join(root, 'bench/web/node_modules/.bin/lighthouse');
  if (!fs.existsSync(cli)) {
    console.log('\n## Lighthouse: bench/web/node_modules is missing (npm ci in bench/web)');
    return;
  }
  const server = await serve(SITE);
  console.log('\n## Lighthouse (mobile preset, simulated throttling, on chromium)\n');
  console.log('| Run | Performance | Accessibility | Best Practices | SEO | FCP | LCP | TBT | Longest task | CLS |');
  console.log('|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|');
  const lcp_elements = new Set();
  for (let run = 1; run <= 3; run++) {
    const out = path.join(os.tmpdir(), `quarnel-lighthouse-${process.pid}.json`);
    // Not spawnSync: the server answering Lighthouse runs in this process.
    const run_cli = spawn(cli, [server.url, '--quiet', '--output=json', `--output-path=${out}`,
      '--chrome-flags=--headless=new --no-sandbox --disable-gpu'],
      {stdio: ['ignore', 'ignore', 'inherit'], env: {...process.env, CHROME_PATH: '/usr/bin/chromium'}});
    const status = await new Promise((resolve) => run_cli.on('exit', resolve));
    if (status !== 0) throw new Error(`lighthouse failed (exit ${status})`);
    const report = JSON.parse(fs.readFileSync(out, 'utf8'));
    fs.rmSync(out);
    const score = (name) => Math.round(report.categories[name].score * 100);
    const audit = (name) => report.audits[name].numericValue;
    const tasks = (report.audits['long-tasks'].details || {items: []}).items.map((task) => task.duration);
    console.log(`| ${run} | ${score('performance')} | ${score('accessibility')} | ${score('best-practices')} | ` +
                `${score('seo')} | ${(audit('first-contentful-paint') / 1000).toFixed(2)} s | ` +
                `${(audit('largest-contentful-paint') / 1000).toFixed(2)} s | ${Math.round(audit('total-blocking-time'))} ms | ` +
                `${tasks.length ? Math.round(Math.max(...tasks)) : 0} ms | ${audit('cumulative-layout-shift').toFixed(3)} |`);
    // The element whose paint was the largest: what the LCP waits for.
    const lcp = report.audits['largest-contentful-paint-element'];
    const table = lcp && lcp.details && (lcp.details.items || [])[0];
    const node = table && table.items && table.items[0] && table.items[0].node;
    if (node) lcp_elements.add(node.snippet || node.selector);
  }
  for (const element of lcp_elements) console.log(`\nLargest contentful paint: ${element}`);
  await server.close();
}

// [SECTION] All of them

console.log(`# Web page budgets: ${SITE}, ${os.cpus().length} CPUs, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
if (PARTS.some((part) => ['download', 'present'].includes(part))) {
  const browser = await launch('chromium');
  try {
    if (PARTS.includes('download')) {
      await download(browser);
      await download(browser, 'de'); // the largest of the other languages' folders
    }
    if (PARTS.includes('present')) await present(browser);
  } finally {
    await browser.close();
  }
}
for (const engine of ENGINES) {
  if (PARTS.some((part) => ['first', 'timeline', 'tap', 'language'].includes(part))) {
    const browser = await launch(engine);
    try {
      if (PARTS.includes('first')) await first_frame(browser);
      if (PARTS.includes('timeline')) await timeline(browser);
      if (PARTS.includes('tap')) await per_tap(browser);
      if (PARTS.includes('language')) await languages(browser, engine);
    } finally {
      await browser.close();
    }
  }
  if (PARTS.includes('idle')) await idle(engine);
}
if (PARTS.includes('lighthouse')) await lighthouse();
