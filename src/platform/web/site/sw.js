// sw.js -- keeps every file of the site, so that Quarnel starts and runs with no network.
// The build writes the list of files and a version that changes whenever any file does.
//
// A new version installs beside the one in charge, with every file of its own, and waits
// until the page asks it to take over (the user's Reload, offline.js); the first version
// takes charge at once. Once a version is in charge the other versions' files are dropped.

const VERSION = '@SITE_VERSION@';
const FILES = [@SITE_FILES@];
const CACHE = 'quarnel-' + VERSION;

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches.open(CACHE)
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, {cache: 'reload'})))));
});

self.addEventListener('message', (event) => {
  if (event.data === 'take-over') self.skipWaiting();
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names
        .filter((name) => name.startsWith('quarnel-') && name !== CACHE)
        .map((name) => caches.delete(name))))
      .then(() => self.clients.claim()));
});

// The site's own files come from the cache (the page's query, such as ?clock=, does not
// matter); anything else goes to the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(
    caches.open(CACHE)
      .then((cache) => cache.match(event.request, {ignoreSearch: true}))
      .then((found) => found || fetch(event.request)));
});
