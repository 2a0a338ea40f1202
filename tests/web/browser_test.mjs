// The browser edition in headless Chromium or Firefox, against the desktop
// program's headless display: the same input at the same time, the same pixels.
//   node browser_test.mjs SITE NATIVE [chromium|firefox]
// SITE is the web build's folder (build-web/site), NATIVE the folder of the
// desktop build's kwadron and skins (build-test).
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import {appendFileSync, copyFileSync, cpSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join, resolve} from 'node:path';
import {after, afterEach, before, test} from 'node:test';
import {setTimeout as sleep} from 'node:timers/promises';
import {inflateSync} from 'node:zlib';

import {freshProfile, launch, serve} from './browser.mjs';

const [site, native] = process.argv.slice(2, 4).map(p => resolve(p));
const engine = process.argv[4] || 'chromium';
const it = (name, fn) => test(`${engine}: ${name}`, fn);
const KEYS = {up: 'ArrowUp', down: 'ArrowDown', left: 'ArrowLeft', right: 'ArrowRight', esc: 'Escape'};
const BUTTON = {newgame: [58, 156], credits: [58, 176], back: [209, 182]}; // their middles, at 320 x 240
const BOARD = [209, 126];
let browser, server;
const folders = [], contexts = [];
const fresh = () => folders[folders.push(mkdtempSync(join(tmpdir(), 'kwadron-web-'))) - 1]; // a folder of its own

before(async () => ([browser, server] = await Promise.all([launch(engine), serve(site)])));
afterEach(() => Promise.all(contexts.splice(0).map(c => c.close().catch(() => {})))); // a context a crash took is gone
after(async () => {
  await browser?.close();
  server?.stop();
  for (const f of folders) rmSync(f, {recursive: true, force: true});
});

// ---- The native side ----------------------------------------------------------

// Runs the desktop program on its headless display with an input script, its
// clock started at `time` (UTC), in a fresh folder of its own; the folder.
// `dir`: a folder of a run before, whose best score the program reads.
function nativeRun(script, {args = [], time = '2026-01-01 00:00:00', env = {}, dir = fresh()} = {}) {
  for (const f of ['kwadron', 'grafika_aga', 'grafika_aga2x']) copyFileSync(join(native, f), join(dir, f));
  writeFileSync(join(dir, 'script'), script);
  try {
    execFileSync('faketime', ['-f', '@' + time, './kwadron', ...args], {
      cwd: dir, stdio: 'pipe',
      env: {...process.env, TZ: 'UTC', FAKETIME_DONT_FAKE_MONOTONIC: '1', KWADRON_DISPLAY: 'headless',
            KWADRON_SCRIPT: 'script', XDG_DATA_HOME: join(dir, 'data'), ...env},
    });
  } catch (e) {
    throw new Error(`the native program in ${dir}: ${e.message}\n${e.stdout}${e.stderr}`);
  }
  return dir;
}

// A snapshot of the headless display (8-bit RGB, rows unfiltered).
function readPng(file) {
  const b = readFileSync(file);
  const w = b.readUInt32BE(16), h = b.readUInt32BE(20), idat = [];
  for (let at = 8; at < b.length; at += b.readUInt32BE(at) + 12)
    if (b.toString('latin1', at + 4, at + 8) === 'IDAT') idat.push(b.subarray(at + 8, at + 8 + b.readUInt32BE(at)));
  const rows = inflateSync(Buffer.concat(idat)), rgb = Buffer.alloc(w * h * 3);
  for (let y = 0; y < h; ++y) {
    assert.equal(rows[y * (w * 3 + 1)], 0, file + ': unfiltered rows');
    rows.copy(rgb, y * w * 3, y * (w * 3 + 1) + 1, (y + 1) * (w * 3 + 1));
  }
  return {w, h, rgb};
}

// ---- The page -----------------------------------------------------------------

// In every page: the wall clock stopped at `now` (the game's seed; timers
// run), its canvas read back (RGBA, base64), and its presents counted, each
// with the animation frame it was drawn in.
function pageScript(now) {
  const RealDate = Date;
  window.Date = function Date(...a) { return new.target ? new RealDate(...(a.length ? a : [now])) : new RealDate(now).toString(); };
  Object.assign(Date, {now: () => now, parse: RealDate.parse, UTC: RealDate.UTC, prototype: RealDate.prototype});
  window.grab = () => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
    return {w: c.width, h: c.height, data: btoa(s)};
  };
  // A game pad of the test's, once it makes one (window.pad).
  window.pad = null;
  navigator.getGamepads = () => [window.pad];
  window.kw = {presents: 0, frame: 0, frames: null};
  const tick = () => (++kw.frame, requestAnimationFrame(tick));
  requestAnimationFrame(tick);
  // The build of the module instantiated: B when it holds a section "build".
  for (const [name, real] of ['instantiate', 'instantiateStreaming'].map(n => [n, WebAssembly[n]]))
    WebAssembly[name] = (...a) => real(...a).then(r => (kw.module = WebAssembly.Module.customSections(r.module || a[0], 'build').length ? 'B' : 'A', r));
  window.hook = () => (kw.hooked = Module.page.presented = () => ++kw.presents && kw.frames?.push({frame: kw.frame, picture: grab()}));
}

// A page of its own storage, online, its clock fixed at `time` (the game's seed); closed after the test.
// `init` runs before the page's own scripts too; `context`: a tab beside
// another of the same browser (its storage shared); `viewport`: its size.
async function open(query = '', time = '2026-01-01T00:00:00Z', {init, context, viewport} = {}) {
  server.offline(false);
  server.from(site);
  if (!context) contexts.push(context = await freshProfile(browser));
  const page = Object.assign(await context.newPage(), {errors: []});
  if (viewport) await page.setViewport(viewport);
  await page.evaluateOnNewDocument(pageScript, Date.parse(time));
  if (init) await page.evaluateOnNewDocument(init);
  // Firefox also tells the page of the offline check's failed fetch.
  page.on('pageerror', e => /offline-check/.test(e.message) || page.errors.push(e));
  await page.goto(server.url + query);
  await settle(page);
  return page;
}

// Until the program waits for input with its last picture shown.
async function settle(page) {
  const deadline = Date.now() + 30000;
  for (let last = -1, still = 0; still < 3;) {
    assert.ok(Date.now() < deadline, 'the game never came to rest');
    await sleep(100);
    const n = await page.evaluate(() => (window.KW?.wake ? (kw.hooked || hook(), kw.presents) : -1));
    still = n >= 0 && n === last ? still + 1 : 0;
    last = n;
  }
  assert.deepEqual(page.errors, []);
}

const asRgb = ({w, h, data}) => {
  const rgba = Buffer.from(data, 'base64'), rgb = Buffer.alloc(w * h * 3);
  for (let i = 0; i < w * h; ++i) {
    assert.equal(rgba[4 * i + 3], 255, 'an opaque canvas');
    rgba.copy(rgb, 3 * i, 4 * i, 4 * i + 3);
  }
  return {w, h, rgb};
};
const grab = async page => asRgb(await page.evaluate(() => grab()));

function same(shot, want, what) {
  assert.deepEqual([shot.w, shot.h], [want.w, want.h], what + ': size');
  let n = 0, first = 0;
  for (let i = 0; i < shot.w * shot.h; ++i)
    if (shot.rgb.compare(want.rgb, 3 * i, 3 * i + 3, 3 * i, 3 * i + 3) && n++ === 0) first = i;
  assert.equal(n, 0, `${what}: ${n} pixels differ, the first at (${first % shot.w}, ${Math.floor(first / shot.w)})`);
}

// Where a pixel of the picture is on the page, in CSS pixels.
const at = (page, [x, y]) =>
  page.evaluate(([x, y]) => {
    const c = document.getElementById('screen'), r = c.getBoundingClientRect();
    return [r.left + (x + 0.5) * r.width / c.width, r.top + (y + 0.5) * r.height / c.height];
  }, [x, y]);

// A finger along the points of the picture (the last may be off the canvas). Firefox
// refuses the altitude angle of puppeteer's touches: there it is one WebDriver BiDi action.
async function finger(page, points) {
  const path = await Promise.all(points.map(async p => (await at(page, p)).map(Math.round)));
  if (engine === 'firefox')
    return page.mainFrame().browsingContext.performActions([{type: 'pointer', id: 'finger', parameters: {pointerType: 'touch'},
      actions: [...path.flatMap(([x, y], i) => [{type: 'pointerMove', x, y}, ...(i ? [] : [{type: 'pointerDown', button: 0}])]),
                {type: 'pointerUp', button: 0}]}]);
  for (const [i, p] of path.entries()) await page.touchscreen[i ? 'touchMove' : 'touchStart'](...p);
  await page.touchscreen.touchEnd();
}

async function drag(page, points) {
  for (const [i, p] of points.entries()) {
    await page.mouse.move(...await at(page, p), {steps: 3});
    if (i === 0) await page.mouse.down();
  }
  await page.mouse.up();
}

// Once the page rests, its picture is the native snapshot `file`; the picture.
async function shows(page, file, what = file) {
  await settle(page);
  const shot = await grab(page);
  same(shot, readPng(file), what);
  return shot;
}

// Plays a headless input script (keys, clicks, snapshots) in the page, each
// snapshot compared with the native program's from the same script; each
// also differs from the one before, so input that did nothing is seen.
async function play(page, script, dir) {
  let previous;
  for (const line of script.trim().split('\n')) {
    const [command, a, b] = line.split(' ');
    if (command === 'key') await page.keyboard.press(KEYS[a]);
    if (command === 'click') await page.mouse.click(...await at(page, [+a, +b]));
    if (command !== 'snapshot') continue;
    const shot = await shows(page, join(dir, a));
    if (previous) assert.notDeepEqual(shot.rgb, previous.rgb, a + ' changed nothing');
    previous = shot;
  }
}

// ---- The tests ----------------------------------------------------------------

it('moves, NEW GAME, CREDITS, BACK and a game to its end show the native pictures, at both scales', async () => {
  const over = 'key up\nkey right\nkey down\nkey left\n'.repeat(76); // this start's game ends after 303
  for (const zoom of [1, 2]) {
    const click = b => `click ${BUTTON[b][0] * zoom} ${BUTTON[b][1] * zoom}`;
    const script = `snapshot start.png\nkey left\nkey up\nsnapshot moved.png\n${click('newgame')}\nsnapshot new.png\n` +
                   `${click('credits')}\nsnapshot credits.png\n${click('back')}\nsnapshot back.png\n${over}snapshot over.png\n`;
    const args = zoom === 2 ? ['SKIN=progdir:grafika_aga2x'] : [];
    await play(await open(zoom === 2 ? '?' + args[0] : ''), script, nativeRun(script, {args}));
  }
});

it('a slide that redraws its line three times shows three pictures, one a display frame', async () => {
  // At this start the top row holds a 2 in its first and third cells. The
  // native pictures after the key, each once (its display shows the last
  // again when the script's key release comes).
  const dir = nativeRun('key right\n', {env: {KWADRON_FRAMES: '.'}});
  const want = readdirSync(dir).filter(f => f.startsWith('frame-')).sort().slice(1).map(f => readPng(join(dir, f)))
    .filter((p, i, all) => i === 0 || !p.rgb.equals(all[i - 1].rgb));
  const page = await open();
  await page.evaluate(() => (kw.frames = []));
  await page.keyboard.press('ArrowRight');
  await settle(page);
  // A picture put again (the page refitted meanwhile) is one picture.
  const shown = (await page.evaluate(() => kw.frames)).filter((s, i, a) => !i || s.picture.data !== a[i - 1].picture.data);
  assert.equal(shown.length, 3, 'pictures after the key');
  assert.equal(want.length, 3, 'native pictures after the key');
  shown.forEach((s, i) => same(asRgb(s.picture), want[i], 'picture ' + (i + 1)));
  assert.deepEqual(shown.map(s => s.frame - shown[0].frame), [0, 1, 2], 'animation frames of the pictures');
});

// Moves a control of the test's pad: a button pressed or let go, or an axis.
async function pad(page, control, value) {
  await page.evaluate(([control, value]) => {
    if (!window.pad) {
      window.pad = {index: 0, connected: true, axes: [0, 0, 0, 0],
                    buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};
      dispatchEvent(new Event('gamepadconnected'));
    }
    if (typeof control === 'number') window.pad.buttons[control].pressed = value;
    else window.pad.axes[control === 'x' ? 0 : 1] = value;
  }, [control, value]);
  await sleep(100);
}

it('swipes, drags and a pad are the arrows; a button let go outside does nothing', async () => {
  const script = 'snapshot 0.png\nkey up\nsnapshot 1.png\nkey down\nsnapshot 2.png\nkey left\nsnapshot 3.png\n' +
                 'key right\nsnapshot 4.png\nclick 58 156\nsnapshot 5.png\n' +
                 'key up\nsnapshot 6.png\nkey left\nsnapshot 7.png\nkey down\nsnapshot 8.png\nkey right\nsnapshot 9.png\n';
  const dir = nativeRun(script, {time: '2026-01-01 02:00:00'});
  const page = await open('', '2026-01-01T02:00:00Z');
  const [x, y] = BOARD;
  // The third starts beside the picture, on the stage around it.
  const swipes = [[finger, [[x, y + 20], [x, y - 20]]], [drag, [[x, y - 20], [x, y + 20]]],
                  [finger, [[-10, y], [-50, y]]], [drag, [[x - 20, y], [x + 20, y]]]];
  for (const [i, [by, path]] of swipes.entries()) {
    await by(page, path);
    await shows(page, join(dir, `${i + 1}.png`), `swipe ${i + 1}`);
  }
  // Off the button by less than a swipe's reach, then let go: nothing.
  for (const by of [finger, drag]) {
    await by(page, [BUTTON.newgame, [BUTTON.newgame[0], BUTTON.newgame[1] + 12]]);
    await shows(page, join(dir, '4.png'), `NEW GAME pressed and let go outside (${by.name})`);
  }
  await finger(page, [BUTTON.newgame]);
  await shows(page, join(dir, '5.png'), 'NEW GAME tapped');
  // The d-pad's up (12) and down (13), the left stick's left and right.
  const presses = [[12, true, false], ['x', -1, 0], [13, true, false], ['x', 1, 0]];
  for (const [i, [control, on, off]] of presses.entries()) {
    await pad(page, control, on);
    await pad(page, control, off);
    const shot = await shows(page, join(dir, `${i + 6}.png`), `pad ${control} ${on}`);
    assert.notDeepEqual(shot.rgb, readPng(join(dir, `${i + 5}.png`)).rgb, `a move for pad ${control} ${on}`);
  }
  // Back (8) is Esc.
  await pad(page, 8, true);
  assert.match(await (await page.waitForSelector('#note:not([hidden])')).evaluate(n => n.textContent), /The game has ended\./);
});

it('from the first visit on, offline, a reload starts and plays and keeps the best score', async () => {
  const page = await open();
  await page.waitForFunction(() => navigator.serviceWorker.controller);
  server.offline(true);
  await press(page, moves(2));
  await quit(page);
  await page.reload();
  await settle(page);
  assert.equal(await page.evaluate(() => fetch('offline-check').then(() => 'online', () => 'offline')), 'offline');
  assert.equal(await bestShown(page), nativeBest(moves(2), T0), 'the best after a reload');
  // The same start again (the clock stands): a higher best, the page reloaded
  // in the middle of the game, and spoilt copies in localStorage to pass over.
  await press(page, moves(4));
  await page.evaluate(() => {
    const at = 'kwadron-file:/data/kwadron/';
    localStorage.setItem(at + 'spoilt', '{"time":');
    localStorage.setItem(at + 'empty', 'null');
    localStorage.setItem(at + 'no/such/folder', JSON.stringify({time: Date.now() + 1e9, data: '9\n'}));
  });
  await page.reload();
  await settle(page);
  assert.equal(await bestShown(page), nativeBest(moves(4), T0), 'the best after a reload in the middle of a game');
  // The storage answering late: the program, started meanwhile, waits for its folder.
  await page.evaluateOnNewDocument(() => {
    const open = IDBFactory.prototype.open, answer = Object.getOwnPropertyDescriptor(IDBRequest.prototype, 'onsuccess');
    IDBFactory.prototype.open = function (...a) {
      const request = open.apply(this, a);
      Object.defineProperty(request, 'onsuccess', {set: f => answer.set.call(request, e => setTimeout(() => f(e), 700))});
      return request;
    };
  });
  await page.reload();
  await settle(page);
  assert.equal(await bestShown(page), nativeBest(moves(4), T0), 'the best when the storage answers late');
});

it('an update cut short, then whole: each load runs one build\'s script and module, at last the new one', async () => {
  // Build B: build A's site with its script and module marked and its build renamed.
  const b = fresh(), id = /const BUILD = '(\w+)'/.exec(readFileSync(join(site, 'index.html'), 'utf8'))[1];
  cpSync(site, b, {recursive: true});
  for (const f of ['index.html', 'sw.js']) writeFileSync(join(b, f), readFileSync(join(b, f), 'utf8').replaceAll(id, id + 'b'));
  appendFileSync(join(b, 'kwadron.js'), '\nkw.script = "B";\n');
  appendFileSync(join(b, 'kwadron.wasm'), Buffer.from([0, 7, 5, ...Buffer.from('buildB')]));
  const page = await open();
  await page.waitForFunction(() => navigator.serviceWorker.controller);
  server.from(b);
  let cut = false;
  server.cutOnce('/kwadron.wasm').then(() => (cut = true));
  const reload = async () => (await page.reload(), await settle(page), page.evaluate(() => [kw.script || 'A', kw.module]))
    .then(([script, module]) => (assert.equal(script, module, 'the builds of the script and the module'), script));
  await reload();
  for (const end = Date.now() + 30000; !cut; await sleep(100)) assert.ok(Date.now() < end, 'a request of the module cut');
  await reload();
  // B's worker in charge, asked without fetches, which would put off the browser's check for an update.
  await page.waitForFunction(async id => (r => !r.installing && !r.waiting && r.active.state === 'activated')(await navigator.serviceWorker.getRegistration()) &&
    !!await caches.match('index.html', {cacheName: 'kwadron-' + id}), {polling: 100}, id + 'b');
  assert.equal(await reload(), 'B', 'the new build at last');
  // A page that began with the build before still finds its files.
  assert.doesNotMatch(await page.evaluate(id => fetch('kwadron.js?build=' + id).then(r => r.text()), id), /kw.script/, 'the script of A');
});

// A PNG whose header passes for a skin's and whose pixels the browser cannot
// decode: the program fails after it has slept in the decoder.
function brokenPng() {
  const head = Buffer.alloc(33);
  head.write('89504e470d0a1a0a0000000d49484452', 'hex');
  head.writeUInt32BE(320, 16), head.writeUInt32BE(966, 20), head.writeUInt16BE(0x0802, 24);
  return Buffer.concat([head, Buffer.from('\0\0\0\x08IDATgarbage!\0\0\0\0\0\0\0\0IEND\0\0\0\0', 'latin1')]);
}

it('a picture that cannot be a skin, chosen or dropped, leaves the game running with the game\'s message', async () => {
  const page = await open();
  const before = await grab(page);
  const notes = join(fresh(), 'notes.txt');
  writeFileSync(notes, 'Not a picture.\n');
  const ways = [
    async () => (await page.$('#skin-file')).uploadFile(notes),
    () => page.evaluate(bytes => {
      const dt = new DataTransfer();
      dt.items.add(new File([new Uint8Array(bytes)], 'broken.png', {type: 'image/png'}));
      dispatchEvent(new DragEvent('drop', {dataTransfer: dt, cancelable: true}));
    }, [...brokenPng()]),
  ];
  for (const [i, way] of ways.entries()) {
    await page.evaluate(() => (note.hidden = true));
    await way();
    const note = await page.waitForSelector('#note:not([hidden])');
    assert.match(await note.evaluate(n => n.textContent), /Nie mogę otworzyć pliku graficznego/, 'way ' + i);
    assert.deepEqual(await page.evaluate(() => Module.FS.readdir('/data/kwadron').filter(f => f.startsWith('skin-'))), [],
                     'nothing kept');
  }
  same(await grab(page), before, 'the game as it was');
  await page.keyboard.press('ArrowLeft');
  await settle(page);
  assert.notDeepEqual((await grab(page)).rgb, before.rgb, 'the game goes on');
});

// The browser refuses the page its storage: reading localStorage throws, or
// opening IndexedDB does, or both.
const deny = {
  localStorage: () => Object.defineProperty(window, 'localStorage', {get() { throw new DOMException('no', 'SecurityError'); }}),
  indexedDB: () => Object.defineProperty(window, 'indexedDB', {get() { throw new DOMException('no', 'SecurityError'); }}),
};

it('storage denied or full: the game starts and plays, and the page says once that the best cannot be kept', async () => {
  const full = () => (Storage.prototype.setItem = () => { throw new DOMException('full', 'QuotaExceededError'); });
  const cases = {localStorage: [deny.localStorage], IndexedDB: [deny.indexedDB], both: [deny.localStorage, deny.indexedDB],
                 'localStorage full': [full]};
  for (const [what, denials] of Object.entries(cases)) {
    const page = await open('', undefined, {init: denials.map(f => `(${f})();`).join('')});
    const start = await grab(page);
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowUp');
    await settle(page);
    assert.notDeepEqual((await grab(page)).rgb, start.rgb, what + ': a move');
    // A full storage is found at the first write: the one at the end.
    if (what.endsWith('full')) await page.keyboard.press('Escape');
    await page.waitForFunction(() => /your best score may not be kept/.test(note.textContent), {timeout: 10000});
    assert.deepEqual(page.errors, [], what);
  }
});

// The best of a page as the native program keeps it after the same moves
// from the same start (T0: the pages' and the program's), its score file's
// number; n rounds of the four arrows.
const T0 = '2026-01-01 00:00:00', moves = n => Array(n).fill('left up right down').join(' ').split(' ');
const nativeBest = (moves, time) =>
  Number(readFileSync(join(nativeRun(moves.map(k => `key ${k}\n`).join('') + 'key esc\n', {time}), 'score'), 'utf8'));
// The best a page shows at its start (it read it from the storage).
const bestShown = async page => Number(await page.evaluate(() => new TextDecoder().decode(Module.FS.readFile('/data/kwadron/score'))));
const quit = async page => (await page.keyboard.press('Escape'), await page.waitForSelector('#note.ending'));
const press = async (page, moves) => {
  await page.bringToFront(); // a tab in the background draws no frames
  for (const k of moves) await page.keyboard.press(KEYS[k]);
  await settle(page);
};
// The page going away as a closed tab makes it go: no frame drawn any more
// (a key pressed then leaves its slide waiting for one), a pagehide, and
// the tab closed at once: what the program does not finish in the task of
// the pagehide is lost.
const leave = async (page, key) => {
  await page.evaluate(key => {
    window.requestAnimationFrame = () => 0;
    if (key) dispatchEvent(new KeyboardEvent('keydown', {key}));
  }, key);
  await sleep(200);
  await page.evaluate(() => dispatchEvent(new PageTransitionEvent('pagehide', {persisted: false})));
  await page.close();
};

it('leaving mid-slide or mid-write keeps the best; no order of two tabs lowers it', async () => {
  const [t0, t1, later] = ['2026-01-01T00:00:00Z', '2026-01-01T01:00:00Z', '2027-01-01T00:00:00Z'];
  // Mid-slide: the page goes in the task of a move that makes a new best.
  let page = await open('', t0);
  await press(page, moves(3));
  const context = contexts.at(-1);
  await leave(page, 'ArrowLeft');
  page = await open('', t0, {context});
  assert.equal(await bestShown(page), nativeBest([...moves(3), 'left'], T0), 'the best of a slide cut short');
  // Mid-write: another tab keeps the writers' lock, so the write at the end
  // waits for it when the page goes.
  const holder = await open('', t0, {context});
  await holder.evaluate(() => void navigator.locks.request('kwadron:/data/kwadron', () => new Promise(() => {})));
  // (The page took up the game the slide left.)
  await press(page, moves(5));
  await leave(page, 'Escape');
  await holder.close();
  page = await open('', t0, {context});
  assert.equal(await bestShown(page), nativeBest([...moves(3), 'left', ...moves(5)], T0), 'the best of a write cut short');

  // Tabs whose clock is a year ahead: F1 keeps its best, F2 plays on from
  // it; then A, on time, keeps a higher best, and F2 goes after A with a
  // lower one. A new tab shows A's best, never F2's. A browser of their own.
  const f1 = await open('', later), others = contexts.at(-1);
  await press(f1, moves(3));
  await quit(f1);
  // (A begins a game of its own, not the one F2 keeps as it goes behind.)
  const f2 = await open('', later, {context: others});
  const a = await open('', t1, {context: others, init: () => localStorage.removeItem('kwadron-game')});
  await press(f2, moves(6));
  await press(a, moves(12));
  const bests = [moves(3), moves(6)].map(m => nativeBest(m, '2027-01-01 00:00:00')).concat(nativeBest(moves(12), '2026-01-01 01:00:00'));
  assert.ok(bests[0] < bests[1] && bests[1] < bests[2], 'bests ' + bests);
  await quit(a);
  await leave(f2);
  assert.equal(await bestShown(await open('', t0, {context: others})), bests[2], 'the best of two tabs');
});

// The page goes without a word, as a tab the browser discards: hidden first,
// then no pagehide (Chromium: its renderer killed).
const hide = page => page.evaluate(() => {
  for (const [name, value] of [['visibilityState', 'hidden'], ['hidden', true]])
    Object.defineProperty(document, name, {value, configurable: true});
  document.dispatchEvent(new Event('visibilitychange'));
});
async function discard(page) {
  await hide(page);
  await page.evaluate(() => addEventListener('pagehide', e => e.stopImmediatePropagation(), true));
  if (engine === 'chromium') {
    const crashed = new Promise(done => page.once('error', done));
    (await page.createCDPSession()).send('Page.crash').catch(() => {});
    await crashed;
  }
  await page.close();
}

// FNV-1a, 64 bits, as the kept game's check.
const fnv = bytes => bytes.reduce((h, b) => BigInt.asUintN(64, (h ^ BigInt(b)) * 0x100000001b3n), 0xcbf29ce484222325n);

it('a game left by a reload, a navigation or a discarded tab comes back as it was; Esc ends it', async () => {
  const journey = moves(2).concat('left'), next = ['up', 'left', 'down'], t0 = '2026-01-01T00:00:00Z', later = '2026-06-01T00:00:00Z';
  const keys = list => list.map(k => `key ${k}\n`).join('');
  const dir = nativeRun(`${keys(journey)}snapshot left.png\n${keys(next)}snapshot next.png\nkey esc\n`);
  nativeRun('snapshot new.png\nkey esc\n', {time: later.slice(0, 19).replace('T', ' '), dir});
  const shots = join(native, 'screenshots'), desktop = {width: 1280, height: 800}, phone = {width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true};
  mkdirSync(shots, {recursive: true});
  for (const way of ['reload', 'navigation', 'discarded']) {
    let page = await open('', t0, {viewport: desktop});
    const context = contexts.at(-1);
    await press(page, journey);
    await shows(page, join(dir, 'left.png'), way + ': before');
    if (way === 'reload') await page.reload();
    if (way === 'navigation') await page.goto('about:blank'), await page.goto(server.url);
    if (way === 'discarded') await discard(page), page = await open('', later, {context, viewport: phone});
    await shows(page, join(dir, 'left.png'), way + ': back');
    if (way !== 'navigation') await page.screenshot({path: join(shots, `kept-game-${engine}-${way === 'reload' ? 'desktop' : 'phone'}.png`)});
    await press(page, next);
    await shows(page, join(dir, 'next.png'), way + ': the next moves');
    if (way !== 'discarded') continue;
    // Esc ends the game: the next visit starts a new one.
    await quit(page);
    page = await open('', later, {context});
    await shows(page, join(dir, 'new.png'), 'after Esc');
    // Kept games that do not fit the start are set aside with a word.
    await hide(page);
    const kept = Buffer.from(await page.evaluate(() => localStorage.getItem('kwadron-game')), 'base64'), other = Buffer.from(kept);
    other[4] ^= 1; // the game's code
    other.writeBigUInt64LE(fnv(other.subarray(0, -8)), other.length - 8);
    await discard(page);
    for (const [query, bytes, why] of [['', other, 'another version'], ['?SCREEN', kept, 'other arguments']]) {
      const there = await open(query, later, {context, init: `localStorage.setItem('kwadron-game', '${bytes.toString('base64')}')`});
      assert.match(await there.evaluate(() => note.textContent), new RegExp('set aside \\(.*' + why), way);
      if (!query) await shows(there, join(dir, 'new.png'), 'set aside');
      await discard(there);
    }
  }
  // Two tabs: the game of the one hidden last comes back, whole.
  const a = await open('', t0), both = contexts.at(-1), b = await open('', t0, {context: both});
  await press(a, journey);
  await press(b, ['down', 'down']);
  await discard(b);
  await discard(a);
  await shows(await open('', later, {context: both}), join(dir, 'left.png'), 'the tab hidden last');
});
