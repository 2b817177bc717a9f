// The page: the game's text appended to a transcript, one command line under
// it. The game (cellbound.js and .wasm) calls the four functions of `page`
// below (src/platform/platform_page.cpp): it writes, sets the colour, waits
// for a line and, at the end, waits for a key. Each game is a fresh instance
// of the same compiled module, appended below the last. The lines a game has
// read are kept in the browser's storage, so that a reload, a closed tab or
// a phone that discards the tab finds the game where it was.
const transcript = document.getElementById('transcript');
const status = document.getElementById('status');
const failure = document.getElementById('failure');
const form = document.getElementById('command-line');
const input = document.getElementById('command');
// Lines sent before this script ran, which index.html kept for it.
const earlyLines = window.cellbound.take();
input.focus();

// What the form is doing, for styles and tests: 'loading', 'reading' (the
// game waits for a line), 'busy', 'pause' (it waits for a key), 'failed'.
const setState = (state) => { form.dataset.state = state; };

// Lines typed and not yet read by the game, the one it is reading, and the
// game's wait for the next line or key.
const typed = [];
let reading = null;
let wakeForLine = null;
let wakeForKey = null;
// A game is under way once a line has been typed, until its pause.
let underWay = false;
let resumedSaid = false;

// ---------------------------------------------------------------------------
// The kept game: the lines it has read, in order. Played again through the
// same input, they rebuild the same transcript; a game past its pause is
// not kept.
const keptKey = 'cellbound.lines';
let kept = [];
let stored = 0;  // of them, how many storage holds already (a resumed game's)
let keeping = true;
function keep() {
  if (!keeping) return;
  try {
    if (kept.length) localStorage.setItem(keptKey, JSON.stringify(kept));
    else localStorage.removeItem(keptKey);
  } catch {
    keeping = false;  // refused: disabled, private or full
    // Nor is a part of this game, which a later visit would take for it.
    try {
      localStorage.removeItem(keptKey);
    } catch {
      // Nothing was kept then.
    }
    status.textContent = 'This browser does not let the page keep your game: it ends when the page is closed.';
  }
}
function keptLines() {
  try {
    const lines = JSON.parse(localStorage.getItem(keptKey));
    return Array.isArray(lines) && lines.every((line) => typeof line === 'string') ? lines : [];
  } catch {
    return [];
  }
}

// ---------------------------------------------------------------------------
// The game's text is shown a turn at a time, when it waits: one addition to
// the log for each turn, which a screen reader announces once. Each turn is
// a block of its own, so that a long game lays out and is read out by the
// turn, not as a whole; a turn that begins mid-line (an item's name after
// its prompt) goes on in the block of that line.
let game = null;  // the current game's part of the transcript
let turn = null;  // the block the text goes to
let lineEnded = true;
let decoder = null;
let colour = 'reply';
let unshown = document.createDocumentFragment();

function append(text, className) {
  if (text === '') return;
  const span = document.createElement('span');
  span.className = className;
  span.textContent = text;
  turn.append(span);
  lineEnded = text.endsWith('\n');
}
function newTurn() {
  if (!lineEnded && turn) return;
  turn = document.createElement('div');
  unshown.append(turn);
}

// After each turn, and when the window changes size (a phone turned, a
// keyboard that resizes it), the latest text shows with the command line
// under it, unless the player has scrolled back to read.
let atEnd = true;
const toEnd = () => window.scrollTo(0, document.documentElement.scrollHeight);
addEventListener('scroll', () => {
  atEnd = window.scrollY + window.innerHeight >= document.documentElement.scrollHeight - 4;
});
const keepEnd = () => { if (atEnd) toEnd(); };
addEventListener('resize', keepEnd);
window.visualViewport?.addEventListener('resize', keepEnd);

function show() {
  game.append(unshown);
  unshown = document.createDocumentFragment();
  toEnd();
  atEnd = true;
}

const encoder = new TextEncoder();
const page = {
  write(bytes) {
    append(decoder.decode(bytes, { stream: true }), colour);
  },
  colour(name) {
    colour = name;
    input.className = name;
  },
  // The line's bytes, at most `capacity` at a time. A typed line is echoed,
  // with its line end, when the game starts reading it, as a console shows it.
  async read(capacity) {
    if (!reading) {
      newTurn();
      if (typed.length === 0) {
        show();
        setState('reading');
        await new Promise((wake) => { wakeForLine = wake; });
      }
      const line = typed.shift();
      append(`${line}\n`, `${colour} echo`);
      reading = encoder.encode(`${line}\n`);
      kept.push(line);
      if (kept.length > stored) keep();
    }
    const taken = reading.subarray(0, capacity);
    reading = taken.length < reading.length ? reading.subarray(taken.length) : null;
    return taken;
  },
  async key() {
    underWay = false;
    kept = [];
    stored = 0;
    keep();
    show();
    setState('pause');
    await new Promise((wake) => { wakeForKey = wake; });
  },
};

function wake(wakeFor) {
  if (wakeFor) {
    setState('busy');
    wakeFor();
  }
}

// ---------------------------------------------------------------------------
// Keys. The browser edits the line; Up and Down recall earlier lines.
const earlier = [];
let recalled = 0;
let draft = '';

function send(line) {
  if (line !== '' && line !== earlier.at(-1)) earlier.push(line);
  recalled = earlier.length;
  draft = '';
  typed.push(line);
  underWay = true;
  if (resumedSaid) status.textContent = '';
  resumedSaid = false;
  const waiting = wakeForLine;
  wakeForLine = null;
  wake(waiting);
}

form.addEventListener('submit', (event) => {
  event.preventDefault();
  if (form.dataset.state === 'pause') {
    takeKey();
    return;
  }
  if (form.dataset.state === 'failed') return;
  const line = input.value;
  input.value = '';
  send(line);
});

// A paste of several lines sends each whole line, as a console reads them;
// the text field alone would join them with blanks.
input.addEventListener('paste', (event) => {
  const text = event.clipboardData.getData('text/plain');
  if (!/[\r\n]/.test(text) || form.dataset.state === 'pause') return;
  event.preventDefault();
  const lines = (input.value.slice(0, input.selectionStart) + text).split(/\r\n|\r|\n/);
  const last = lines.pop();
  input.value = last + input.value.slice(input.selectionEnd);
  input.setSelectionRange(last.length, last.length);
  lines.forEach(send);
});

input.addEventListener('keydown', (event) => {
  if (event.isComposing || event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
  if (form.dataset.state === 'pause') return;  // the key is the pause's
  if (event.key === 'ArrowUp' && recalled > 0) {
    if (recalled === earlier.length) draft = input.value;
    recalled -= 1;
  } else if (event.key === 'ArrowDown' && recalled < earlier.length) {
    recalled += 1;
  } else {
    return;
  }
  event.preventDefault();
  input.value = recalled === earlier.length ? draft : earlier[recalled];
  input.setSelectionRange(input.value.length, input.value.length);
});

// The pause takes one key, whichever, and shows nothing of it. Keys held
// with Ctrl, Alt or Meta stay the browser's (copying, for one), and Tab
// moves on as usual.
const notKeys = new Set(['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'CapsLock', 'Tab',
  'NumLock', 'ScrollLock', 'Dead', 'Process', 'Unidentified', 'Compose']);
function takeKey() {
  const waiting = wakeForKey;
  wakeForKey = null;
  wake(waiting);
}
// A phone's keyboard may say nothing of its key but what it types. What an
// input method composes cannot be refused: the line it was typed into is
// put back as it was when the composition ends.
let composedAtPause = null;
input.addEventListener('beforeinput', (event) => {
  if (form.dataset.state !== 'pause') return;
  event.preventDefault();
  if (event.isComposing || event.inputType === 'insertCompositionText') composedAtPause ??= input.value;
  takeKey();
});
input.addEventListener('compositionend', () => {
  if (composedAtPause === null) return;
  const before = composedAtPause;
  composedAtPause = null;
  // After the browser's own input for the composition's end.
  setTimeout(() => { input.value = before; });
  input.value = before;
});

document.addEventListener('keydown', (event) => {
  if (event.isComposing || event.altKey || event.ctrlKey || event.metaKey) return;
  if (form.dataset.state === 'pause') {
    if (notKeys.has(event.key)) return;
    event.preventDefault();
    takeKey();
    return;
  }
  // Typing anywhere on the page types in the command line: a character, or
  // the accent that begins one.
  const typing = [...event.key].length === 1 || event.key === 'Dead';
  if (typing && event.target !== input && !input.disabled) input.focus();
});

// Leaving loses nothing while the game is kept; where it cannot be, the
// page asks first.
window.addEventListener('beforeunload', (event) => {
  if (!underWay || keeping) return;
  event.preventDefault();
  event.returnValue = '';
});

// ---------------------------------------------------------------------------
// The controls: a new game at any time, and the transcript as a text file.
let abandon = null;
document.getElementById('new-game').addEventListener('click', () => {
  if (!abandon || form.dataset.state === 'failed') return;
  if (underWay && !window.confirm('Start a new game? The game under way will be lost.')) return;
  abandon();
  input.focus();
});
document.getElementById('save').addEventListener('click', () => {
  // As the log reads: each game's text as it was written, and the note
  // between two games on a line of its own, even after a prompt.
  let text = '';
  for (const part of transcript.children) {
    const note = part.classList.contains('note');
    if (note && text !== '' && !text.endsWith('\n')) text += '\n';
    text += note ? `${part.textContent}\n` : part.textContent;
  }
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  link.download = 'cellbound-transcript.txt';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
});

// ---------------------------------------------------------------------------
// Loading, and one game after another.
function fail(message) {
  setState('failed');
  underWay = false;
  status.textContent = '';
  input.disabled = true;
  failure.textContent = message;
}
const reason = (error) => (error instanceof Error ? error.message : String(error));

async function load() {
  if (typeof WebAssembly !== 'object') throw new Error('this browser does not run WebAssembly');
  const response = await fetch('cellbound.wasm').catch(() => {
    throw new Error('cellbound.wasm could not be fetched');
  });
  if (!response.ok) throw new Error(`cellbound.wasm: ${response.status} ${response.statusText}`);
  // Compiled while it arrives where the host says what it is.
  const streams = response.headers.get('Content-Type')?.startsWith('application/wasm');
  const compiled = streams ? WebAssembly.compileStreaming(response)
    : response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
  const [module, { default: createGame }] = await Promise.all([
    compiled.catch((error) => { throw new Error(`cellbound.wasm is incomplete or damaged (${reason(error)})`); }),
    import('./cellbound.js').catch(() => { throw new Error('cellbound.js could not be fetched'); }),
  ]);
  return { module, createGame };
}

// Plays one game to its end, or until a new game is asked for.
async function play({ module, createGame }) {
  game = document.createElement('div');
  game.className = 'game';
  transcript.append(game);
  turn = null;
  lineEnded = true;
  newTurn();
  decoder = new TextDecoder();
  colour = 'reply';
  // The game cannot start if the wasm is not the one its script was built
  // with (an old copy in a cache, say): that ends the wait for it too.
  let unstartable;
  const notStarted = new Promise((_, reject) => { unstartable = reject; });
  const instance = await Promise.race([notStarted, createGame({
    page,
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(module, imports).then((made) => receive(made, module), (error) => {
        unstartable(new Error(`cellbound.wasm could not be started (${reason(error)})`));
      });
      return {};
    },
  })]);
  // An abandoned game waits for ever for a line it is never given.
  const abandoned = new Promise((resolve) => { abandon = resolve; });
  const ended = await Promise.race([
    instance.ccall('main', 'number', [], [], { async: true }).then(() => true), abandoned.then(() => false)]);
  abandon = null;
  if (ended) append(decoder.decode(), colour);
  show();
  // What was typed after the last line the game read goes with it.
  typed.length = 0;
  reading = null;
  wakeForLine = wakeForKey = null;
  underWay = false;
  kept = [];
  stored = 0;
  keep();
}

// Registered once the game's files are all here, so that a newer build's
// files take over for the next visit, never for this one's half-loaded
// files (sw.js keeps the one build's files together).
async function workOffline() {
  if (!('serviceWorker' in navigator)) return;
  try {
    const registration = await navigator.serviceWorker.register('sw.js');
    const takeOver = () => {
      const worker = registration.installing || registration.waiting;
      if (!worker) return;
      const installed = () => worker.state === 'installed' && worker.postMessage('take over');
      worker.addEventListener('statechange', installed);
      installed();
    };
    registration.addEventListener('updatefound', takeOver);
    takeOver();
  } catch {
    // Not offline then: a page served from a file, say, or storage refused.
  }
}

let loaded = null;
try {
  loaded = await load();
} catch (error) {
  fail(`The game could not be loaded: ${reason(error)}. ` +
    'Check your connection and reload the page; if that does not help, the site is at fault.');
}
if (loaded) {
  workOffline();
  // The kept game's lines first, then those sent while the page loaded.
  const resumed = keptLines();
  typed.unshift(...resumed, ...earlyLines);
  underWay ||= resumed.length > 0;
  stored = resumed.length;
  resumedSaid = resumed.length > 0;
  status.textContent = resumedSaid ? 'Game resumed.' : '';
  try {
    for (;;) {
      await play(loaded);
      const note = document.createElement('p');
      note.className = 'note';
      note.textContent = 'A new game begins.';
      transcript.append(note);
    }
  } catch (error) {
    fail(`The game stopped: ${reason(error)}. Reload the page to play again.`);
  }
}
