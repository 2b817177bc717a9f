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

// Headless Chromium on a fresh profile, with these further switches.
async function launch(profile, switches) {
  return chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: false,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', ...switches],
    viewport: { width: 1000, height: 700 },
  });
}

const times = [];
let files = new Map();
const turnCosts = [];
try {
  for (let round = 0; round < rounds; round++) {
    const profile = mkdtempSync(join(tmpdir(), 'cellbound-bench-'));
    const context = await launch(profile, ['--disable-quic']);
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

  // A turn's cost in a long game with the accessibility tree built (as with
  // a screen reader on): from the line sent to the second frame after it, at
  // turn 10 and at turn 2,000, the games before it resumed from storage.
  const profile = mkdtempSync(join(tmpdir(), 'cellbound-bench-'));
  const context = await launch(profile, ['--force-renderer-accessibility']);
  try {
    const page = await context.newPage();
    for (const turns of [10, 2000]) {
      await page.goto(address);
      await page.evaluate((count) => localStorage.setItem('cellbound.lines', JSON.stringify(Array(count).fill('look'))), turns);
      await page.reload();
      await page.waitForFunction(() => document.forms[0].dataset.state === 'reading', null, { timeout: 120000 });
      const costs = [];
      for (let round = 0; round < 9; round++) {
        costs.push(await page.evaluate(() => new Promise((done) => {
          const start = performance.now();
          document.getElementById('command').value = 'look';
          document.forms[0].requestSubmit();
          requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - start)));
        })));
      }
      costs.sort((a, b) => a - b);
      turnCosts.push([turns, costs[4]]);
      await page.evaluate(() => localStorage.clear());
    }
  } finally {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
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
for (const [turns, cost] of turnCosts) {
  console.log(`a turn at turn ${turns}, accessibility tree on: median of 9, ${cost.toFixed(1)} ms`);
}
