// The page's command line and the program's start: the query string is the
// command line (?SKIN=progdir:grafika_aga2x&SCREEN), the program's folder
// holds the skin it loads, the data folder is made ready before main runs,
// and the end of the program is told on the page.
'use strict';

const SKINS = ['grafika_aga', 'grafika_aga2x'];
// The build this page is part of, stamped by the build (web/stamp.cmake). The
// program's script and module are asked for as this build's, so that the
// service worker gives both from one build's files.
const BUILD = '@KWADRON_BUILD@';
const ofThisBuild = file => file + '?build=' + BUILD;

function commandLine() {
  const params = new URLSearchParams(location.search);
  const stored = checking ? null : storedSkin();
  if (!params.has('SKIN') && !params.has('skin') && stored) params.set('SKIN', 'progdir:' + stored);
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

const printed = [];
const words = commandLine();

// The shipped skin the program will load (none for a skin of the player's),
// fetched and decoded at once, while the program's script and module load.
// A file's own colours, as the desktop's decoder gives them.
const OWN_COLOURS = {colorSpaceConversion: 'none', premultiplyAlpha: 'none'};
const named = skinOf(words);
const shipped = named === null ? SKINS[0] : SKINS.includes(named) ? named : null;
const skinData = shipped && fetch(shipped).then(response => {
  if (!response.ok) throw new Error('no ' + shipped);
  return response.arrayBuffer();
}).then(buffer => {
  const bytes = new Uint8Array(buffer), picture = createImageBitmap(new Blob([bytes]), OWN_COLOURS);
  picture.catch(() => {}); // the program decodes it again, and says why it cannot
  return {bytes, picture};
});
if (skinData) skinData.catch(() => {}); // told when prepare() waits for it
const storageOpened = checking ? null : openStorage();

var Module = {
  arguments: words,
  thisProgram: '/kwadron/kwadron',
  locateFile: (file, folder) => folder + ofThisBuild(file),
  print: line => printed.push(line),
  printErr: line => console.warn(line),
  // The page's part of the crossings that web/library.js lists.
  page: {
    canvas: document.getElementById('screen'),
    stage: document.getElementById('stage'),
    early: null,
    dataRead: null,
    ownColours: OWN_COLOURS,
    keep: folder => checking || keepFolder(folder),
    takeBack: folder => checking || takeBackFolder(folder),
    store: populate => (checking ? Promise.resolve(true) : sync(populate)),
    // A picture tried as a skin keeps no game.
    game: checking ? {load: () => null, save: () => true, setAside() {}, drop() {}} : keptGame,
    shown: () => {
      if (checking) parent.postMessage({kwadron: 'skin', ok: true}, location.origin);
    },
    // The first picture drawn: the service worker is registered after it.
    presented: () => {
      Module.page.presented = () => {};
      setTimeout(keepForOffline);
    },
    tell: text => tell(text, false),
  },
  onExit: code => {
    const text = printed.join('\n').trim();
    if (checking) {
      parent.postMessage({kwadron: 'skin', ok: false, text}, location.origin);
      return;
    }
    if (code !== 0 && skinOf(words) === storedSkin())
      try {
        localStorage.removeItem(STORED_SKIN);
      } catch (e) {
        // Nothing was kept.
      }
    // A word about the storage still on show stays with the end's.
    const storage = !note.hidden && note.textContent === CANNOT_KEEP ? '\n' + CANNOT_KEEP : '';
    tell((code === 0 ? 'The game has ended.' : text || 'The game could not start.') + storage, true);
  },
  preRun: [() => {
    Module.addRunDependency('kwadron-files');
    prepare(Module.FS).then(() => Module.removeRunDependency('kwadron-files'),
                            error => tell('The game could not start: ' + error, true));
  }],
};

// The program's script and module, already on their way (index.html).
document.body.append(Object.assign(document.createElement('script'), {src: ofThisBuild('kwadron.js')}));

// The program's folder (read-only, so that files are written to the data
// folder) holds the skin it will load, decoded while the program starts.
// The data folder is read from the storage meanwhile: the program waits
// for it at the first name it looks up (kw_data_ready).
async function prepare(FS) {
  FS.mkdir('/kwadron');
  Module.ENV.XDG_DATA_HOME = '/data';
  Module.page.dataRead = (checking ? pictureToTry(FS) : openDataFolder(FS, storageOpened))
    .catch(cannotKeep); // played without it
  if (skinData) {
    Module.page.early = await skinData;
    FS.writeFile('/kwadron/' + shipped, Module.page.early.bytes);
  }
  FS.chmod('/kwadron', 0o555);
  FS.ignorePermissions = false;
}

// The service worker keeps the files for offline play; registered once the
// first picture is drawn, so that its start and its downloads do not hold
// that picture up.
function keepForOffline() {
  if (!('serviceWorker' in navigator) || checking || location.protocol === 'file:') return;
  navigator.serviceWorker.register('sw.js').then(() => navigator.serviceWorker.ready)
    .then(registration => shipped && registration.active.postMessage({keep: shipped})).catch(() => {});
}
