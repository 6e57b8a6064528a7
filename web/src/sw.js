// The service worker: every file of the site is kept on the first visit, so
// that the page loads and solves with the network gone. A new build has a new
// version (and list), which replaces the old cache once it is installed.
/* global QUILL_VERSION, QUILL_FILES */
const kCache = `quillometer-${QUILL_VERSION}`;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(QUILL_FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((keys) => Promise.all(keys.filter((k) => k.startsWith('quillometer-') && k !== kCache).map((k) => caches.delete(k))))
      .then(() => self.clients.claim()),
  );
});

// The cache first: the site's files change only with a new version.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(
    caches.open(kCache).then((cache) => cache.match(event.request, { ignoreSearch: true })
      .then((hit) => hit || fetch(event.request))),
  );
});
