// sw.js -- keeps every file of the site, so that Quarnel starts and runs with no network.
// The build writes the list of files and a version that changes whenever any file does.
//
// A new version installs beside the one in charge, with every file of its own, and waits
// until the page asks it to take over (the user's Reload, offline.js); the first version
// takes charge at once. Once a version is in charge the other versions' files are dropped.
//
// Each language's packed install folder is kept once the page has fetched it, not before: a
// visit downloads only the language it speaks. A new version fetches again the packed
// folders the versions before it kept, so that a language once used stays offline.

const VERSION = '@SITE_VERSION@';
const FILES = [@SITE_FILES@];
const PACKS = [@SITE_PACKS@];
const CACHE = 'quarnel-' + VERSION;

// The file name of a request of the site ("quarnel-es.data.gz").
function file_of(url) {
  return new URL(url).pathname.split('/').pop();
}

// The packed folders that another version's cache holds (this version's own holds those the
// page put there on its first visit, which are current).
function kept_packs() {
  return caches.keys()
    .then((names) => Promise.all(names
      .filter((name) => name.startsWith('quarnel-') && name !== CACHE)
      .map((name) => caches.open(name).then((cache) => cache.keys()))))
    .then((lists) => {
      const held = new Set();
      lists.forEach((requests) => requests.forEach((request) => {
        if (PACKS.includes(file_of(request.url))) held.add(file_of(request.url));
      }));
      return [...held];
    });
}

self.addEventListener('install', (event) => {
  const fresh = (file) => new Request(file, {cache: 'reload'});
  event.waitUntil(
    caches.open(CACHE)
      .then((cache) => cache.addAll(FILES.map(fresh))
        .then(() => kept_packs())
        .then((packs) => Promise.all(packs.map((pack) => cache.match(pack)
          .then((found) => found || cache.add(fresh(pack))))))));
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
// matter); a packed folder not kept yet comes from the network and is kept; anything else
// goes to the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(
    caches.open(CACHE).then((cache) => cache.match(event.request, {ignoreSearch: true})
      .then((found) => {
        if (found) return found;
        if (!PACKS.includes(file_of(event.request.url))) return fetch(event.request);
        return fetch(event.request).then((response) => {
          if (response.ok) return cache.put(file_of(event.request.url), response.clone()).then(() => response);
          return response;
        });
      })));
});
