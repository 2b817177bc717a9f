// tools/bench/web: see there.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

const root = fileURLToPath(new URL('../../', import.meta.url));
const { chromium } = await import(join(root, 'web/node_modules/playwright-core/index.mjs'));
const { serve } = await import(join(root, 'web/serve.mjs'));
const [site, roundsText] = process.argv.slice(2);
const rounds = Number(roundsText);

const server = await serve(site);
const address = `http://127.0.0.1:${server.address().port}/`;
const times = [];
let files = new Map();
try {
  for (let round = 0; round < rounds; round++) {
    const profile = mkdtempSync(join(tmpdir(), 'cellbound-bench-'));
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium',
      headless: false,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
      viewport: { width: 1000, height: 700 },
    });
    try {
      const page = await context.newPage();
      const fetched = new Map();
      const bodies = [];
      page.on('response', (response) => bodies.push(response.body().then((body) => {
        fetched.set(new URL(response.url()).pathname, body);
      }, () => {})));
      await page.goto(address, { waitUntil: 'commit' });
      // performance.now() counts from the navigation's start.
      const shown = await page.waitForFunction(() =>
        document.getElementById('transcript')?.textContent.includes('There is nothing worth picking up.') &&
        performance.now(), null, { polling: 'raf', timeout: 30000 });
      times.push(await shown.jsonValue());
      await Promise.all(bodies);
      files = fetched;
    } finally {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    }
  }
} finally {
  server.close();
}

const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
let raw = 0;
let compressed = 0;
console.log('download (the last round), gzip -9:');
for (const [path, body] of [...files].sort()) {
  const gzipped = gzipSync(body, { level: 9 }).length;
  raw += body.length;
  compressed += gzipped;
  console.log(`  ${path.padEnd(20)} ${kb(body.length).padStart(10)} ${kb(gzipped).padStart(10)}`);
}
console.log(`  ${'all'.padEnd(20)} ${kb(raw).padStart(10)} ${kb(compressed).padStart(10)}`);
const sorted = [...times].sort((a, b) => a - b);
const median = sorted[Math.floor(sorted.length / 2)];
console.log(`navigation to the opening text, ${rounds} fresh profiles: median ${median.toFixed(0)} ms, ` +
  `min ${sorted[0].toFixed(0)} ms, max ${sorted.at(-1).toFixed(0)} ms`);
