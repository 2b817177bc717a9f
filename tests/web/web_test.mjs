// The page in three engines, used as a player would through the log and the
// labelled command line: in each, the winning game against the console view
// of its transcript, its colours, a block a turn, words whole on every line,
// nothing in the log ever changed, and the same game resumed after a
// reload. In headless Chromium also: the game at three widths, more
// transcripts against the game's output, the keys, loading and its
// failures, the page's faults met in play, the controls, the site offline
// and rebuilt, and axe-core.
//
//   node --test tests/web/web_test.mjs
//   CELLBOUND_SITE: the site (build-web/site); CELLBOUND_ENGINES: some of
//   chromium,firefox,webkit (all)
import { after, afterEach, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { appendFileSync, cpSync, existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync,
  writeFileSync } from 'node:fs';
import { once } from 'node:events';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

const root = fileURLToPath(new URL('../../', import.meta.url));
const { serve } = await import(join(root, 'web/serve.mjs'));
const site = process.env.CELLBOUND_SITE || join(root, 'build-web/site');
const transcript = (name) => readFileSync(join(root, 'tests/transcripts', name), 'utf8');
const kColours = { reply: 'rgb(85, 255, 85)', command: 'rgb(255, 102, 255)' };

// The model: a console shows the game's output (.out) with each typed line
// (.in) echoed where the game read it, the line end included. The game reads
// a line right before it answers it, so each line goes in front of the text
// that opens its answer, the first after the last read.
const answers = [
  [/^Use Key$/, /\nThe door opens with the key\./, 'reply'],
  [/^Block$/, /\nThe hunter moves like a shadow/, 'reply'],
  [/^Use Gem$/, /\nYou pull the Gem/, 'reply'],
  [/^Attack$/, /\nYou use the opportunity/, 'reply'],
  [/^(Sword|Key|Gem|Shield)$/, /You picked up /, 'reply'],
  [/^(north|south|east|west)$/, /\n(You moved to the |The door is locked\.)/, 'command'],
  [/^pickup$/, /\n(Items available to pick up:|There is nothing worth picking up\.)/, 'command'],
  [/^attack$/, /\n(You narrowly dodge|You catch the guard|You dodge to the left|You have but mere moments)/, 'command'],
  [/^look$/, /\n(You see |As you enter)/, 'command'],
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
    pieces.push({ text: output.slice(read, at), colour: 'reply' }, { text: `${line}\n`, colour, echo: true });
    read = at;
  }
  pieces.push({ text: output.slice(read), colour: 'reply' });
  return { typed, pieces: pieces.filter((piece) => piece.text !== '') };
}

// ---------------------------------------------------------------------------
// Engines: each a small adapter with the few things a case does: open a page
// at a width (in a fresh profile of its own), go to it again, type, press a
// key, run a function in it, close it. Chromium's page is Playwright's too,
// for the cases only it runs (routes, dialogs, downloads, input methods).
const kEnginesWanted = (process.env.CELLBOUND_ENGINES || 'chromium,firefox,webkit').split(',');
const chromiumArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run'];
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const engines = {
  chromium: {
    binary: '/usr/bin/chromium',
    async launch() {
      const { chromium } = await import(join(root, 'web/node_modules/playwright-core/index.mjs'));
      const browser = await chromium.launch({ executablePath: this.binary, headless: false, args: chromiumArgs });
      return {
        async open(width, height = 700, { route, init } = {}) {
          const context = await browser.newContext({ viewport: { width, height }, acceptDownloads: true,
            permissions: ['clipboard-read', 'clipboard-write'] });
          const page = await context.newPage();
          Object.assign(page, { errors: [], log: page.getByRole('log'), line: page.getByRole('textbox', { name: 'Command' }) });
          page.on('console', (m) => ['error', 'warning'].includes(m.type()) && !route && page.errors.push(m.text()));
          page.on('pageerror', (error) => page.errors.push(String(error)));
          if (route) await page.route(`**/${route[0]}`, route[1]);
          if (init) await page.addInitScript(init);
          await page.addInitScript(watchLog);
          // Not waiting for the page's scripts where one is held back.
          return { ...puppet(page, context, { waitUntil: route ? 'commit' : 'load' }), page };
        },
        quit: () => browser.close(),
      };
    },
  },
  // Through WebDriver BiDi: puppeteer drives Debian's Firefox ESR itself.
  firefox: {
    binary: '/usr/bin/firefox-esr',
    async launch() {
      const { default: puppeteer } = await import(join(root, 'web/node_modules/puppeteer-core/lib/esm/puppeteer/puppeteer-core.js'));
      const profile = mkdtempSync(join(tmpdir(), 'cellbound-firefox-'));
      const browser = await puppeteer.launch({ browser: 'firefox', executablePath: this.binary, headless: true, userDataDir: profile });
      return {
        async open(width, height = 700) {
          const context = await browser.createBrowserContext();
          const page = await context.newPage();
          await page.setViewport({ width, height });
          await page.evaluateOnNewDocument(watchLog);
          return puppet(page, context);
        },
        quit: () => browser.close().finally(() => rmSync(profile, { recursive: true, force: true })),
      };
    },
  },
  // WebKitGTK's MiniBrowser through WebKitWebDriver, on a virtual display
  // where there is none; one session, so one fresh profile, a page.
  webkit: {
    binary: '/usr/bin/WebKitWebDriver',
    async launch() {
      const { Builder, Key } = await import(join(root, 'web/node_modules/selenium-webdriver/index.js'));
      const probe = createServer().listen(0, '127.0.0.1');
      await once(probe, 'listening');
      const { port } = probe.address();
      await new Promise((closed) => probe.close(closed));
      const command = [this.binary, `--port=${port}`, '--host=127.0.0.1'];
      const driver = spawn(process.env.DISPLAY ? command[0] : 'xvfb-run',
        process.env.DISPLAY ? command.slice(1) : ['-a', '-s', '-screen 0 1400x1000x24', ...command],
        { detached: true, stdio: 'ignore' });
      const server = `http://127.0.0.1:${port}`;
      for (let tries = 0; !(await fetch(`${server}/status`).then(() => true, () => false)); tries++) {
        assert.ok(tries < 100, 'WebKitWebDriver did not start');
        await pause(50);
      }
      const keys = { Enter: Key.ENTER, ArrowUp: Key.ARROW_UP, Shift: Key.SHIFT };
      // Debian 12's WebKitGTK API is 4.1, Debian 13's 6.0.
      const miniBrowser = readdirSync('/usr/lib').filter((dir) => dir.endsWith('-linux-gnu'))
        .flatMap((dir) => ['webkitgtk-6.0', 'webkit2gtk-4.1'].map((api) => `/usr/lib/${dir}/${api}/MiniBrowser`))
        .find(existsSync);
      return {
        async open(width, height = 700) {
          const session = await new Builder().usingServer(server).withCapabilities({ browserName: 'MiniBrowser',
            'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] } }).build();
          await session.manage().window().setRect({ width, height });
          const run = (fn, arg) => session.executeScript(`return (${fn})(arguments[0]);`, arg);
          return {
            goto: async (url) => { await session.get(url); await run(watchLog); },
            reload: async () => { await session.navigate().refresh(); await run(watchLog); },
            type: async (text) => (await session.switchTo().activeElement()).sendKeys(text),
            press: async (key) => session.actions().keyDown(keys[key] ?? key).keyUp(keys[key] ?? key).perform(),
            eval: run,
            close: () => session.quit(),
          };
        },
        quit: async () => process.kill(-driver.pid),
      };
    },
  },
};

// Playwright's page and puppeteer's are alike in what the cases use.
const puppet = (page, context, going = {}) => ({
  goto: (url) => page.goto(url, going),
  reload: () => page.reload(),
  type: (text) => page.keyboard.type(text),
  press: (key) => page.keyboard.press(key),
  eval: (fn, arg) => page.evaluate(fn, arg),
  close: () => context.close(),
});

// Every change to the log other than an addition, from the page's start
// (in WebKit, whose driver runs nothing before a page, from its load).
function watchLog() {
  const watch = () => {
    if (window.rewritten) return;
    window.rewritten = [];
    new MutationObserver((changes) => changes.forEach((change) => {
      if (change.type !== 'childList' || change.removedNodes.length) window.rewritten.push(change.type);
    })).observe(document.getElementById('transcript'), { childList: true, subtree: true, characterData: true, attributes: true });
  };
  if (document.getElementById('transcript')) watch();
  else addEventListener('DOMContentLoaded', watch);
}

const server = await serve(site);
const address = `http://127.0.0.1:${server.address().port}/`;
const launched = {};
after(async () => {
  for (const engine of Object.values(launched)) await (await engine.catch(() => null))?.quit();
  server.close();
});
const engine = (name) => (launched[name] ??= engines[name].launch());
// Pages a case left open (it failed midway) are closed after it: WebKit's
// driver has one session at a time.
const left = new Set();
afterEach(async () => {
  for (const page of left) await page.close().catch(() => {});
  left.clear();
});
async function open(name, width, options = {}) {
  const page = await (await engine(name)).open(width, options.height, options);
  left.add(page);
  await page.goto(address);
  if (!options.noWait) await waiting(page);
  return page;
}

// The form's state; the game waits for a line or a key once it is done.
const state = (p) => p.eval(() => document.forms[0].dataset.state);
async function waiting(p, deadline = Date.now() + 15000) {
  while (!['reading', 'pause', 'failed'].includes(await state(p))) {
    assert.ok(Date.now() < deadline, 'the game did not wait for a line or a key');
    await pause(10);
  }
}
async function enter(p, ...lines) {
  for (const line of lines) {
    await p.type(line);
    await p.press('Enter');
    await waiting(p);
  }
}
async function reopen(p) {
  await p.reload();
  await waiting(p);
}
const text = (p, selector) => p.eval((s) => document.querySelector(s).textContent, selector);
// The first game's turns, each block's spans as text, colour and echo.
const shownTurns = (p) => p.eval(() => [...document.querySelector('.game').children].map((turn) =>
  [...turn.children].map((span) => ({ text: span.textContent, colour: getComputedStyle(span).color,
    echo: span.classList.contains('echo') }))));
const inView = (p) => p.eval(() => {
  const [log, form] = [document.getElementById('transcript'), document.forms[0]].map((e) => e.getBoundingClientRect());
  return log.bottom <= form.top + 1 && form.bottom <= innerHeight;
});
// Each character's colour and whether it is an echo.
const perCharacter = (list, colourOf) => list.flatMap((p) => [...p.text].map(() => `${colourOf(p)} ${!!p.echo}`));
// The model's turns: a turn begins at a line read where the text so far
// ends a line (the line of an item's prompt goes on with its answer).
function turnsOf(pieces) {
  const turns = [''];
  for (const piece of pieces) {
    if (piece.echo && turns.at(-1).endsWith('\n')) turns.push('');
    turns[turns.length - 1] += piece.text;
  }
  return turns;
}
// The winning game's first game against the model: text, colours, turns.
async function assertConsoleView(p, pieces, what) {
  const turns = await shownTurns(p);
  const shown = turns.flat();
  assert.equal(shown.map((s) => s.text).join(''), pieces.map((piece) => piece.text).join(''), what);
  assert.deepEqual(perCharacter(shown, (s) => s.colour), perCharacter(pieces, (piece) => kColours[piece.colour]), what);
  assert.deepEqual(turns.map((turn) => turn.map((s) => s.text).join('')), turnsOf(pieces), `${what}: a block a turn`);
}

// The case every engine runs: the winning game against the console view
// with its colours, left midway and resumed after a reload, to its pause;
// then the pause's key, or a reload (a game at its pause is not kept).
async function winningGame(name, width, pauseKey) {
  const { typed, pieces } = consoleView('winning_game');
  const p = await open(name, width);
  assert.equal(await p.eval(() => document.activeElement.id), 'command', 'the command line has no focus');
  for (const [i, line] of typed.entries()) {
    await enter(p, line);
    assert.equal(await inView(p), true, `after ${line}, the latest text and the command line are not in view`);
    if (i !== typed.length >> 1) continue;
    const before = await shownTurns(p);
    await p.type('typed, not sent');
    await reopen(p);
    // The same transcript, character for character and colour for colour,
    // nothing in the log but the game, and the word outside it.
    assert.deepEqual(await shownTurns(p), before, 'the resumed transcript differs');
    assert.equal(await text(p, '#transcript'), before.flat().map((s) => s.text).join(''));
    assert.equal(await text(p, '#status'), 'Game resumed.');
    assert.equal(await asksToLeave(p), false, 'the game is kept, and leaving asks');
  }
  assert.equal(await state(p), 'pause');
  assert.equal(await text(p, '#status'), '');
  // The pause's words ("Press any key ...") show while it waits: all of the
  // game's output but the line end that the key brings.
  const atPause = [...pieces.slice(0, -1), { ...pieces.at(-1), text: pieces.at(-1).text.replace(/\n$/, '') }];
  await assertConsoleView(p, atPause, 'the winning game at its pause');
  assert.equal(await text(p, '#transcript'), pieces.map((piece) => piece.text).join('').slice(0, -1));
  await p.press('Shift');
  assert.equal(await state(p), 'pause', 'Shift alone ended the pause');
  assert.equal(await asksToLeave(p), false, 'the game is over, and leaving asks');
  assert.deepEqual(await p.eval(() => window.rewritten), [], 'the log was changed, not added to');
  if (!pauseKey) {
    // At its pause the game is no longer kept: the next visit starts anew.
    await reopen(p);
    assert.equal(await p.eval(() => document.querySelectorAll('.echo').length), 0, 'a finished game was resumed');
    assert.equal(await text(p, '#status'), '');
    return;
  }
  if (p.page) await axe(p.page);
  // The pause's key, not shown; then a new game below the last.
  await p.press(pauseKey);
  await waiting(p);
  await assertConsoleView(p, pieces, 'the winning game');
  assert.equal(await text(p, '.note'), 'A new game begins.');
  const opening = transcript('opening.out');
  assert.equal(await p.eval(() => document.querySelectorAll('.game')[1].textContent),
    opening.slice(0, opening.indexOf('There is nothing worth picking up.\n') + 35));
  // Words whole on their lines, nothing wider than the window.
  const split = await p.eval(() => {
    const walker = document.createTreeWalker(document.getElementById('transcript'), NodeFilter.SHOW_TEXT);
    const words = [];
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      // A line may break after a hyphen (dog-like), as in print.
      for (const word of node.data.matchAll(/[^\s-]+-?/g)) {
        const range = document.createRange();
        range.setStart(node, word.index);
        range.setEnd(node, word.index + word[0].length);
        // WebKit adds an empty box at the end of the line before.
        const boxes = [...range.getClientRects()].filter((r) => r.width > 0);
        if (new Set(boxes.map((r) => r.top)).size > 1) words.push(word[0]);
      }
    }
    return words;
  });
  assert.deepEqual(split, [], 'words split across lines');
  assert.equal(await p.eval(() => document.documentElement.scrollWidth <= innerWidth), true);
  assert.equal(await inView(p), true, 'the latest text and the command line are not in view');
  assert.equal(await p.eval(() => document.getElementById('command').value), '');
  assert.deepEqual(await p.eval(() => window.rewritten), [], 'the log was changed, not added to');
  if (p.page) {
    assert.deepEqual(p.page.errors, []);
    assert.equal(await leave(p.page), 'left', 'a new game, no line typed yet, and leaving asks');
  }
}
for (const name of Object.keys(engines)) {
  const skip = !kEnginesWanted.includes(name) ? 'not among CELLBOUND_ENGINES'
    : !existsSync(engines[name].binary) ? `no ${engines[name].binary}` : false;
  // Chromium ends the pause at each width with another key: a letter, one
  // that would recall a line, one that would send it.
  const sizes = name === 'chromium' ? [[1280, 'x'], [390, 'ArrowUp'], [320, 'Enter'], [390]] : [[390, 'x'], [390]];
  for (const [width, pauseKey] of sizes) {
    test(`${name}, the winning game at ${width} px, resumed midway, then ${pauseKey ? 'a key' : 'a reload'} at its pause`,
      { skip }, () => winningGame(name, width, pauseKey));
  }
}

// Whether the page would ask before it is left.
const asksToLeave = (p) => p.eval(() => !dispatchEvent(new Event('beforeunload', { cancelable: true })));
// Closes the page as a player leaving it would: whether it asked first.
async function leave(page) {
  const asked = new Promise((resolve) => page.once('dialog', (dialog) => {
    resolve('asked');
    dialog.dismiss();
  }));
  await page.close({ runBeforeUnload: true });
  return Promise.race([asked, page.waitForEvent('close').then(() => 'left', () => 'closed')]);
}
async function axe(page) {
  await page.addScriptTag({ path: join(root, 'web/node_modules/axe-core/axe.min.js') });
  const found = await page.evaluate(() => window.axe.run(document, { runOnly: ['wcag2a', 'wcag2aa',
    'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'] }));
  assert.deepEqual(found.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target)}`), []);
}

// Chromium's cases, each a row on a page of its own, 390 px wide unless the
// row says otherwise.
const notTheGame = Buffer.from([0, 97, 115, 109, 1, 0, 0, 0, 1, 4, 1, 96, 0, 0, 2, 7, 1, 1, 120, 1, 121, 0, 0]);
const kChromium = [
  // Input the winning game never types: blanks, capitals, words after a word
  // read, wrong replies in a fight. Echoes aside, the transcript is the game's
  // output byte for byte, up to where the typed input ends (the page never
  // ends it: the game then waits for a line, or pauses).
  ...['opening', 'items', 'defeats', 'won_then_attack_again'].map((name) => [
    `${name}: the transcript holds the game's output, typed line by line`, async (p, page) => {
      const lines = transcript(`${name}.in`).split('\n').slice(0, -1);
      await enter(p, ...lines);
      let output = transcript(`${name}.out`);
      if (await state(p) === 'pause') {
        await p.press('Enter');
        await waiting(p);
      } else {
        output = output.slice(0, output.lastIndexOf('Press any key'));
      }
      const first = page.locator('.game').first();
      assert.equal((await first.locator('span:not(.echo)').allTextContents()).join(''), output);
      // Every line read, each echoed once.
      assert.equal((await first.locator('.echo').allTextContents()).join(''), lines.map((line) => `${line}\n`).join(''));
    }]),
  ['keys: typing anywhere goes to the command line, Up and Down recall, Ctrl+C copies; leaving asks only where the game cannot be kept', async (p, page) => {
    await page.locator('h1').click();
    await enter(p, 'look', 'help');
    assert.equal(await page.locator('.echo').count(), 2, 'typing elsewhere did not reach the command line');
    await page.keyboard.type('dr');
    for (const [key, value] of [['ArrowUp', 'help'], ['ArrowUp', 'look'], ['ArrowUp', 'look'], ['ArrowDown', 'help'], ['ArrowDown', 'dr']]) {
      await page.keyboard.press(key);
      assert.equal(await page.line.inputValue(), value, `after ${key}`);
    }
    // A paste of several lines sends each whole line; the rest stays in the line.
    await page.evaluate(() => navigator.clipboard.writeText('look\r\ninventory\nno'));
    await page.keyboard.press('Control+v');
    await waiting(p);
    assert.deepEqual(await page.locator('.echo').allTextContents(), ['look\n', 'help\n', 'drlook\n', 'inventory\n']);
    assert.equal(await page.line.inputValue(), 'no');
    await page.log.getByText('North, South', { exact: false }).first().selectText();
    await page.keyboard.press('Control+c');
    assert.match(await page.evaluate(() => navigator.clipboard.readText()), /North, South/);
    assert.equal(await state(p), 'reading', 'Ctrl+C did more than copy');
    assert.deepEqual(await page.line.evaluate((e) => [...['autocapitalize', 'autocomplete', 'spellcheck', 'enterkeyhint']
      .map((name) => e.getAttribute(name)), parseFloat(getComputedStyle(e).fontSize) >= 16]), ['off', 'off', 'false', 'send', true]);
    assert.equal(await leave(page), 'left', 'the game is kept, and leaving asked');
    assert.deepEqual(page.errors, []);
  }, { width: 800 }],
  // Lines sent before the game's wasm, or the page's own script, arrived.
  ...['cellbound.wasm', 'main.js'].map((held) => {
    let release;
    const arrived = new Promise((resolve) => { release = resolve; });
    return [`loading ${held}: what is typed meanwhile stays, a line sent is the first command`, async (p, page) => {
      await page.line.waitFor();
      assert.match(await page.getByRole('status').innerText(), /Loading/);
      await page.keyboard.type('look');
      await page.keyboard.press('Enter');
      await page.keyboard.type('he');
      assert.equal(page.url(), address, 'the form was sent');
      release();
      await waiting(p);
      assert.equal(await page.line.inputValue(), 'he');
      assert.match(await page.log.textContent(), /There is nothing worth picking up\.\nlook\n\nYou see the bed/);
    }, { noWait: true, route: [held, async (route) => { await arrived; await route.continue(); }] }];
  }),
  // A failure says what failed; notTheGame compiles but needs an import
  // (x.y) that the game's script lacks.
  ...[
    ['cellbound.wasm', 'missing', { status: 404, body: '' }, /cellbound\.wasm: 404 .*reload/],
    ['cellbound.wasm', 'damaged', { contentType: 'application/wasm', body: 'not wasm' }, /cellbound\.wasm is incomplete or damaged .*reload/],
    ['cellbound.wasm', 'another', { contentType: 'application/octet-stream', body: notTheGame }, /cellbound\.wasm could not be started .*Reload/],
    ['main.js', 'missing', { status: 404, body: '' }, /main\.js could not be fetched.*reload/],
    ['main.js', 'unreachable', 'abort', /main\.js could not be fetched.*reload/],
  ].map(([file, how, served, said]) => [`loading, ${file} ${how}: an alert says so, and Enter sends nothing`, async (p, page) => {
    await page.locator('form[data-state="failed"]').waitFor({ state: 'attached' });
    assert.match(await page.getByRole('alert').innerText(), said);
    assert.equal(await page.getByRole('status', { includeHidden: true }).textContent(), '');
    await page.keyboard.press('Enter');
    assert.equal(page.url(), address, 'Enter sent the form');
    await axe(page);
  }, { noWait: true, route: [file, (request) => (served === 'abort' ? request.abort() : request.fulfill(served))] }]),
  // The page's own faults met in play.
  ['a key composed by an input method ends the pause and leaves nothing in the line', async (p, page) => {
    await enter(p, ...consoleView('winning_game').typed);
    assert.equal(await state(p), 'pause');
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Input.imeSetComposition', { text: 'か', selectionStart: 1, selectionEnd: 1 });
    await cdp.send('Input.insertText', { text: 'か' });
    await waiting(p);
    assert.equal(await page.locator('.game').count(), 2, 'the pause did not end');
    await page.waitForTimeout(50);
    assert.equal(await page.line.inputValue(), '', 'the composed key stayed in the command line');
    await enter(p, 'look');
    assert.match(await page.locator('.game').nth(1).textContent(), /\nlook\n/);
  }],
  ['the browser\'s font size is the page\'s', async (p, page) => {
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Page.setFontSizes', { fontSizes: { standard: 24, fixed: 24 } });
    await reopen(p);
    assert.deepEqual(await p.eval(() => ['transcript', 'command'].map((id) =>
      getComputedStyle(document.getElementById(id)).fontSize)), ['24px', '24px']);
  }],
  ['a window made shorter or turned keeps the latest text in view', async (p, page) => {
    await enter(p, 'look', 'east', 'north', 'pickup', 'Sword');
    for (const [width, height] of [[700, 390], [390, 300], [390, 700]]) {
      await page.setViewportSize({ width, height });
      await page.waitForTimeout(100);
      assert.equal(await inView(p), true, `at ${width}x${height}`);
    }
  }],
  ['printed: dark text on white, the two colours apart, each at least 7:1, no controls', async (p, page) => {
    await enter(p, 'look');
    await page.emulateMedia({ media: 'print' });
    const [background, reply, command, ...hidden] = await p.eval(() => [['html', 'backgroundColor'], ['.reply', 'color'],
      ['.command', 'color'], ...['.controls', '#command-line', '#status'].map((selector) => [selector, 'display'])]
      .map(([selector, property]) => getComputedStyle(document.querySelector(selector))[property]));
    assert.equal(background, 'rgb(255, 255, 255)');
    assert.notEqual(reply, command);
    for (const colour of [reply, command]) assert.ok(contrast(colour, background) >= 7, colour);
    assert.deepEqual(hidden, ['none', 'none', 'none']);
  }],
  // Storage refused (here full from the second line): play goes on, the
  // page says once that the game is not kept, leaving mid-game asks, and
  // nothing of the game is left to be taken for it at the next visit.
  ['storage refused: play goes on, said once, leaving asks, nothing resumed', async (p, page) => {
    await enter(p, 'look', 'help');
    const said = await text(p, '#status');
    assert.match(said, /not let the page keep your game/);
    await enter(p, 'east');
    assert.equal(await text(p, '#status'), said);
    assert.equal(await page.locator('.echo').count(), 3);
    assert.equal(await asksToLeave(p), true, 'the page was left mid-game without asking');
    await reopen(p);
    assert.equal(await page.locator('.echo').count(), 0, 'a part of the game was resumed');
  }, { init: () => {
    let refuse = false;
    const keep = Storage.prototype.setItem;
    Storage.prototype.setItem = function (...item) {
      if (refuse) throw new DOMException('full', 'QuotaExceededError');
      refuse = true;
      return keep.apply(this, item);
    };
  } }],
  ['New game starts afresh, asking first while a game is under way; Save transcript saves the log as it reads', async (p, page) => {
    const newGame = page.getByRole('button', { name: 'New game' });
    // At an item's prompt, mid-line.
    await enter(p, 'east', 'north', 'pickup');
    for (const [answer, games] of [['dismiss', 1], ['accept', 2]]) {
      page.once('dialog', (dialog) => dialog[answer]());
      await newGame.click();
      await waiting(p);
      assert.equal(await page.locator('.game').count(), games, answer);
    }
    assert.equal(await page.evaluate(() => localStorage.length), 0, 'the old game is still kept');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'command');
    // No line typed in the new game: no asking.
    page.once('dialog', () => assert.fail('asked with no game under way'));
    await newGame.click();
    await waiting(p);
    assert.equal(await page.locator('.game').count(), 3);
    assert.equal(await page.locator('.note').count(), 2);
    // Saved as the log reads: each game's text, each note on a line of its own.
    const [saved] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: 'Save transcript' }).click()]);
    assert.match(saved.suggestedFilename(), /\.txt$/);
    const games = await page.locator('.game').allTextContents();
    assert.match(games[0], /pick up: $/);
    assert.equal(readFileSync(await saved.path(), 'utf8'),
      games.reduce((text, game) => `${text}${text.endsWith('\n') ? '' : '\n'}A new game begins.\n${game}`));
    await enter(p, 'east');
    await reopen(p);
    assert.deepEqual(await page.locator('.echo').allTextContents(), ['east\n'], 'the new game was not the one kept');
    assert.deepEqual(page.errors, []);
  }],
];
for (const [name, run, options = {}] of kChromium) {
  test(name, async () => {
    const p = await open('chromium', options.width ?? 390, options);
    await run(p, p.page);
  });
}

// WCAG's contrast ratio of two rgb() colours.
const luminance = (colour) => colour.match(/\d+/g).map((c) => Number(c) / 255)
  .map((s) => (s <= 0.04045 ? s / 12.92 : ((s + 0.055) / 1.055) ** 2.4)).reduce((sum, c, i) => sum + [0.2126, 0.7152, 0.0722][i] * c, 0);
const contrast = (...colours) => {
  const [lighter, darker] = colours.map(luminance).sort((x, y) => y - x);
  return (lighter + 0.05) / (darker + 0.05);
};

// The files sw.js caches, the page's own address aside.
const cachedFiles = (folder) => [...readFileSync(join(folder, 'sw.js'), 'utf8').match(/const files = \[(.*)\];/)[1]
  .matchAll(/'([^']+)'/g)].map((m) => m[1]).filter((file) => file !== './');

test('the site: at most 35 KB gzipped, only this build\'s files, which the build replaces', async () => {
  const files = readdirSync(site).sort();
  assert.deepEqual(files, [...cachedFiles(site), 'sw.js'].sort());
  const gzipped = files.filter((file) => !file.startsWith('LICENSE'))
    .reduce((sum, file) => sum + gzipSync(readFileSync(join(site, file)), { level: 9 }).length, 0);
  assert.ok(gzipped <= 35 * 1024, `${gzipped} bytes`);
  // A rebuild empties the site of what it no longer makes.
  const build = dirname(site);
  if (!existsSync(join(build, 'CMakeCache.txt'))) return;
  writeFileSync(join(site, 'terminal.js'), 'an older build\'s');
  execFileSync(join(root, 'tools/web'), ['build'], { env: { ...process.env, CELLBOUND_WEB_BUILD: build } });
  assert.deepEqual(readdirSync(site).sort(), files);
});

test('offline once visited; a new build replaces every cached file at the next online visit', async (t) => {
  const copy = mkdtempSync(join(tmpdir(), 'cellbound-site-'));
  cpSync(site, copy, { recursive: true });
  let local = await serve(copy);
  const port = local.address().port;
  const stop = () => new Promise((done) => { local.closeAllConnections(); local.close(done); });
  t.after(async () => {
    await stop().catch(() => {});
    rmSync(copy, { recursive: true, force: true });
  });
  const p = await (await engine('chromium')).open(390);
  left.add(p);
  const page = p.page;
  // A visit, once the site's worker has looked for a new build and any new
  // one has taken over: the caches then.
  const visit = async () => {
    await p.goto(`http://127.0.0.1:${port}/`);
    await waiting(p);
    return page.evaluate(async () => {
      const registration = await navigator.serviceWorker.ready;
      await registration.update().catch(() => {});
      for (const worker of [registration.installing, registration.waiting].filter(Boolean)) {
        await new Promise((done) => worker.addEventListener('statechange', () => worker.state === 'activated' && done()));
      }
      return caches.keys();
    });
  };
  const [first] = await visit();
  await stop();
  await visit();
  await enter(p, 'look');
  assert.match(await page.getByRole('log').textContent(), /\nlook\n\nYou see the bed/, 'offline, the game did not play');

  // The rebuilt site: another script and sw.js, as the build makes them.
  appendFileSync(join(copy, 'main.js'), '// rebuilt\n');
  execFileSync('cmake', [`-DSITE=${copy}`, `-DFILES=${cachedFiles(copy).join(',')}`, `-DTEMPLATE=${join(root, 'web/sw.js')}`,
    '-P', join(root, 'web/site.cmake')]);
  local = await serve(copy, port);
  const [second, ...others] = await visit();
  assert.notEqual(second, first, 'the new build has the old cache name');
  assert.deepEqual(others, [], 'an older build\'s cache is kept');
  await stop();
  await visit();
  const served = await page.evaluate(async (names) => Promise.all(names.map(async (name) =>
    (await caches.match(name)) && (await (await fetch(name)).text()))), ['main.js', 'cellbound.js', 'index.html']);
  assert.deepEqual(served, ['main.js', 'cellbound.js', 'index.html'].map((name) => readFileSync(join(copy, name), 'utf8')));
  assert.equal(await page.evaluate(() => document.forms[0].dataset.state), 'reading');
});

test('the local server serves its folder and nothing beside it', async (t) => {
  const folders = mkdtempSync(join(tmpdir(), 'cellbound-serve-'));
  for (const [folder, file] of [['site', 'index.html'], ['siteX', 'secret.txt']]) {
    mkdirSync(join(folders, folder));
    writeFileSync(join(folders, folder, file), file);
  }
  const local = await serve(join(folders, 'site'));
  t.after(() => { local.close(); rmSync(folders, { recursive: true }); });
  for (const [path, status] of [['/', 200], ['/..%2fsiteX/secret.txt', 404], ['/%2e%2e/siteX/secret.txt', 404], ['/%E0%A4%A', 404], ['/', 200]]) {
    assert.equal((await fetch(`http://127.0.0.1:${local.address().port}${path}`)).status, status, path);
  }
});
