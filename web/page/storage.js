// The player's data folder in the browser's storage (IndexedDB), and its
// small files (the best score) kept at once beside it in localStorage, which
// every tab writes at once: the storage is written behind the program's
// back, too late for a page that goes away.
//
// Which copy of a file is the newer is told by its generation, not by the
// clock (a clock set back would otherwise let an old copy win): a file
// written in a writer's turn gets the generation of the copy it replaced,
// plus one, as its time stamp, which the storage keeps too. A kept copy is
// taken back only when its generation is higher than the storage's.
//
// A browser may deny the page its storage (a player's settings, or a game
// site whose frame blocks third-party storage), or run out of room: the
// game plays on, and the page says once that the best cannot be kept.
'use strict';

const KEPT = 'kwadron-file:';
const generations = {}; // path -> the generation it had when its turn began
let lastingTold = false;

// localStorage, or null where the browser denies it (reading the property
// itself throws then).
function kept() {
  try {
    return window.localStorage;
  } catch (e) {
    return null;
  }
}

const CANNOT_KEEP = 'This browser does not let the page keep its data, so your best score may not be kept after you leave.';

function cannotKeep() {
  if (lastingTold) return;
  lastingTold = true;
  tellAWhile(CANNOT_KEEP);
}

function smallFiles(folder) {
  const FS = Module.FS;
  return FS.readdir(folder).map(name => [name, folder + '/' + name]).filter(([name, path]) => {
    const st = FS.stat(path);
    return !name.startsWith('.') && FS.isFile(st.mode) && st.size <= 4096;
  }).map(([, path]) => path);
}

// At the end of a writer's turn: what it wrote gets its generation, and a
// copy in localStorage.
function keepFolder(folder) {
  const FS = Module.FS, store = kept();
  for (const path of smallFiles(folder)) {
    const before = generations[path] || 0;
    if (FS.stat(path).mtime.getTime() !== before) FS.utime(path, before + 1, before + 1);
    const data = String.fromCharCode(...FS.readFile(path));
    try {
      store.setItem(KEPT + path, JSON.stringify({time: before + 1, data}));
    } catch (e) {
      cannotKeep(); // denied or full: only the storage's copy is left
    }
  }
}

// At the start, and when a writer's turn begins: kept copies of a higher
// generation than the folder's are taken back; the generations are noted.
function takeBackFolder(folder) {
  const FS = Module.FS, store = kept();
  let taken = 0;
  for (let i = 0; store && i < store.length; ++i) {
    const key = store.key(i);
    if (!key.startsWith(KEPT + folder + '/')) continue;
    const path = key.slice(KEPT.length);
    // A copy this page did not write (spoilt, or a name the folder cannot
    // hold) is left alone: the storage's stands.
    try {
      const copy = JSON.parse(store.getItem(key));
      if (typeof copy.data !== 'string' || typeof copy.time !== 'number') continue;
      const there = FS.analyzePath(path).exists ? FS.stat(path).mtime.getTime() : -1;
      if (copy.time <= there) continue;
      FS.writeFile(path, Uint8Array.from(copy.data, c => c.charCodeAt(0)));
      FS.utime(path, copy.time, copy.time);
      ++taken;
    } catch (e) {
      continue;
    }
  }
  for (const path of smallFiles(folder)) generations[path] = FS.stat(path).mtime.getTime();
  return taken;
}

// The storage read into the folder, or written from it; false when the
// browser refuses (told once).
function sync(populate) {
  return new Promise(done => Module.FS.syncfs(populate, error => {
    if (error) cannotKeep();
    done(!error);
  }));
}

// The storage's database opened, and its files read, while the program's
// script and module load: a browser's first opening of it takes a while,
// and each of IDBFS's own requests waits its turn on the browser's storage.
// On a first visit it is laid out as IDBFS lays it out (its version 21: a
// store of files and their times), rather than opened empty and then laid
// out again by IDBFS. It is IDBFS's own when it has IDBFS's version and
// layout; otherwise it is closed and IDBFS opens it itself. Resolves to
// {db, files} (files: path -> IDBFS's entry, in one read-only request), or
// null; for a database made now, which holds nothing yet, at once to
// {created} (a promise of it, once made).
function openStorage() {
  return new Promise(resolve => {
    try {
      const request = indexedDB.open('/data', 21);
      let created = null;
      request.onupgradeneeded = e => {
        const db = request.result, files = db.objectStoreNames.contains('FILE_DATA')
          ? request.transaction.objectStore('FILE_DATA') : db.createObjectStore('FILE_DATA');
        if (!files.indexNames.contains('timestamp')) files.createIndex('timestamp', 'timestamp', {unique: false});
        if (e.oldVersion !== 0) return;
        created = new Promise(made => {
          request.addEventListener('success', () => made(request.result));
          request.addEventListener('error', () => made(null));
        });
        resolve({created});
      };
      request.onsuccess = () => {
        if (created) return;
        const db = request.result;
        try {
          const store = db.transaction(['FILE_DATA'], 'readonly').objectStore('FILE_DATA');
          const keys = store.getAllKeys(), values = store.getAll();
          values.onsuccess = () => {
            const files = new Map();
            keys.result.forEach((path, i) => files.set(path, values.result[i]));
            resolve({db, files});
          };
          values.onerror = e => (e.preventDefault(), resolve({db, files: null}));
        } catch (e) {
          resolve({db, files: null}); // not IDBFS's layout
        }
      };
      request.onerror = e => (e.preventDefault(), resolve(null));
    } catch (e) {
      resolve(null);
    }
  });
}

// The files read early put in the folder as IDBFS's own reading puts them
// (the folder is empty before it: every stored entry is taken, in the order
// of their paths, folders before their files); false when one cannot be.
function putStored(FS, files) {
  const IDBFS = FS.filesystems.IDBFS;
  for (const path of [...files.keys()].sort()) {
    let failed = false;
    IDBFS.storeLocalEntry(path, files.get(path), error => (failed = !!error));
    if (failed) return false;
  }
  return true;
}

// The data folder made ready while the program starts (it waits for it at
// the first name it looks up): read from the storage, its kept files taken
// back, stored behind the start when that changed anything.
async function openDataFolder(FS, opened) {
  FS.mkdir('/data');
  FS.mount(FS.filesystems.IDBFS, {}, '/data');
  const IDBFS = FS.filesystems.IDBFS, storage = await opened;
  // The database taken as IDBFS's own, unless IDBFS has opened one itself meanwhile.
  const take = db => {
    const ours = db && db.version === IDBFS.DB_VERSION && db.objectStoreNames.contains(IDBFS.DB_STORE_NAME);
    if (ours && !IDBFS.dbs['/data']) IDBFS.dbs['/data'] = db;
    else if (db && IDBFS.dbs['/data'] !== db) db.close();
    return ours;
  };
  // A database made now holds no files: the program need not wait for it.
  if (storage && storage.created) storage.created.then(take);
  const lasting = storage && storage.created ? true
    : take(storage && storage.db) && storage.files && putStored(FS, storage.files) ? true : await sync(true);
  if (!kept()) cannotKeep();
  let changed = !FS.analyzePath('/data/kwadron').exists;
  if (changed) FS.mkdir('/data/kwadron', 0o700);
  changed = takeBackFolder('/data/kwadron') > 0 || changed;
  if (changed && lasting) sync(false);
}

// The game in progress, kept in localStorage for the next visit: written at
// once, so that a tab the browser discards while hidden has left it. One
// slot for every tab: the game of the tab hidden or closed last is the one
// kept, whole.
const KEPT_GAME = 'kwadron-game';
const keptGame = {
  load() {
    const store = kept();
    let text = null;
    try {
      text = store && store.getItem(KEPT_GAME);
    } catch (e) {
      return null;
    }
    if (text === null) return null;
    try {
      const binary = atob(text), bytes = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
      return bytes;
    } catch (e) {
      return new Uint8Array(0); // not this page's: the program sets it aside
    }
  },
  save(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    try {
      kept().setItem(KEPT_GAME, btoa(text));
      return true;
    } catch (e) {
      cannotKeep();
      return false;
    }
  },
  // Kept beside, in case it is wanted; dropped where there is no room.
  setAside() {
    const store = kept();
    try {
      store.setItem(KEPT_GAME + '-set-aside', store.getItem(KEPT_GAME));
    } catch (e) {
      // No room for it.
    }
    keptGame.drop();
  },
  drop() {
    try {
      kept().removeItem(KEPT_GAME);
    } catch (e) {
      // Nothing was kept.
    }
  },
};
