// The browser edition's figures, in Debian's Chromium (headless, driven over
// CDP), printed as a table: what a first visit transfers, navigation to the
// first picture on a first and a return visit against a bare emcc page
// (web_baseline.c), the CPU of a game that waits, and the CPU of one present
// in a 1920 x 1080 viewport.
//   node web_perf.mjs SITE [RUNS] [IDLE_SECONDS]
// SITE holds the web build's files and the baseline's (baseline.html,
// baseline.js, baseline.wasm); scripts/web_perf.sh makes it.
import {readFileSync, readdirSync} from 'node:fs';
import {setTimeout as sleep} from 'node:timers/promises';

import {ENGINES, freshProfile, launch, serve} from '../tests/web/browser.mjs';

const [site, runs = 7, idle = 10] = process.argv.slice(2).map((a, i) => (i ? Number(a) : a));
let browser = await launch();
// Each part of the table in a browser of its own: Chromium, driven through
// many fresh profiles, has now and then closed its end of the pipe part way
// through the table.
const relaunch = async () => (await browser.close(), (browser = await launch()));
const server = await serve(site);
const median = xs => [...xs].sort((a, b) => a - b)[Math.floor((xs.length - 1) / 2)];

// In every page: the time of the first picture put in the canvas, from the
// start of the navigation, and the number of pictures put.
function recorder() {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  window.pictures = 0;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    if (this.canvas.id === 'screen' && window.pictures++ === 0) window.firstPicture = performance.now();
  };
}

// The page's main-thread time so far (Chromium's TaskDuration), in s.
async function mainThread(page) {
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  return async () => (await cdp.send('Performance.getMetrics')).metrics.find(m => m.name === 'TaskDuration').value;
}

// padless: the page's gamepad listener left out (while a page listens for
// pads, Chromium polls them in its browser process).
// kept: a kept game (base64) in the page's localStorage before it starts.
async function open(path, viewport = {width: 1280, height: 800}, padless = false, kept = null) {
  const context = await freshProfile(browser);
  const page = await context.newPage();
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument(recorder);
  if (kept) await page.evaluateOnNewDocument(kept => localStorage.setItem('kwadron-game', kept), kept);
  if (padless)
    await page.evaluateOnNewDocument(() => {
      const listen = window.addEventListener;
      window.addEventListener = function (type, ...rest) {
        if (type !== 'gamepadconnected') listen.call(this, type, ...rest);
      };
    });
  await page.goto(server.url + path);
  await page.waitForFunction(() => window.firstPicture !== undefined, {timeout: 30000});
  return {context, page};
}

// CPU seconds used so far by Chromium's processes (the children of this one,
// which serves the site itself), all of them and the renderers alone.
function chromiumCpu() {
  const procs = new Map();
  for (const pid of readdirSync('/proc').filter(p => /^\d+$/.test(p))) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'latin1');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const cmd = readFileSync(`/proc/${pid}/cmdline`, 'latin1');
      procs.set(Number(pid), {ppid: Number(f[1]), cpu: (Number(f[11]) + Number(f[12])) / 100, cmd});
    } catch {} // gone meanwhile
  }
  const ours = pid => {
    for (let p = procs.get(pid); p; p = procs.get(p.ppid))
      if (p.ppid === process.pid) return true;
    return false;
  };
  let all = 0, renderer = 0;
  for (const [pid, p] of procs)
    if (ours(pid)) {
      all += p.cpu;
      if (p.cmd.includes('--type=renderer')) renderer += p.cpu;
    }
  return {all, renderer};
}

// Until the page's service worker, registered after the first picture, is
// active, so that a return visit is one the worker serves.
const workerActive = page => page.evaluate(() => navigator.serviceWorker.ready.then(r => r.active.state === 'activated' ||
  new Promise(done => r.active.addEventListener('statechange', e => e.target.state === 'activated' && done()))));

const rows = [];
const row = (figure, value, target = '') => rows.push([figure, String(value), target]);

// ---- A first visit --------------------------------------------------------------
{
  const context = await freshProfile(browser);
  const page = await context.newPage();
  // What the server sent for each request; the service worker's requests
  // name its script as their referrer.
  const sizes = [];
  const count = (request, response) => {
    const before = request.socket.bytesWritten;
    response.on('finish', () => sizes.push({file: new URL(request.url, server.url).pathname.slice(1) || 'index.html',
                                            worker: /\/sw\.js$/.test(request.headers.referer || ''),
                                            bytes: request.socket.bytesWritten - before}));
  };
  server.server.on('request', count);
  await page.goto(server.url);
  await page.waitForFunction(() => navigator.serviceWorker.controller, {timeout: 30000});
  await sleep(1000);
  server.server.off('request', count);
  const sum = list => (list.reduce((n, s) => n + s.bytes, 0) / 1024).toFixed(1);
  const core = ['index.html', 'kwadron.js', 'kwadron.wasm', 'grafika_aga'];
  const page_own = sizes.filter(s => !s.worker);
  row('first visit: page, scripts, module, default skin, KB', sum(page_own.filter(s => core.includes(s.file))), '<= 150');
  for (const f of core)
    row(`  ${f}, KB`, sum(page_own.filter(s => s.file === f)));
  row('first visit: everything the page fetches, KB', sum(page_own));
  row('first visit: and the service worker, KB', sum(sizes.filter(s => s.worker)));
  await context.close();
}

// ---- Navigation to the first picture ----------------------------------------------
await relaunch();
// A first visit, then a return to the page in the same profile (the game's
// files from its service worker's cache, the bare page's revalidated).
for (const [zoom, game, baseline] of [[1, '', 'baseline.html?320'], [2, '?SKIN=progdir:grafika_aga2x', 'baseline.html?640']]) {
  const times = {game: [[], []], baseline: [[], []]};
  for (let i = 0; i < runs; ++i)
    for (const [name, path] of [['game', game], ['baseline', baseline]]) {
      const {context, page} = await open(path);
      times[name][0].push(await page.evaluate(() => window.firstPicture));
      if (name === 'game') await workerActive(page);
      await page.goto(server.url + path);
      await page.waitForFunction(() => window.firstPicture !== undefined, {timeout: 30000});
      times[name][1].push(await page.evaluate(() => window.firstPicture));
      await context.close();
    }
  for (const [visit, k] of [['a first visit', 0], ['a return visit', 1]]) {
    const g = median(times.game[k]), b = median(times.baseline[k]);
    row(`navigation to the first picture, ${320 * zoom}x${240 * zoom}, ${visit}, ms`, g.toFixed(1));
    row('  bare emcc page, same picture size, ms', b.toFixed(1));
    row('  game / bare emcc page', (g / b).toFixed(2), '<= 1.3');
  }
}

// ---- A kept game coming back --------------------------------------------------------
await relaunch();
// A game of 10,000 moves, each with five mouse moves, and NEW GAME every
// 150 moves (so that the moves move tiles), played through the page's own
// exports, kept as the page is hidden; then each visit takes it up, played
// back before its first picture.
for (const [zoom, game] of [[1, ''], [2, '?SKIN=progdir:grafika_aga2x']]) {
  const {context, page} = await open(game);
  const kept = await page.evaluate(async () => {
    // The mouse over the picture, in device pixels of the stage.
    const canvas = document.getElementById('screen'), c = canvas.getBoundingClientRect(), dpr = devicePixelRatio || 1;
    const s = document.getElementById('stage').getBoundingClientRect(), z = canvas.width / 320;
    const at = (x, y) => [Math.floor((c.left - s.left + (x * z + 0.5) * c.width / canvas.width) * dpr),
                          Math.floor((c.top - s.top + (y * z + 0.5) * c.height / canvas.height) * dpr)];
    for (let i = 0; i < 10000; ++i) {
      const key = [0x4F, 0x4C, 0x4E, 0x4D][i % 4];
      _kw_key(key, 1, 0, 0);
      _kw_key(key, 0, 0, 0);
      for (let j = 0; j < 5; ++j)
        _kw_pointer(1, Math.floor((c.left - s.left + (i * 7 + j * 13) % c.width) * dpr),
                    Math.floor((c.top - s.top + (i * 5 + j * 11) % c.height) * dpr), 0);
      if (i % 150 === 149) _kw_pointer(0, ...at(58, 156), 0), _kw_pointer(2, ...at(58, 156), 0);
      if (i % 500 === 499) await new Promise(r => setTimeout(r, 0));
    }
    await new Promise(r => setTimeout(r, 500));
    Object.defineProperty(document, 'hidden', {value: true});
    document.dispatchEvent(new Event('visibilitychange'));
    return localStorage.getItem('kwadron-game');
  });
  await context.close();
  const times = {kept: [], fresh: []};
  for (let i = 0; i < runs; ++i)
    for (const name of ['kept', 'fresh']) {
      const {context, page} = await open(game, undefined, false, name === 'kept' ? kept : null);
      times[name].push(await page.evaluate(() => window.firstPicture));
      await context.close();
    }
  const k = median(times.kept), f = median(times.fresh);
  row(`a kept game of 10,000 moves coming back, ${320 * zoom}x${240 * zoom}, ms`, k.toFixed(1));
  row('  / a new game\'s first picture', (k / f).toFixed(2), '<= 2');
  row('  the kept game, KB of localStorage', (kept.length / 1024).toFixed(1));
}

// ---- CPU while the game waits ------------------------------------------------------
await relaunch();
// settle: the rest before measuring, in s. The page listens for game pads
// (and Chromium polls them) for 10 s after it starts or is played with.
async function idleCpu(path, padless = false, settle = 11) {
  const {context, page} = await open(path, undefined, padless);
  await sleep(settle * 1000);
  const task = await mainThread(page);
  const [c0, t0, w0] = [chromiumCpu(), await task(), performance.now()];
  await sleep(idle * 1000);
  const [c1, t1, w1] = [chromiumCpu(), await task(), performance.now()];
  await context.close();
  const s = (w1 - w0) / 1000, pc = x => (x / s * 100).toFixed(2);
  return {all: pc(c1.all - c0.all), renderer: pc(c1.renderer - c0.renderer), main: pc(t1 - t0)};
}
const waiting = await idleCpu(''), listening = await idleCpu('', false, 0), padless = await idleCpu('', true);
const bare = await idleCpu('baseline.html?320');
row(`CPU while the game waits ${idle} s, all Chromium processes, % of a core`, waiting.all, '< 0.5');
row('  its renderer process, %', waiting.renderer);
row('  its page\'s main thread (TaskDuration), %', waiting.main);
row('  the first seconds, while the page listens for pads, %', listening.all);
row('  the same without the page\'s gamepad listener, %', padless.all);
row('  the bare emcc page after its picture, all processes, %', bare.all);

// ---- One present in a 1920 x 1080 viewport -----------------------------------------
await relaunch();
// The game and the bare page that puts its picture at the two frames after
// each key, under the same 40 keys.
async function presents(path) {
  const {context, page} = await open(path, {width: 1920, height: 1080});
  const shown = await page.evaluate(() => getComputedStyle(document.getElementById('screen')).width + ' x ' +
                                          getComputedStyle(document.getElementById('screen')).height);
  await sleep(1000);
  const task = await mainThread(page);
  const [c0, t0, n0] = [chromiumCpu(), await task(), await page.evaluate(() => pictures)];
  for (let i = 0; i < 40; ++i) {
    await page.keyboard.press(['ArrowUp', 'ArrowRight', 'ArrowDown', 'ArrowLeft'][i % 4]);
    await sleep(120);
  }
  const [c1, t1, n1] = [chromiumCpu(), await task(), await page.evaluate(() => pictures)];
  await context.close();
  const n = n1 - n0;
  return {shown, n, all: (c1.all - c0.all) / n * 1000, main: (t1 - t0) / n * 1000};
}
for (const [zoom, path, baseline] of [[1, '', 'baseline.html?320&keys'], [2, '?SKIN=progdir:grafika_aga2x', 'baseline.html?640&keys']]) {
  const game = await presents(path), bare = await presents(baseline);
  row(`one present, ${320 * zoom}x${240 * zoom} shown at ${game.shown.replace(/px/g, '')} in 1920x1080:`, '');
  row('  presents measured', game.n);
  row('  CPU of all Chromium processes a present, ms', game.all.toFixed(2));
  row('  CPU of the page\'s main thread a present, ms', game.main.toFixed(2), zoom === 1 ? '<= 1' : '<= 1.5');
  row('  bare emcc page, two pictures a key, the same keys, ms', bare.main.toFixed(2));
}

const version = (await browser.version()).replace(/^\D*\//, '');
await browser.close();
server.stop();

const w = Math.max(...rows.map(r => r[0].length));
console.log(`\nChromium ${version} (headless, ${ENGINES.chromium})\n`);
console.log(`| ${'figure'.padEnd(w)} | ${'value'.padStart(10)} | target  |`);
console.log(`| ${'-'.repeat(w)} | ${'-'.repeat(10)} | ------- |`);
for (const [f, v, t] of rows) console.log(`| ${f.padEnd(w)} | ${v.padStart(10)} | ${t.padEnd(7)} |`);
console.log(`
Bytes: what Chromium received (bodies as sent, gzip, and headers) on a first
visit with an empty profile. Navigation to the first picture: from the start
of the navigation to the first picture put in the canvas (both pages put it
at an animation frame), a fresh profile each time for the first visit and
the same profile again for the return, the two pages turn about, median of
${runs} each. CPU: the processes' user and system time over ${idle} s
after 11 s without input (the page listens for game pads for 10 s after it
starts or is played with, and for good once a pad was used on it), and
Chromium's TaskDuration of the page; the first seconds: the same from the
first picture; one present:
the same over 40 moves, 120 ms apart, divided by the pictures put (the bare
page puts its picture at the two frames after each key).`);
