// The service worker: every file of the page kept in the browser's cache at
// the first visit, so that the game loads and plays without a network.
// Files come from the cache at once and are fetched again behind it, so a
// new version shows at the visit after it was published.
const CACHE = 'kwadron-1';
const FILES = ['./', 'index.html', 'page.js', 'kwadron.js', 'kwadron.wasm', 'grafika_aga', 'grafika_aga2x',
               'manifest.webmanifest', 'icon-192.png', 'icon-512.png', 'icon.svg'];

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE).then(cache => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
    .then(keys => Promise.all(keys.filter(k => k !== CACHE).map(k => caches.delete(k))))
    .then(() => self.clients.claim()));
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
