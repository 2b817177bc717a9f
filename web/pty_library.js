// The game's standard streams in the page: read, write, isatty, the termios
// and window-size ioctls and poll, over the slave side of xterm-pty's
// pseudo-terminal, handed in as Module.pty. The game's POSIX terminal layer
// runs on them unchanged: reads that would wait say EAGAIN, and poll is the
// one call that suspends the game (Asyncify) until a key or a signal comes.
// Signals from the line discipline (Ctrl-C, Ctrl-\, Ctrl-Z, a resize) reach
// the game's own handlers, as a kernel would deliver them, while it polls.

mergeInto(LibraryManager.library, {
  $cellbound__deps: ['$ENV'],
  $cellbound__postset: [
    // What the game is told about its terminal: xterm.js is an xterm.
    "ENV['TERM'] = 'xterm-256color';",
    "ENV['LANG'] = 'C.UTF-8';",
    'cellbound.listen();',
  ].join('\n'),
  $cellbound: {
    // Signals from the line discipline not yet delivered, in order.
    pending: [],
    // While the game sleeps in poll: the function that wakes it.
    wake: null,
    // Signals whose handler is running: a handler that raises its own
    // signal asks for the default action (emscripten keeps SA_RESETHAND's
    // handler in place), which here ends the game.
    handling: {},
    // The default action of a signal that ends a program, thrown through
    // the game's frames to the page (see web/main.js).
    Ended: function (signal) {
      this.signal = signal;
    },

    listen: function () {
      var pty = Module['pty'];
      var numbers = { SIGINT: 2, SIGQUIT: 3, SIGTSTP: 20, SIGWINCH: 28 };
      var readable = pty.onReadable(function () {
        cellbound.resume();
      });
      var signals = pty.onSignal(function (name) {
        if (name === 'SIGTSTP') {
          // No shell to stop to: stopped and continued at once, as after
          // `fg`, on a line of its own as a shell would leave it.
          cellbound.pending.push(20, 18);
        } else {
          cellbound.pending.push(numbers[name]);
        }
        cellbound.resume();
      });
      // The page calls this when the game is over: the pty outlives it.
      Module['release'] = function () {
        readable.dispose();
        signals.dispose();
      };
    },

    // Wakes the game from a microtask: waking it inside the pty's own event
    // would run the game inside the line discipline.
    resume: function () {
      var wake = cellbound.wake;
      if (wake) {
        cellbound.wake = null;
        queueMicrotask(wake);
      }
      if (Module['onBusy']) Module['onBusy']();
    },

    deliverSignals: function () {
      while (cellbound.pending.length) {
        var signal = cellbound.pending.shift();
        if (signal === 18) Module['pty'].write('\n');
        _raise(signal);
      }
    },

    // The streams the page gives: 0 reads the keyboard, 1 and 2 the screen.
    isTerminal: function (fd) {
      return fd >= 0 && fd <= 2;
    },
  },

  __call_sighandler__deps: ['$cellbound'],
  __call_sighandler: function (fp, sig) {
    if (cellbound.handling[sig]) {
      throw new cellbound.Ended(sig);
    }
    cellbound.handling[sig] = true;
    try {
      {{{ makeDynCall('vi', 'fp') }}}(sig);
    } finally {
      cellbound.handling[sig] = false;
    }
  },

  fd_write__deps: ['$cellbound'],
  fd_write: function (fd, iov, iovcnt, pnum) {
    if (fd !== 1 && fd !== 2) return {{{ cDefine('EBADF') }}};
    var bytes = [];
    for (var i = 0; i < iovcnt; i++) {
      var base = HEAPU32[(iov + i * 8) >> 2];
      var length = HEAPU32[(iov + i * 8 + 4) >> 2];
      for (var j = 0; j < length; j++) bytes.push(HEAPU8[base + j]);
    }
    Module['pty'].write(bytes);
    if (Module['onWrite']) Module['onWrite'](bytes);
    HEAPU32[pnum >> 2] = bytes.length;
    return 0;
  },

  fd_read__deps: ['$cellbound'],
  fd_read: function (fd, iov, iovcnt, pnum) {
    if (fd !== 0) return {{{ cDefine('EBADF') }}};
    var pty = Module['pty'];
    if (!pty.readable) return {{{ cDefine('EAGAIN') }}};
    var count = 0;
    for (var i = 0; i < iovcnt && pty.readable; i++) {
      var base = HEAPU32[(iov + i * 8) >> 2];
      var length = HEAPU32[(iov + i * 8 + 4) >> 2];
      var bytes = pty.read(length);
      HEAPU8.set(bytes, base);
      count += bytes.length;
    }
    HEAPU32[pnum >> 2] = count;
    return 0;
  },

  // isatty() asks this: the three streams are character devices.
  fd_fdstat_get__deps: ['$cellbound'],
  fd_fdstat_get: function (fd, pbuf) {
    if (!cellbound.isTerminal(fd)) return {{{ cDefine('EBADF') }}};
    HEAPU8.fill(0, pbuf, pbuf + 24);
    HEAPU8[pbuf] = 2;  // __WASI_FILETYPE_CHARACTER_DEVICE
    return 0;
  },

  fd_close: function (fd) {
    return 0;
  },

  fd_seek: function (fd, offset_low, offset_high, whence, newOffset) {
    return {{{ cDefine('ESPIPE') }}};
  },

  __syscall_ioctl__deps: ['$cellbound'],
  __syscall_ioctl: function (fd, op, varargs) {
    if (!cellbound.isTerminal(fd)) return -{{{ cDefine('EBADF') }}};
    var pty = Module['pty'];
    var argp = HEAP32[varargs >> 2];
    // struct termios: four flag words, c_line, then NCCS (32) control
    // characters.
    switch (op) {
      case {{{ cDefine('TCGETS') }}}: {
        var modes = pty.ioctl('TCGETS');
        HEAPU8.fill(0, argp, argp + 60);
        HEAPU32[argp >> 2] = modes.iflag;
        HEAPU32[(argp + 4) >> 2] = modes.oflag;
        HEAPU32[(argp + 8) >> 2] = modes.cflag;
        HEAPU32[(argp + 12) >> 2] = modes.lflag;
        for (var i = 0; i < 32; i++) HEAPU8[argp + 17 + i] = modes.cc[i] || 0;
        return 0;
      }
      case {{{ cDefine('TCSETS') }}}:
      case {{{ cDefine('TCSETSW') }}}:
      case {{{ cDefine('TCSETSF') }}}: {
        if (op === {{{ cDefine('TCSETSF') }}}) pty.read();
        var cc = [];
        for (var k = 0; k < 32; k++) cc.push(HEAPU8[argp + 17 + k]);
        pty.ioctl('TCSETS', {
          iflag: HEAPU32[argp >> 2],
          oflag: HEAPU32[(argp + 4) >> 2],
          cflag: HEAPU32[(argp + 8) >> 2],
          lflag: HEAPU32[(argp + 12) >> 2],
          cc: cc,
        });
        return 0;
      }
      case {{{ cDefine('TIOCGWINSZ') }}}: {
        var size = pty.ioctl('TIOCGWINSZ');  // [columns, rows]
        HEAPU16[argp >> 1] = size[1];
        HEAPU16[(argp + 2) >> 1] = size[0];
        HEAPU16[(argp + 4) >> 1] = 0;
        HEAPU16[(argp + 6) >> 1] = 0;
        return 0;
      }
      // The game is the one job on its terminal: always in the foreground.
      case {{{ cDefine('TIOCGPGRP') }}}:
        HEAP32[argp >> 2] = _getpgrp();
        return 0;
      case {{{ cDefine('TIOCSPGRP') }}}:
        return 0;
      default:
        return -{{{ cDefine('EINVAL') }}};
    }
  },

  __syscall_fcntl64: function (fd, cmd, varargs) {
    return 0;
  },

  // The only call that waits. Keys and signals that came while the game ran
  // are seen at once; otherwise the game sleeps until one comes.
  __syscall_poll__deps: ['$cellbound'],
  __syscall_poll: function (fds, nfds, timeout) {
    var pty = Module['pty'];
    function ready() {
      var count = 0;
      for (var i = 0; i < nfds; i++) {
        var pollfd = fds + i * 8;
        var fd = HEAP32[pollfd >> 2];
        var events = HEAP16[(pollfd + 4) >> 1];
        var revents = {{{ cDefine('POLLNVAL') }}};
        if (fd === 0) {
          revents = pty.readable ? {{{ cDefine('POLLIN') }}} : 0;
        } else if (cellbound.isTerminal(fd)) {
          revents = {{{ cDefine('POLLOUT') }}};
        }
        revents &= events | {{{ cDefine('POLLERR') }}} | {{{ cDefine('POLLHUP') }}} | {{{ cDefine('POLLNVAL') }}};
        HEAP16[(pollfd + 6) >> 1] = revents;
        if (revents) count++;
      }
      return count;
    }
    // Called again with the same arguments when the game is woken: the
    // sleep ends there and the streams are looked at anew.
    Asyncify.handleSleep(function (wakeUp) {
      if (ready() || cellbound.pending.length || timeout === 0) {
        wakeUp(0);
        return;
      }
      var timer = timeout > 0 ? setTimeout(cellbound.resume, timeout) : null;
      cellbound.wake = function () {
        clearTimeout(timer);
        wakeUp(0);
      };
      if (Module['onIdle']) Module['onIdle']();
    });
    if (Asyncify.state === Asyncify.State.Unwinding) return 0;
    var count = ready();
    if (cellbound.pending.length) {
      cellbound.deliverSignals();
      return -{{{ cDefine('EINTR') }}};
    }
    return count;
  },
});
