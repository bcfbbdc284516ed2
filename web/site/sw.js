// SPDX-License-Identifier: MIT
// Keeps the whole site so that the page opens offline; each build is a cache
// of its own (scripts/web.sh writes the version), and the old one goes.
const CACHE = 'horodex-@VERSION@';
const FILES = ['./', 'index.html', 'style.css', 'app.js', 'horodex.js', 'horodex.wasm',
  'manifest.webmanifest', 'icon.svg'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((key) => key !== CACHE).map((key) => caches.delete(key))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then((hit) => hit || fetch(event.request)));
});
