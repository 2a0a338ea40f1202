// The player's data folder in the browser's storage (IndexedDB), and its
// small files (the best score) kept at once beside it in localStorage, which
// every tab writes at once: the storage is written behind the program's
// back, too late for a page that goes away. A kept copy is taken back unless
// the storage's is newer.
'use strict';

const KEPT = 'kwadron-file:';

function keepFolder(folder) {
  const FS = Module.FS;
  for (const name of FS.readdir(folder)) {
    const path = folder + '/' + name, st = FS.stat(path);
    if (name.startsWith('.') || !FS.isFile(st.mode) || st.size > 4096) continue;
    const data = String.fromCharCode(...FS.readFile(path));
    try {
      localStorage.setItem(KEPT + path, JSON.stringify({time: st.mtime.getTime(), data}));
    } catch (e) {
      // No room: the storage's copy will do.
    }
  }
}

function takeBackFolder(folder) {
  const FS = Module.FS;
  let taken = 0;
  for (let i = 0; i < localStorage.length; ++i) {
    const key = localStorage.key(i);
    if (!key.startsWith(KEPT + folder + '/')) continue;
    const path = key.slice(KEPT.length);
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
}

// The data folder made ready before the program starts: read from the
// storage, its kept files taken back, stored behind the start when that
// changed anything.
async function openDataFolder(FS) {
  FS.mkdir('/data');
  FS.mount(FS.filesystems.IDBFS, {}, '/data');
  await new Promise(done => FS.syncfs(true, done));
  let changed = !FS.analyzePath('/data/kwadron').exists;
  if (changed) FS.mkdir('/data/kwadron', 0o700);
  changed = takeBackFolder('/data/kwadron') > 0 || changed;
  if (changed) FS.syncfs(false, () => {});
}
