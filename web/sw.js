// The page's service worker: the page's files, fetched together when it is
// installed, kept in a cache named after the build that made them; a new
// build's worker fills its own cache and removes every older one. Served
// from the cache first, so the page loads and plays with the network off.
'use strict';
const CACHE = 'drowsel-@BUILD@';
const FILES = ['@FILES@'];

async function install() {
  await (await caches.open(CACHE)).addAll(['./', ...FILES]);
  await self.skipWaiting();
}
self.addEventListener('install', (event) => event.waitUntil(install()));

async function activate() {
  const older = (await caches.keys()).filter((n) => n.startsWith('drowsel-') && n !== CACHE);
  await Promise.all(older.map((n) => caches.delete(n)));
  await self.clients.claim();
}
self.addEventListener('activate', (event) => event.waitUntil(activate()));

// The page's own files from the cache (the page's address with any query
// is the page); anything else, recordings to watch among them, from the
// network.
async function fromCache(name, request) {
  const hit = await (await caches.open(CACHE)).match(name === '' ? './' : name, { ignoreSearch: true });
  return hit || fetch(request);
}
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  const scope = new URL('./', self.location.href).pathname;
  const name = url.pathname.startsWith(scope) ? url.pathname.slice(scope.length) : null;
  if (name === null || (name !== '' && name !== 'index.html' && !FILES.includes(name))) return;
  event.respondWith(fromCache(name, event.request));
});
