// The page in headless Chromium, used as a player would through the log
// and the labelled command line: the winning game at three widths against
// the console view of its transcript, its colours, words whole on every
// line, nothing in the log ever changed; more transcripts against the
// game's output; then the keys, the states and axe-core.
//
//   node --test tests/web/web_test.mjs      (CELLBOUND_SITE: default build-web/site)
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = fileURLToPath(new URL('../../', import.meta.url));
const { chromium } = await import(join(root, 'web/node_modules/playwright-core/index.mjs'));
const { serve } = await import(join(root, 'web/serve.mjs'));
const site = process.env.CELLBOUND_SITE || join(root, 'build-web/site');
const transcript = (name) => readFileSync(join(root, 'tests/transcripts', name), 'utf8');
const kColours = { 10: 'rgb(85, 255, 85)', 13: 'rgb(255, 102, 255)' };

// The model: a console shows the game's output (.out) with each typed line
// (.in) echoed where the game read it, the line end included. The game reads
// a line right before it answers it, so each line goes in front of the text
// that opens its answer, the first after the last read.
const answers = [
  [/^Use Key$/, /\nThe door opens with the key\./, 10],
  [/^Block$/, /\nThe hunter moves like a shadow/, 10],
  [/^Use Gem$/, /\nYou pull the Gem/, 10],
  [/^Attack$/, /\nYou use the opportunity/, 10],
  [/^(Sword|Key|Gem|Shield)$/, /You picked up /, 10],
  [/^(north|south|east|west)$/, /\n(You moved to the |The door is locked\.)/, 13],
  [/^pickup$/, /\n(Items available to pick up:|There is nothing worth picking up\.)/, 13],
  [/^attack$/, /\n(You narrowly dodge|You catch the guard|You dodge to the left|You have but mere moments)/, 13],
  [/^look$/, /\n(You see |As you enter)/, 13],
];
function consoleView(name) {
  const typed = transcript(`${name}.in`).split('\n').slice(0, -2);  // the last, empty, is the pause's key
  const output = transcript(`${name}.out`);
  const pieces = [];
  let read = 0;
  for (const line of typed) {
    const [, opening, colour] = answers.find(([typedAs]) => typedAs.test(line));
    const found = new RegExp(opening.source, 'g');
    found.lastIndex = read + 1;
    const at = found.exec(output).index;
    pieces.push({ text: output.slice(read, at), colour: 10 }, { text: `${line}\n`, colour, echo: true });
    read = at;
  }
  pieces.push({ text: output.slice(read), colour: 10 });
  return { typed, pieces: pieces.filter((piece) => piece.text !== '') };
}

let server;
let context;
let address;
const profile = mkdtempSync(join(tmpdir(), 'cellbound-chromium-'));
before(async () => {
  server = await serve(site);
  address = `http://127.0.0.1:${server.address().port}/`;
  context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: false,  // --headless is among the arguments
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
});
after(async () => {
  await context?.close();
  server?.close();
  rmSync(profile, { recursive: true, force: true });
});

// A page, its errors, and every change to its log other than an addition.
async function open(width, { wasm } = {}) {
  const page = await context.newPage();
  page.errors = [];
  page.on('console', (m) => ['error', 'warning'].includes(m.type()) && !wasm && page.errors.push(m.text()));
  page.on('pageerror', (error) => page.errors.push(String(error)));
  if (wasm) await page.route('**/cellbound.wasm', wasm);
  await page.setViewportSize({ width, height: 700 });
  await page.addInitScript(() => addEventListener('DOMContentLoaded', () => {
    window.rewritten = [];
    new MutationObserver((changes) => changes.forEach((change) => {
      if (change.type !== 'childList' || change.removedNodes.length) window.rewritten.push(change.type);
    })).observe(document.getElementById('transcript'), { childList: true, subtree: true, characterData: true, attributes: true });
  }));
  await page.goto(address);
  page.log = page.getByRole('log');
  page.line = page.getByRole('textbox', { name: 'Command' });
  return page;
}
const state = (page) => page.locator('form').getAttribute('data-state');
const waiting = (page) => page.waitForFunction(() => ['reading', 'pause'].includes(document.forms[0].dataset.state));
async function enter(page, line) {
  await page.keyboard.type(line);
  await page.keyboard.press('Enter');
  await waiting(page);
}
// Closes the page as a player leaving it would: whether it asked first.
async function leave(page) {
  const asked = new Promise((resolve) => page.once('dialog', (dialog) => {
    resolve('asked');
    dialog.dismiss();
  }));
  await page.close({ runBeforeUnload: true });
  return Promise.race([asked, page.waitForEvent('close').then(() => 'left')]);
}
const inView = (page) => page.evaluate(() => {
  const [log, form] = [document.getElementById('transcript'), document.forms[0]].map((e) => e.getBoundingClientRect());
  return log.bottom <= form.top + 1 && form.bottom <= innerHeight;
});
async function axe(page) {
  await page.addScriptTag({ path: join(root, 'web/node_modules/axe-core/axe.min.js') });
  const found = await page.evaluate(() => window.axe.run(document, { runOnly: ['wcag2a', 'wcag2aa',
    'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'] }));
  assert.deepEqual(found.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target)}`), []);
}

// Each width ends the pause with another key: a letter, one that would
// recall a line, one that would send it.
for (const [width, pauseKey] of [[1280, 'x'], [390, 'ArrowUp'], [320, 'Enter']]) {
  test(`the winning game at ${width} px reads as a console shows it, then pauses for a key and starts anew`, async () => {
    const { typed, pieces } = consoleView('winning_game');
    const page = await open(width);
    await waiting(page);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'command', 'the command line has no focus');
    for (const line of typed) {
      await enter(page, line);
      assert.equal(await inView(page), true, `after ${line}, the latest text and the command line are not in view`);
    }
    assert.equal(await state(page), 'pause');
    await page.keyboard.press('Shift');
    assert.equal(await state(page), 'pause', 'Shift alone ended the pause');
    assert.equal(await page.evaluate(() => dispatchEvent(new Event('beforeunload', { cancelable: true }))), true,
      'the game is over, and leaving asks');
    await axe(page);
    // The pause's key, not shown; then a new game below the last.
    await page.keyboard.press(pauseKey);
    await waiting(page);
    const shown = await page.locator('.game').first().locator('span').evaluateAll((spans) => spans.map((span) =>
      ({ text: span.textContent, colour: getComputedStyle(span).color, echo: span.classList.contains('echo') })));
    assert.equal(shown.map((s) => s.text).join(''), pieces.map((p) => p.text).join(''));
    // Each character's colour and whether it is an echo, against the model's.
    const perCharacter = (list, colourOf) => list.flatMap((p) => [...p.text].map(() => `${colourOf(p)} ${!!p.echo}`));
    assert.deepEqual(perCharacter(shown, (s) => s.colour), perCharacter(pieces, (p) => kColours[p.colour]));
    assert.equal(await page.locator('.note').textContent(), 'A new game begins.');
    const opening = transcript('opening.out');
    assert.equal(await page.locator('.game').nth(1).textContent(),
      opening.slice(0, opening.indexOf('There is nothing worth picking up.\n') + 35));
    // Words whole on their lines, nothing wider than the window.
    const split = await page.evaluate(() => {
      const walker = document.createTreeWalker(document.getElementById('transcript'), NodeFilter.SHOW_TEXT);
      const words = [];
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        for (const word of node.data.matchAll(/\S+/g)) {
          const range = document.createRange();
          range.setStart(node, word.index);
          range.setEnd(node, word.index + word[0].length);
          if (new Set([...range.getClientRects()].map((r) => r.top)).size > 1) words.push(word[0]);
        }
      }
      return words;
    });
    assert.deepEqual(split, [], 'words split across lines');
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth), true);
    assert.equal(await inView(page), true, 'the latest text and the command line are not in view');
    assert.equal(await page.line.inputValue(), '');
    assert.deepEqual(await page.evaluate(() => window.rewritten), [], 'the log was changed, not added to');
    assert.deepEqual(page.errors, []);
    assert.equal(await leave(page), 'left', 'a new game, no line typed yet, and leaving asks');
  });
}

// Input the winning game never types: blanks, capitals, words after a word
// read, wrong replies in a fight. Echoes aside, the transcript is the game's
// output byte for byte, up to where the typed input ends (the page never
// ends it: the game then waits for a line, or pauses).
for (const name of ['opening', 'items', 'defeats', 'won_then_attack_again']) {
  test(`${name}: the transcript holds the game's output, typed line by line`, async () => {
    const page = await open(390);
    await waiting(page);
    const lines = transcript(`${name}.in`).split('\n').slice(0, -1);
    for (const line of lines) await enter(page, line);
    let output = transcript(`${name}.out`);
    if (await state(page) === 'pause') {
      await page.keyboard.press('Enter');
      await waiting(page);
    } else {
      output = output.slice(0, output.lastIndexOf('Press any key'));
    }
    const shown = await page.locator('.game').first().locator('span:not(.echo)').allTextContents();
    assert.equal(shown.join(''), output);
    // Every line read, each echoed once.
    assert.equal((await page.locator('.game').first().locator('.echo').allTextContents()).join(''),
      lines.map((line) => `${line}\n`).join(''));
    await page.close();
  });
}

test('keys: typing anywhere goes to the command line, Up and Down recall, Ctrl+C copies, leaving mid-game asks', async () => {
  const page = await open(800);
  await waiting(page);
  await page.locator('h1').click();
  await enter(page, 'look');
  await enter(page, 'help');
  assert.equal(await page.locator('.echo').count(), 2, 'typing elsewhere did not reach the command line');
  await page.keyboard.type('dr');
  for (const [key, value] of [['ArrowUp', 'help'], ['ArrowUp', 'look'], ['ArrowUp', 'look'], ['ArrowDown', 'help'], ['ArrowDown', 'dr']]) {
    await page.keyboard.press(key);
    assert.equal(await page.line.inputValue(), value, `after ${key}`);
  }
  // A paste of several lines sends each whole line; the rest stays in the line.
  await page.evaluate(() => navigator.clipboard.writeText('look\r\ninventory\nno'));
  await page.keyboard.press('Control+v');
  await waiting(page);
  assert.deepEqual(await page.locator('.echo').allTextContents(), ['look\n', 'help\n', 'drlook\n', 'inventory\n']);
  assert.equal(await page.line.inputValue(), 'no');
  await page.log.getByText('North, South', { exact: false }).first().selectText();
  await page.keyboard.press('Control+c');
  assert.match(await page.evaluate(() => navigator.clipboard.readText()), /North, South/);
  assert.equal(await state(page), 'reading', 'Ctrl+C did more than copy');
  assert.deepEqual(await page.line.evaluate((e) => [...['autocapitalize', 'autocomplete', 'spellcheck', 'enterkeyhint']
    .map((name) => e.getAttribute(name)), parseFloat(getComputedStyle(e).fontSize) >= 16]), ['off', 'off', 'false', 'send', true]);
  assert.equal(await leave(page), 'asked', 'the page was left mid-game without asking');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('loading: what is typed meanwhile stays, a line sent is the first command; a failure says what failed', async () => {
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  const page = await open(390, { wasm: async (route) => { await held; await route.continue(); } });
  assert.match(await page.getByRole('status').innerText(), /Loading/);
  await page.keyboard.type('look');
  await page.keyboard.press('Enter');
  await page.keyboard.type('he');
  release();
  await waiting(page);
  assert.equal(await page.line.inputValue(), 'he');
  assert.match(await page.log.textContent(), /There is nothing worth picking up\.\nlook\n\nYou see the bed/);
  await page.close();

  // A module that compiles but needs an import (x.y) the game's script lacks.
  const notTheGame = Buffer.from([0, 97, 115, 109, 1, 0, 0, 0, 1, 4, 1, 96, 0, 0, 2, 7, 1, 1, 120, 1, 121, 0, 0]);
  for (const [served, said] of [
    [{ status: 404, body: '' }, /cellbound\.wasm: 404 .*reload/],
    [{ contentType: 'application/wasm', body: 'not wasm' }, /cellbound\.wasm is incomplete or damaged .*reload/],
    [{ contentType: 'application/octet-stream', body: notTheGame }, /cellbound\.wasm could not be started .*Reload/],
  ]) {
    const broken = await open(390, { wasm: (route) => route.fulfill(served) });
    await broken.locator('form[data-state="failed"]').waitFor({ state: 'attached' });
    assert.match(await broken.getByRole('alert').innerText(), said);
    await axe(broken);
    await broken.close();
  }
});

test('the local server serves its folder and nothing beside it', async () => {
  const folders = mkdtempSync(join(tmpdir(), 'cellbound-serve-'));
  mkdirSync(join(folders, 'site'));
  mkdirSync(join(folders, 'siteX'));
  writeFileSync(join(folders, 'site/index.html'), 'page');
  writeFileSync(join(folders, 'siteX/secret.txt'), 'secret');
  const local = await serve(join(folders, 'site'));
  const base = `http://127.0.0.1:${local.address().port}`;
  try {
    for (const [path, status] of [['/', 200], ['/..%2fsiteX/secret.txt', 404], ['/%2e%2e/siteX/secret.txt', 404], ['/%E0%A4%A', 404], ['/', 200]]) {
      assert.equal((await fetch(base + path)).status, status, path);
    }
  } finally {
    local.close();
    rmSync(folders, { recursive: true });
  }
});
