// The service worker: the page's files kept in the browser's cache from the
// first visit, so that the game loads and plays without a network.
// Files come from the cache at once and are fetched again behind it, so a
// new version shows at the visit after it was published.
const CACHE = 'kwadron-1';
// What the default game needs, at the first visit. The double-size skin is
// kept when a page that plays on it asks, and the large icons when first
// fetched, so that a first visit does not download them unused.
const FILES = ['./', 'index.html', 'page.js', 'kwadron.js', 'kwadron.wasm', 'grafika_aga',
               'manifest.webmanifest', 'icon.svg'];
const ON_REQUEST = ['grafika_aga2x'];

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE).then(cache => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
    .then(keys => Promise.all(keys.filter(k => k !== CACHE).map(k => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('message', event => {
  if (event.data && ON_REQUEST.includes(event.data.keep))
    event.waitUntil(caches.open(CACHE).then(cache => cache.add(event.data.keep)).catch(() => {}));
});

self.addEventListener('fetch', event => {
  if (event.request.method !== 'GET' || new URL(event.request.url).origin !== location.origin) return;
  event.respondWith(caches.open(CACHE).then(async cache => {
    // The page's query string is the game's command line: one page for all.
    const cached = await cache.match(event.request, {ignoreSearch: true});
    const fresh = fetch(event.request).then(response => {
      if (response.ok) cache.put(event.request.url.split('?')[0], response.clone());
      return response;
    });
    if (cached) {
      event.waitUntil(fresh.catch(() => {}));
      return cached;
    }
    return fresh;
  }));
});
