// The page around the program: its command line from the query string
// (?SKIN=progdir:grafika_aga2x&SCREEN), its files made ready before it starts
// (the skins beside the program, the player's data folder in the browser's
// storage), the canvas sized at a whole-number zoom of device pixels, its
// messages, pictures dropped on the page, and its end.
'use strict';

const canvas = document.getElementById('screen');
const note = document.getElementById('note');
const SKINS = ['grafika_aga', 'grafika_aga2x'];
const STORED_SKIN = 'kwadron-skin';
// A page that only tries a picture as a skin, for the page that holds it.
const checking = location.hash === '#check';

function commandLine() {
  const params = new URLSearchParams(location.search);
  if (!params.has('SKIN') && !params.has('skin') && localStorage.getItem(STORED_SKIN))
    params.set('SKIN', 'progdir:' + localStorage.getItem(STORED_SKIN));
  const words = [];
  for (const [key, value] of params) words.push(value === '' ? key : key + '=' + value);
  return words;
}

function skinOf(words) {
  for (const w of words) {
    const m = /^skin=progdir:(.*)$/i.exec(w);
    if (m) return m[1];
  }
  return null;
}

// Whole device pixels for each of the picture's pixels, as many as fit.
function fit() {
  const dpr = window.devicePixelRatio || 1;
  const area = canvas.parentElement.getBoundingClientRect();
  const zoom = Math.max(1, Math.floor(Math.min(area.width * dpr / canvas.width, area.height * dpr / canvas.height)));
  canvas.style.width = canvas.width * zoom / dpr + 'px';
  canvas.style.height = canvas.height * zoom / dpr + 'px';
}

// A change of the device pixel ratio (a window moved to another screen, or
// the page zoomed) is seen by a query for the ratio of the moment.
function fitOnRatioChange() {
  matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`).addEventListener('change', () => {
    fit();
    fitOnRatioChange();
  }, {once: true});
}

let untellLater = 0;

// A message on the page; one that ends the game stays, over the picture,
// with a way to start again.
function tell(text, ending) {
  clearTimeout(untellLater);
  note.textContent = text;
  note.classList.toggle('ending', !!ending);
  if (ending) {
    const again = document.createElement('button');
    again.textContent = 'Play again';
    again.onclick = () => location.reload();
    note.append(document.createElement('br'), again);
    again.focus();
  }
  note.hidden = false;
}

function tellAWhile(text) {
  tell(text, false);
  untellLater = setTimeout(() => (note.hidden = true), 8000);
}

const printed = [];
const words = commandLine();

// The shipped skin the program will load (none for a skin of the player's),
// fetched at once, while the program's script and module load.
const named = skinOf(words);
const shipped = named === null ? SKINS[0] : SKINS.includes(named) ? named : null;
const skinData = shipped && fetch(shipped).then(response => {
  if (!response.ok) throw new Error('no ' + shipped);
  return response.arrayBuffer();
});
if (skinData) skinData.catch(() => {}); // told when prepare() waits for it

// The file's own colours, as the desktop's decoder gives them.
const ownColours = {colorSpaceConversion: 'none', premultiplyAlpha: 'none'};

var Module = {
  kwadronOwnColours: ownColours,
  arguments: words,
  thisProgram: '/kwadron/kwadron',
  print: line => printed.push(line),
  printErr: line => console.warn(line),
  onCanvas: () => {
    fit();
    if (checking) parent.postMessage({kwadron: 'skin', ok: true}, location.origin);
    keepForOffline();
  },
  onTell: text => tell(text, false),
  onExit: code => {
    const text = printed.join('\n').trim();
    if (checking) {
      parent.postMessage({kwadron: 'skin', ok: false, text}, location.origin);
      return;
    }
    if (code !== 0 && skinOf(words) === localStorage.getItem(STORED_SKIN))
      localStorage.removeItem(STORED_SKIN);
    tell(code === 0 ? 'The game has ended.' : text || 'The game could not start.', true);
  },
  preRun: [() => {
    const FS = Module.FS;
    Module.addRunDependency('kwadron-files');
    prepare(FS).then(() => Module.removeRunDependency('kwadron-files'),
                     error => tell('The game could not start: ' + error, true));
  }],
};

// The program's folder (read-only, so that files are written to the data
// folder) holds the skin it will load; the data folder lives in IndexedDB.
async function prepare(FS) {
  FS.mkdir('/kwadron');
  FS.mkdir('/data');
  FS.mount(FS.filesystems.IDBFS, {}, '/data');
  const stored = new Promise(done => FS.syncfs(true, done));
  if (skinData) {
    const bytes = new Uint8Array(await skinData);
    FS.writeFile('/kwadron/' + shipped, bytes);
    // Decoded while the storage is read; the program's decoder takes it.
    Module.kwadronEarly = {bytes, picture: createImageBitmap(new Blob([bytes]), ownColours)};
    Module.kwadronEarly.picture.catch(() => {});
  }
  FS.chmod('/kwadron', 0o555);
  FS.ignorePermissions = false;
  await stored;
  let changed = !FS.analyzePath('/data/kwadron').exists;
  if (changed) FS.mkdir('/data/kwadron', 0o700);
  changed = Module.kwadronRestore('/data/kwadron') > 0 || changed;
  // Stored behind the program's start, long before its first write.
  if (changed) FS.syncfs(false, () => {});
  Module.ENV.XDG_DATA_HOME = '/data';
}

// ---- The data folder's small files, kept at once ---------------------------

// The storage is written behind the program's back, too late for a page
// that goes away; the small files of the data folder (the best score) are
// also kept in localStorage, which is written at once, by every tab. The
// copy is taken back unless the storage's is newer.
const MIRROR = 'kwadron-file:';

Module.kwadronMirror = folder => {
  const FS = Module.FS;
  for (const name of FS.readdir(folder)) {
    const path = folder + '/' + name, st = FS.stat(path);
    if (name.startsWith('.') || !FS.isFile(st.mode) || st.size > 4096) continue;
    const data = String.fromCharCode(...FS.readFile(path));
    try {
      localStorage.setItem(MIRROR + path, JSON.stringify({time: st.mtime.getTime(), data}));
    } catch (e) {
      // No room: the storage's copy will do.
    }
  }
};

Module.kwadronRestore = folder => {
  const FS = Module.FS;
  let taken = 0;
  for (let i = 0; i < localStorage.length; ++i) {
    const key = localStorage.key(i);
    if (!key.startsWith(MIRROR + folder + '/')) continue;
    const path = key.slice(MIRROR.length);
    // A copy this page did not write (spoilt, or a name the folder cannot
    // hold) is left alone: the storage's stands.
    try {
      const kept = JSON.parse(localStorage.getItem(key));
      if (typeof kept.data !== 'string' || typeof kept.time !== 'number') continue;
      const there = FS.analyzePath(path).exists ? FS.stat(path).mtime.getTime() : -1;
      if (kept.time < there || (there >= 0 && String.fromCharCode(...FS.readFile(path)) === kept.data)) continue;
      FS.writeFile(path, Uint8Array.from(kept.data, c => c.charCodeAt(0)));
      FS.utime(path, kept.time, kept.time);
      ++taken;
    } catch (e) {
      continue;
    }
  }
  return taken;
};

addEventListener('pagehide', e => {
  if (!e.persisted && Module._web_leave) Module._web_leave();
});

// The stage's size changes with the window, the bar below it and fullscreen.
new ResizeObserver(() => fit()).observe(canvas.parentElement);
fitOnRatioChange();

// ---- A picture of one's own -------------------------------------------------

// The picture is kept in the data folder, then tried by the program itself
// in a page of its own: a skin it takes becomes the skin of the next game;
// one it refuses leaves this game as it is, with the program's message.
async function useSkin(file) {
  if (!Module.FS || checking) return;
  const name = 'skin-' + file.name.replace(/[^A-Za-z0-9._-]/g, '_').slice(0, 60);
  Module.FS.writeFile('/data/kwadron/' + name, new Uint8Array(await file.arrayBuffer()));
  await new Promise(done => Module.FS.syncfs(false, done));
  const trial = document.createElement('iframe');
  trial.style.cssText = 'position:fixed;left:0;top:0;width:320px;height:240px;opacity:0;pointer-events:none';
  trial.setAttribute('aria-hidden', 'true');
  const answer = new Promise(resolve => addEventListener('message', function on(e) {
    if (e.source !== trial.contentWindow || !e.data || e.data.kwadron !== 'skin') return;
    removeEventListener('message', on);
    resolve(e.data);
  }));
  trial.src = 'index.html?SKIN=progdir:' + encodeURIComponent(name) + '#check';
  document.body.append(trial);
  const result = await answer;
  trial.remove();
  if (!result.ok) {
    Module.FS.unlink('/data/kwadron/' + name);
    await new Promise(done => Module.FS.syncfs(false, done));
    tellAWhile(`${file.name} cannot be a skin:\n${result.text || 'the game did not take it.'}`);
    return;
  }
  localStorage.setItem(STORED_SKIN, name);
  const params = new URLSearchParams(location.search);
  params.delete('SKIN');
  params.delete('skin');
  location.search = params.toString();
}

document.getElementById('skin-file').addEventListener('change', e => {
  if (e.target.files[0]) useSkin(e.target.files[0]);
  e.target.value = '';
});
addEventListener('dragover', e => {
  e.preventDefault();
  document.body.classList.add('dragging');
});
addEventListener('dragleave', () => document.body.classList.remove('dragging'));
addEventListener('drop', e => {
  e.preventDefault();
  document.body.classList.remove('dragging');
  if (e.dataTransfer.files[0]) useSkin(e.dataTransfer.files[0]);
});

// The service worker keeps the files for offline play; registered once the
// game is drawn, so that its downloads do not hold up the first picture.
function keepForOffline() {
  if (!('serviceWorker' in navigator) || checking || location.protocol === 'file:') return;
  navigator.serviceWorker.register('sw.js').then(() => navigator.serviceWorker.ready)
    .then(registration => shipped && registration.active.postMessage({keep: shipped})).catch(() => {});
}
