// The service worker: the page's files kept in the browser's cache from the
// first visit, so that the game loads and plays without a network.
// Each build's files are kept together, in a cache named after the build (a
// hash of its files, stamped by web/stamp.cmake): filled whole at install or
// not at all, and served as they are. A new build reaches the player as a new
// worker, which takes over once its cache is complete.
const BUILD = '@KWADRON_BUILD@';
const CACHE = 'kwadron-' + BUILD;
// What the default game needs, at the first visit. The double-size skin is
// kept when a page that plays on it asks, and the large icons when first
// fetched, so that a first visit does not download them unused.
const FILES = ['./', 'index.html', 'kwadron.js', 'kwadron.wasm', 'grafika_aga', 'manifest.webmanifest', 'icon.svg'];
const ON_REQUEST = ['grafika_aga2x'];

// addAll stores all or nothing: an install cut short fails, and the worker
// before it goes on with its own files. Revalidated, so that no older copy
// from the HTTP cache joins this build's.
self.addEventListener('install', event => {
  event.waitUntil((async () => {
    const asked = [];
    for (const file of ON_REQUEST) if (await caches.match(file)) asked.push(file);
    const cache = await caches.open(CACHE);
    await cache.addAll([...FILES, ...asked].map(file => new Request(file, {cache: 'no-cache'})));
    await self.skipWaiting();
  })());
});

// This build's cache stays, and the latest complete one before it, so that a
// page that began loading under the older worker finishes with its own files.
self.addEventListener('activate', event => {
  event.waitUntil((async () => {
    const older = [];
    for (const name of await caches.keys())
      if (name !== CACHE && await caches.match('index.html', {cacheName: name})) older.push(name);
    const keep = [CACHE, older.pop()];
    await Promise.all((await caches.keys()).filter(name => !keep.includes(name)).map(name => caches.delete(name)));
    await self.clients.claim();
  })());
});

self.addEventListener('message', event => {
  if (event.data && ON_REQUEST.includes(event.data.keep))
    event.waitUntil(caches.open(CACHE).then(cache => cache.add(event.data.keep)).catch(() => {}));
});

self.addEventListener('fetch', event => {
  const request = event.request, url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== location.origin) return;
  // The page asks for the program's script and module by its build; any other
  // query string is the game's command line, one page for all.
  const build = request.mode === 'navigate' ? null : url.searchParams.get('build');
  event.respondWith((async () => {
    const kept = await caches.match(request, {cacheName: 'kwadron-' + (build || BUILD), ignoreSearch: true});
    if (kept) return kept;
    // A build no cache holds any more is the network's; files of this build
    // fetched later are kept for the next time.
    const response = await fetch(request);
    if (response.ok && !build) {
      const copy = response.clone();
      event.waitUntil(caches.open(CACHE).then(cache => cache.put(url.origin + url.pathname, copy)).catch(() => {}));
    }
    return response;
  })());
});
