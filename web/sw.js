// The page offline: the site's own files, all from one build, kept in a
// cache named after that build and served from it first. The build writes
// its hash and its files below; a new build is a new sw.js, whose worker
// fetches the new files into a cache of their own and takes over when the
// page says it has all of its own (main.js), removing the old cache then.
const build = 'cellbound-@BUILD@';
const files = ['./', @FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(build).then((cache) => cache.addAll(files.map((file) =>
    new Request(file, { cache: 'reload' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('cellbound-') && name !== build)
    .map((name) => caches.delete(name)))));
});

self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET' || new URL(event.request.url).origin !== location.origin) return;
  event.respondWith(caches.open(build)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(event.request)));
});
