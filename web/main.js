// The page: xterm.js on the master side of a pseudo-terminal (xterm-pty),
// the game on its slave side through the game's own POSIX terminal layer
// (see pty_library.js). Each game is a fresh instance of the same compiled
// module; after one ends, a key starts the next.
import { openpty } from './xterm-pty.mjs';
import createGame from './cellbound.js';

// Fetched and compiled while the terminal is set up; any static host will do,
// whatever type it serves a .wasm file as.
const compiled = fetch('cellbound.wasm')
  .then((response) => {
    if (!response.ok) throw new Error(`cellbound.wasm: ${response.status} ${response.statusText}`);
    return response.arrayBuffer();
  })
  .then((bytes) => WebAssembly.compile(bytes));

const terminal = new Terminal({
  // The colours of an xterm: the game's 10 and 13 are bright green and
  // bright magenta on black.
  theme: {
    background: '#000000',
    foreground: '#e5e5e5',
    cursor: '#e5e5e5',
    brightGreen: '#00ff00',
    brightMagenta: '#ff00ff',
  },
  fontFamily: 'ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace',
  fontSize: 15,
  cursorBlink: true,
  scrollback: 5000,
});
// The pty first: it learns every size the terminal takes, the first too.
const { master, slave } = openpty();
terminal.loadAddon(master);
const asFound = slave.ioctl('TCGETS');
const fit = new FitAddon.FitAddon();
terminal.loadAddon(fit);
const screen = document.getElementById('terminal');
terminal.open(screen);
fit.fit();
// The first game starts once the page has been laid out and the terminal
// fitted to it, so that it does not begin with a change of size.
await new Promise((laidOut) => {
  new ResizeObserver(() => {
    fit.fit();
    laidOut();
  }).observe(screen);
});
terminal.focus();

// For tests: the bytes the current (or last) game has written, and a wait
// until the game has taken every key and waits for the next.
let phase = 'starting';  // 'playing', then 'ended' until a key starts the next
let sleeping = false;
let written = [];
let games = 0;
const waiters = [];
function settle() {
  if (phase === 'ended' || (phase === 'playing' && sleeping && !slave.readable)) {
    waiters.splice(0).forEach((resolve) => resolve());
  }
}
// Until the terminal has drawn all it has been sent: xterm.js parses what
// it is written later, and xterm-pty hands it over a block at a time.
async function drawn() {
  do {
    await new Promise((resolve) => terminal.write('', resolve));
  } while (master.waitingForLower || master.fromLdiscToLowerBuffer.length > 0);
}
window.cellbound = {
  terminal,
  idle: () => new Promise((resolve) => {
    waiters.push(resolve);
    settle();
  }).then(drawn),
  written: () => written.flat(),
  phase: () => phase,
  games: () => games,
};

const signalNames = { 2: 'Ctrl-C', 3: 'Ctrl-\\' };

// Plays one game; gives how it ended.
async function play() {
  slave.ioctl('TCSETS', asFound);
  slave.read();
  written = [];
  sleeping = false;
  games += 1;
  phase = 'playing';
  const module = await compiled;
  const game = await createGame({
    pty: slave,
    onIdle: () => {
      sleeping = true;
      settle();
    },
    onBusy: () => {
      sleeping = false;
    },
    onWrite: (bytes) => written.push(bytes),
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module));
      return {};
    },
  });
  try {
    await game.ccall('main', 'number', [], [], { async: true });
    return 'The game has ended.';
  } catch (error) {
    // The game's handler for Ctrl-C or Ctrl-\ has given the terminal back
    // and asked for the signal's default action: the game is over.
    if (error && typeof error.signal === 'number') {
      return `The game was ended by ${signalNames[error.signal] || `signal ${error.signal}`}.`;
    }
    throw error;
  } finally {
    game.release();
  }
}

function nextKey() {
  return new Promise((resolve) => {
    const readable = slave.onReadable(() => {
      readable.dispose();
      resolve();
    });
  });
}

for (;;) {
  const ending = await play();
  // One key, whatever it is, without echo: no signal, no line to finish.
  slave.ioctl('TCSETS', { ...asFound, lflag: asFound.lflag & ~(0x1 | 0x2 | 0x8) });
  slave.write(`\n${ending} Press any key for a new game.`);
  phase = 'ended';
  sleeping = false;
  settle();
  await nextKey();
  terminal.reset();
}
