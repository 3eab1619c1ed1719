// The page's service worker: the page's files, fetched together when it is
// installed, kept in a cache named after the build that made them; a new
// build's worker fills its own cache and removes every older one. Served
// from the cache first, so the page loads and plays with the network off.
'use strict';
const CACHE = 'drowsel-@BUILD@';
const FILES = [@FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(['./', ...FILES])).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('drowsel-') && n !== CACHE)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// The page's own files from the cache (the page's address with any query
// is the page); anything else, recordings to watch among them, from the
// network.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  const scope = new URL('./', self.location.href).pathname;
  const name = url.pathname.startsWith(scope) ? url.pathname.slice(scope.length) : null;
  if (name === null || (name !== '' && name !== 'index.html' && !FILES.includes(name))) return;
  event.respondWith(caches.open(CACHE).then((cache) => cache.match(name === '' ? './' : name, { ignoreSearch: true }))
    .then((hit) => hit || fetch(event.request)));
});
