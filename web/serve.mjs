// Serves a folder over HTTP on 127.0.0.1, as any static host would: files as
// they are, with their types, nothing else. tools/web, the browser test and
// the benchmark use it.
//   node web/serve.mjs FOLDER [PORT]
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.txt': 'text/plain; charset=utf-8',
  '.webmanifest': 'application/manifest+json',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
};

// Resolves to the listening server; port 0 takes any free port.
export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch {
      path = '';  // a malformed escape finds nothing, and stops nothing
    }
    const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
    // Inside the folder itself: a sibling whose name begins the same is not.
    if (!path || !file.startsWith(root + sep) || (request.method !== 'GET' && request.method !== 'HEAD')) {
      response.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, {
        'Content-Type': types[extname(file)] || 'application/octet-stream',
        'Content-Length': body.length,
        'Cache-Control': 'no-cache',
      });
      response.end(request.method === 'HEAD' ? undefined : body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((done, failed) => {
    server.once('error', failed);
    server.listen(port, '127.0.0.1', () => done(server));
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [folder, port = '8000'] = process.argv.slice(2);
  const server = await serve(folder, Number(port));
  console.log(`serving ${folder} at http://127.0.0.1:${server.address().port}/ (Ctrl-C stops)`);
}
