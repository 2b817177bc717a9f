#!/usr/bin/env python3
"""Plays the native game in a pseudo-terminal of a given size, key by key.

  native_pty.py GAME COLUMNS ROWS < keys.json > written.bin

keys.json is a list of strings, each what one key sends. Each is typed once
the game has taken the last one and waits in a read again, as a person
would type; what the game writes is passed through verbatim (no output
processing on the terminal, so these are exactly the bytes the game wrote)
until the game has ended.
"""
import fcntl
import json
import os
import select
import struct
import sys
import termios
import time

FIONREAD = getattr(termios, "FIONREAD", 0x541B)


def state_of(pid):
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()[0]


def bytes_read(pid):
    """What the game has read so far, from any file."""
    with open(f"/proc/{pid}/io") as io:
        return int(next(line for line in io if line.startswith("rchar:")).split()[1])


def waiting_for_a_key(pid, slave):
    """True once the game sleeps in read() on its standard input and no
    typed byte is left for it."""
    if struct.unpack("i", fcntl.ioctl(slave, FIONREAD, b"\0" * 4))[0]:
        return False
    with open(f"/proc/{pid}/syscall") as syscall:
        call = syscall.read().split()
    return state_of(pid) == "S" and call[:2] == ["0", "0x0"]


def main():
    game, columns, rows = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    keys = json.load(sys.stdin)
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
    modes = termios.tcgetattr(slave)
    modes[1] &= ~termios.OPOST
    termios.tcsetattr(slave, termios.TCSANOW, modes)
    pid = os.fork()
    if pid == 0:
        os.setsid()
        fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
        for stream in (0, 1, 2):
            os.dup2(slave, stream)
        os.close(master)
        environment = {"PATH": "/usr/bin:/bin", "TERM": "xterm-256color", "LANG": "C.UTF-8"}
        os.execve(game, [game], environment)
    written = bytearray()
    deadline = time.monotonic() + 120

    def take(wait):
        """Reads what the game wrote; False once the game is gone."""
        ready, _, _ = select.select([master], [], [], wait)
        if not ready:
            return True
        try:
            chunk = os.read(master, 65536)
        except OSError:  # EIO: the last of the terminal's users has gone
            return False
        written.extend(chunk)
        return bool(chunk)

    def condition_holds(condition):
        try:
            return condition()
        except OSError:  # the game has just gone
            return True

    def await_game(condition):
        while state_of(pid) != "Z" and not condition_holds(condition):
            if time.monotonic() > deadline:
                sys.exit("native_pty.py: the game did not come to wait for a key")
            if not take(0.002):
                return

    for key in keys:
        if state_of(pid) == "Z":
            sys.exit(f"native_pty.py: the game ended before {key!r} was typed")
        # Typed only when the game waits: then it reads this key alone.
        await_game(lambda: len(written) > 0 and waiting_for_a_key(pid, slave))
        typed = key.encode()
        before = bytes_read(pid)
        os.write(master, typed)
        # The key reaches the game a moment later; until the game has read
        # it, it may still look as if it were waiting.
        await_game(lambda: bytes_read(pid) >= before + len(typed))
    os.close(slave)
    while take(1):
        if time.monotonic() > deadline:
            sys.exit("native_pty.py: the game did not end after the last key")
    os.waitpid(pid, 0)
    sys.stdout.buffer.write(bytes(written))


main()
