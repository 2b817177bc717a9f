// The game in its web page, played key by key in headless Chromium: the
// winning game against its transcript, the colours read from the terminal's
// cells, the final pause and the new-game offer, line editing and history,
// a resize, Ctrl-C, Ctrl-Z and Ctrl-\, no error on the page's console, and
// the bytes the game writes in the page against the native game's in a
// pseudo-terminal of the same size.
//
//   node --test tests/web/web_test.mjs
// CELLBOUND_SITE (default build-web/site) is the built site, CELLBOUND_GAME
// (default build/cellbound) the native game.
import { after, afterEach, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = fileURLToPath(new URL('../../', import.meta.url));
const { chromium } = await import(join(root, 'web/node_modules/playwright-core/index.mjs'));
const { serve } = await import(join(root, 'web/serve.mjs'));
const site = process.env.CELLBOUND_SITE || join(root, 'build-web/site');
const nativeGame = process.env.CELLBOUND_GAME || join(root, 'build/cellbound');
const transcripts = join(root, 'tests/transcripts');

const kReplyColour = 10;
const kCommandColour = 13;
const kEnded = 'The game has ended. Press any key for a new game.';

// ---------------------------------------------------------------------------
// The model: what a terminal shows for a transcript. Output on a pipe (.out)
// has no echo; in a terminal each typed line (.in) shows where the game read
// it, followed by a line end. The game reads a line right before it answers
// it, so each typed line goes in front of the first text, after the last
// read, that opens the game's answer to it.
const answers = [
  // The exchanges within a turn, answered as the game's texts say.
  [/^Use Key$/, /\nThe door opens with the key\./, 'exchange'],
  [/^Block$/, /\nThe hunter moves like a shadow/, 'exchange'],
  [/^Use Gem$/, /\nYou pull the Gem/, 'exchange'],
  [/^Attack$/, /\nYou use the opportunity/, 'exchange'],
  // The name of an item, typed after the prompt on its line.
  [/^(Sword|Key|Gem|Shield)$/, /You picked up /, 'item'],
  // Commands at the top of a turn.
  [/^(north|south|east|west)$/i, /\n(You moved to the |The door is locked\.)/, 'command'],
  [/^pickup$/i, /\n(Items available to pick up:|There is nothing worth picking up\.)/, 'command'],
  [/^attack$/i, /\n(You narrowly dodge|You catch the guard|You dodge to the left|You have but mere moments)/, 'command'],
  [/^look$/i, /\n(You see |As you enter)/, 'command'],
];

// Returns the expected screen as logical lines, each with what shows on it:
// [{ text, parts: [{ text, kind }] }], kind 'reply' for the game's own text.
function terminalModel(typedFile, outputFile) {
  const typed = readFileSync(typedFile, 'utf8').split('\n');
  typed.pop();  // after the last line end
  const pauseKey = typed.pop();  // the last line is the key for the pause
  assert.equal(pauseKey, '');
  const output = readFileSync(outputFile, 'utf8');
  const pieces = [];
  let read = 0;
  for (const line of typed) {
    const answer = answers.find(([typedAs]) => typedAs.test(line));
    assert.ok(answer, `the model has no answer for ${JSON.stringify(line)}`);
    const opening = new RegExp(answer[1].source, 'g');
    opening.lastIndex = read === 0 ? 0 : read + 1;
    const found = opening.exec(output);
    assert.ok(found, `no answer to ${JSON.stringify(line)} after offset ${read}`);
    pieces.push({ text: output.slice(read, found.index), kind: 'reply' });
    pieces.push({ text: line, kind: answer[2] }, { text: '\n', kind: 'reply' });
    read = found.index;
  }
  pieces.push({ text: output.slice(read), kind: 'reply' });
  pieces.push({ text: `\n${kEnded}`, kind: 'page' });
  const lines = [{ parts: [] }];
  for (const piece of pieces) {
    piece.text.split('\n').forEach((text, index) => {
      if (index > 0) lines.push({ parts: [] });
      if (text !== '') lines.at(-1).parts.push({ text, kind: piece.kind });
    });
  }
  for (const line of lines) line.text = line.parts.map((part) => part.text).join('');
  return { typed, lines };
}

// ---------------------------------------------------------------------------
// The browser and the page.
let server;
let context;
let profile;
let address;
const pageErrors = [];

before(async () => {
  server = await serve(site);
  address = `http://127.0.0.1:${server.address().port}/`;
  profile = mkdtempSync(join(tmpdir(), 'cellbound-chromium-'));
  // However the run ends; Playwright itself ends the browser on a signal.
  process.once('exit', () => rmSync(profile, { recursive: true, force: true }));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: false,  // --headless is among the arguments
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1000, height: 700 },
  });
});

after(async () => {
  await context?.close();
  server?.close();
  if (profile) rmSync(profile, { recursive: true, force: true });
});

afterEach(() => {
  assert.deepEqual(pageErrors.splice(0), [], 'errors on the page or its console');
});

async function openGame({ width = 1000, height = 700 } = {}) {
  const page = await context.newPage();
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') pageErrors.push(message.text());
  });
  page.on('pageerror', (error) => pageErrors.push(String(error)));
  await page.setViewportSize({ width, height });
  await page.goto(address);
  await page.waitForFunction(() => window.cellbound?.phase() === 'playing');
  await settled(page);
  // Every byte the terminal sends the game, as it sends it.
  await page.evaluate(() => {
    window.typed = [];
    window.cellbound.terminal.onData((data) => window.typed.push(data));
    window.cellbound.terminal.onBinary((data) => window.typed.push(data));
  });
  return page;
}

const settled = (page) => page.evaluate(() => window.cellbound.idle());

// One key at a time, each once the game has taken the last and waits again.
async function press(page, ...keys) {
  for (const key of keys) {
    await page.keyboard.press(key);
    await settled(page);
  }
}
async function type(page, text) {
  for (const character of text) {
    await page.keyboard.type(character);
    await settled(page);
  }
}

// The terminal's logical lines, a wrapped row joined to the row it goes on.
async function screenLines(page) {
  return page.evaluate(() => {
    const buffer = window.cellbound.terminal.buffer.active;
    const lines = [];
    for (let row = 0; row < buffer.length; row++) {
      const line = buffer.getLine(row);
      const text = line.translateToString(false);
      if (line.isWrapped && lines.length) lines[lines.length - 1] += text;
      else lines.push(text);
    }
    return lines.map((line) => line.trimEnd());
  });
}
const screenText = async (page) => (await screenLines(page)).join('\n').trimEnd();

// The colour of each character of each logical line: a palette index, or
// 'default'.
async function screenColours(page) {
  return page.evaluate(() => {
    const buffer = window.cellbound.terminal.buffer.active;
    const lines = [];
    for (let row = 0; row < buffer.length; row++) {
      const line = buffer.getLine(row);
      const colours = [];
      for (let column = 0; column < line.length; column++) {
        const cell = line.getCell(column);
        if (cell.getChars() === '') continue;
        colours.push([cell.getChars(), cell.isFgPalette() ? cell.getFgColor() : 'default']);
      }
      if (line.isWrapped && lines.length) lines[lines.length - 1].push(...colours);
      else lines.push(colours);
    }
    return lines;
  });
}

const count = (text, part) => text.split(part).length - 1;

// The native game in a pty of the terminal's size, typed the same bytes.
async function nativeBytes(page, keys) {
  const [columns, rows] = await page.evaluate(() =>
    [window.cellbound.terminal.cols, window.cellbound.terminal.rows]);
  const python = existsSync('/usr/bin/python3') ? '/usr/bin/python3' : 'python3';
  const played = spawnSync(python,
    [join(root, 'tests/web/native_pty.py'), nativeGame, String(columns), String(rows)],
    { input: JSON.stringify(keys), maxBuffer: 1 << 24, timeout: 120000 });
  assert.equal(played.status, 0, `native_pty.py: ${played.stderr}`);
  return played.stdout;
}
async function pageBytes(page) {
  return Buffer.from(await page.evaluate(() => window.cellbound.written()));
}

// ---------------------------------------------------------------------------
describe('the web page', () => {
  test('plays the winning game key by key as the transcript says, in colour, then pauses and offers a new game', async () => {
    const model = terminalModel(join(transcripts, 'winning_game.in'), join(transcripts, 'winning_game.out'));
    const page = await openGame();
    assert.equal(await page.evaluate(() => document.activeElement?.closest('#terminal') !== null), true,
      'the keyboard goes to the terminal from the start');
    for (const line of model.typed) {
      await type(page, line);
      await press(page, 'Enter');
    }
    // The pause: the game waits for one key, and only one.
    assert.equal(await page.evaluate(() => window.cellbound.phase()), 'playing');
    assert.equal((await screenLines(page)).filter((line) => line !== '').at(-1),
      'Press any key to continue . . .');
    await press(page, 'Enter');
    await page.waitForFunction(() => window.cellbound.phase() === 'ended');

    const expected = model.lines.map((line) => line.text.trimEnd()).join('\n').trimEnd();
    assert.equal(await screenText(page), expected);

    const colours = await screenColours(page);
    assert.equal(colours.length >= model.lines.length, true);
    model.lines.forEach((line, index) => {
      const cells = colours[index];
      let at = 0;
      for (const part of line.parts) {
        const shown = cells.slice(at, at + part.text.length);
        at += part.text.length;
        const want = { reply: kReplyColour, command: kCommandColour }[part.kind];
        if (want === undefined) continue;
        const wrong = shown.filter(([character, colour]) => character !== ' ' && colour !== want);
        assert.deepEqual(wrong, [], `line ${index + 1} "${line.text}": ${part.kind} not in colour ${want}`);
      }
    });

    // The same keys natively, byte for byte.
    const keys = await page.evaluate(() => window.typed);
    assert.deepEqual(await pageBytes(page), await nativeBytes(page, keys));

    // Any key: a new game, from the top of a clear terminal.
    await page.keyboard.press('n');
    await page.waitForFunction(() => window.cellbound.games() === 2 && window.cellbound.phase() === 'playing');
    await settled(page);
    const opening = readFileSync(join(transcripts, 'opening.out'), 'utf8');
    const start = opening.slice(0, opening.indexOf('There is nothing worth picking up.'));
    assert.equal((await screenText(page)).startsWith(start.trimEnd().split('\n').map((l) => l.trimEnd()).join('\n')), true);
    assert.equal(count(await screenText(page), 'Congratulations'), 0);
    await page.close();
  });

  test('edits lines and recalls them with the native keys, byte for byte, and Ctrl-C ends the game', async () => {
    const page = await openGame();
    const answered = async () => count(await screenText(page), 'You see the bed you woke up in.');
    const before = await answered();
    await type(page, 'lk');
    await press(page, 'ArrowLeft');
    await type(page, 'oo');
    assert.equal((await screenLines(page)).filter((l) => l !== '').at(-1), 'look');
    await press(page, 'Enter');
    assert.equal(await answered(), before + 1, 'lk, Left, oo is not read as look');

    await press(page, 'ArrowUp');
    assert.equal((await screenLines(page)).filter((l) => l !== '').at(-1), 'look', 'Up does not recall look');
    await press(page, 'Home', 'ArrowRight', 'Delete', 'End');
    await type(page, 'x');
    await press(page, 'Backspace', 'ArrowLeft', 'ArrowLeft');
    await type(page, 'o');
    await press(page, 'Enter');
    assert.equal(await answered(), before + 2, 'Up, then Home, Delete and the rest, is not read as look');

    await type(page, 'help me');
    await press(page, 'Control+w', 'Control+u');
    await type(page, 'lokk');
    await press(page, 'Control+a', 'Control+f', 'Control+f');
    await type(page, 'o');
    await press(page, 'Control+e', 'Backspace', 'Enter');
    assert.equal(await answered(), before + 3, 'Ctrl-W, Ctrl-U, Ctrl-A, Ctrl-F and Ctrl-E do not edit as natively');

    await type(page, 'lo');
    await press(page, 'Control+c');
    await page.waitForFunction(() => window.cellbound.phase() === 'ended');
    assert.match(await screenText(page), /The game was ended by Ctrl-C\. Press any key for a new game\.$/);
    const written = await pageBytes(page);
    assert.equal(written.subarray(-4).toString(), '\x1b[0m', 'the colour is not reset at Ctrl-C');

    const keys = await page.evaluate(() => window.typed);
    assert.deepEqual(written, await nativeBytes(page, keys));
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.cellbound.games() === 2 && window.cellbound.phase() === 'playing');
    await page.close();
  });

  test('follows a resize of the page, drawing the line being typed again', async () => {
    const page = await openGame({ width: 1000, height: 700 });
    const wide = await page.evaluate(() => window.cellbound.terminal.cols);
    const long = 'x'.repeat(wide + 20);
    await page.keyboard.type(long);  // typed together: drawn once
    await settled(page);
    await page.setViewportSize({ width: 600, height: 500 });
    await page.waitForFunction((columns) => window.cellbound.terminal.cols < columns, wide);
    await settled(page);
    const narrow = await page.evaluate(() => window.cellbound.terminal.cols);
    assert.ok(narrow < wide);
    const lines = (await screenLines(page)).filter((l) => l !== '');
    assert.equal(lines.at(-1), long, 'the long line is not shown in one piece after the resize');
    assert.equal(count(lines.join('\n'), 'x'.repeat(10)) > 0, true);
    await press(page, 'Control+u');
    await type(page, 'look');
    await press(page, 'Enter');
    assert.equal(count(await screenText(page), 'You see the bed you woke up in.'), 2, 'the game reads no line after a resize');
    await page.close();
  });

  test('Ctrl-Z stops and continues the game at once; Ctrl-\\ ends it; a key starts the next', async () => {
    const page = await openGame();
    await type(page, 'lo');
    await press(page, 'Control+z');
    assert.equal(await page.evaluate(() => window.cellbound.phase()), 'playing');
    assert.equal((await screenLines(page)).filter((l) => l !== '').at(-1), 'lo', 'the line is not drawn again after Ctrl-Z');
    await type(page, 'ok');
    await press(page, 'Enter');
    assert.equal(count(await screenText(page), 'You see the bed you woke up in.'), 2, 'the game does not read on after Ctrl-Z');
    await press(page, 'Control+Backslash');
    await page.waitForFunction(() => window.cellbound.phase() === 'ended');
    assert.match(await screenText(page), /The game was ended by Ctrl-\\\. Press any key for a new game\.$/);
    await page.keyboard.press('q');
    await page.waitForFunction(() => window.cellbound.games() === 2 && window.cellbound.phase() === 'playing');
    await settled(page);
    assert.match(await screenText(page), /^\nYou can use the following commands|^You can use the following commands/);
    await page.close();
  });
});
