#!/usr/bin/env bash
# Plays the game in a real terminal (tmux) as a person would, from an
# interactive shell with job control, and checks what needs a real terminal
# and a real shell: the colours on its screen, the bytes its word keys send,
# a window that rewraps its rows, Ctrl-Z and fg under bash, and the terminal
# given back to the shell. The rest (modes, every signal, stops, the pause,
# TERM, output to a file) is tested on a pseudo-terminal, faster.
# Usage: terminal_test.sh GAME TRANSCRIPTS_DIR
set -euo pipefail
game=$(realpath "$1")
transcripts=$(realpath "$2")
work=$(mktemp -d)
export TMUX_TMPDIR=$work  # the terminal servers' sockets go with the rest
games=0  # each game gets a terminal server of its own
tmux() { command tmux -L "cellbound-test-$$-$games" "$@"; }
# The last shell may still be writing its files as its server goes.
cleanup() {
    tmux kill-server 2> /dev/null || true
    for _ in 1 2 3 4 5; do
        rm -rf "$work" 2> /dev/null && return 0
        sleep 0.2
    done
    return 0
}
trap cleanup EXIT
failures=0

fail() {
    echo "FAIL: $*"
    plain_screen 2> /dev/null | grep -v "^$" | tail -4 | sed "s/^/    | /"
    failures=$((failures + 1))
}
# Waits until a condition holds, for at most about five seconds (or as many
# tries of 20 ms as given).
await() {
    for _ in $(seq "${2:-250}"); do
        if eval "$1"; then return 0; fi
        sleep 0.02
    done
    return 1
}
# The screen with its colours, each row without the attribute resets at its
# end: tmux 3.5 closes every row with one (ESC[39m), 3.3 with none.
screen() { tmux capture-pane -p -e -t game | sed $'s/\\(\e\\[\\(0\\|39\\|49\\)\\{0,1\\}m\\)*$//'; }
plain_screen() { tmux capture-pane -p -J -t game; }
last_line() { plain_screen | grep -v '^$' | tail -1; }
# Raw bytes the game wrote to the terminal, escape codes included.
written() { cat "$work/log"; }
# grep -q on text read whole first: grep -q at the end of a pipeline stops at
# its first match, the writer before it may die of SIGPIPE, and pipefail then
# takes a match for a failure.
has() {
    local text
    text=$(cat)
    grep -q "$@" <<< "$text"
}
said() { written | grep -c "$1" || true; }
# Whether the game wrote these bytes in a row, line ends as line feeds
# (grep would take a line feed in a pattern for a second pattern).
wrote() { [[ $(written | tr -d '\r') == *"$1"* ]]; }

# Starts the game from an interactive shell in a fresh terminal. The game
# runs under `sh`, which records the terminal's modes before and after it and
# its exit status; `sh` survives Ctrl-C and Ctrl-\ to do so, as a parent that
# does not repair the terminal. Extra arguments go into the game's
# environment.
start() {
    rm -f "$work"/{log,status,before,after,stopped}
    tmux kill-server 2>/dev/null || true
    games=$((games + 1))
    tmux -f /dev/null new-session -d -s game -x "${columns:-200}" -y 50 \
        "env -i PATH='$PATH' HOME='$work' TERM=screen PS1='$ ' bash --norc --noprofile"
    # There from the start: keys may be typed before the pane's first byte.
    : > "$work/log"
    tmux pipe-pane -t game "cat >> '$work/log'"
    tmux send-keys -t game -l "cd '$work'; sh -c 'trap : INT QUIT; stty -g > before;
        env $* \"$game\"; echo \$? > status; stty -g > after'"
    tmux send-keys -t game Enter
    await 'grep -q "There is nothing worth picking up" "$work/log" 2>/dev/null' ||
        fail "the game did not start"
}
type_keys() {  # sends keys, then waits a moment for the game's answer, if any
    local before
    before=$(wc -c < "$work/log")
    tmux send-keys -t game "$@"
    await "[ \$(wc -c < '$work/log') -gt $before ]" 25 || true
}
type_line() { type_keys -l "$1"; type_keys Enter; }
ended() { [ -e "$work/status" ] && [ -e "$work/after" ]; }
terminal_given_back() {
    cmp -s "$work/before" "$work/after" || fail "$1: terminal modes not restored"
    written | tail -c 40 | has $'\e\[0m' || fail "$1: colour not reset at the end"
}
stop_and_check() {  # Ctrl-Z: the shell gets the terminal back as it was
    local stops
    stops=$(said Stopped)
    type_keys C-z
    await '[ "$(said Stopped)" -gt '"$stops"' ]' || fail "$1: the game was not stopped"
    await 'last_line | has "^\\$ *$"' || fail "$1: no shell prompt at the stop"
    rm -f "$work/stopped"
    type_line "stty -g > stopped"
    [[ $(written | sed -n '1,/stty -g > stopped/p' | grep -ao $'\e\[[0-9]*m' | tail -1) == $'\e[0m' ]] ||
        fail "$1: the colour was not reset for the shell"
    await '[ -s "$work/stopped" ]' && cmp -s "$work/before" "$work/stopped" ||
        fail "$1: the terminal modes were not given back at the stop"
    type_line fg
}

# 1. Colours on the terminal's screen.
start
wrote $'\e[92m\nYou can use the following commands' ||
    fail "start-up text not in bright green"
type_keys -l "look"
await 'screen | has $'"'"'\e\[95mlook'"'" || fail "typed command not in bright magenta"
type_keys Enter
await 'wrote $'"'"'look\n\e[92m\nYou see the bed'"'" ||
    fail "the reply to a command is not in bright green"

# 2. The word keys as this terminal sends them.
type_keys -l "look around here"
type_keys C-Left C-Left M-d M-b M-f M-BSpace
type_keys -l look
await "last_line | has '^look  here$'" || fail "the word keys made [$(last_line)]"
type_keys C-e C-u

# 3. Ctrl-Z in the middle of a line, then fg under bash: the shell finds
# the terminal as it was, and the line is drawn again.
type_keys -l lo
stop_and_check "Ctrl-Z while typing"
await 'last_line | has "^lo$"' || fail "the line was not drawn again after fg"
type_keys C-u

# 4. The window narrows while a long line is typed, and while a line is
# typed at a prompt: the terminal rewraps its rows, and the line is drawn
# once, with the game's text above it kept.
long=$(printf 'x%.0s' $(seq 150))
type_keys -l "$long"
tmux resize-window -t game -x 100
await '[ "$(plain_screen | grep -cx "x*x")" -le 2 ]' || fail "a copy of the long line was left after a resize"
type_keys C-a
type_keys -l y
await 'plain_screen | grep -c "y$long" | has -x 1' || fail "the wrapped line is not drawn once after a resize"
type_keys C-u Enter
type_line east
type_line north
type_line pickup
await "last_line | has '^Enter the item you want to pick up: $'" || fail "the item prompt is not shown"
type_keys -l Swo
tmux resize-window -t game -x 30
await '[ "$(plain_screen | grep -c "Enter the item")" -eq 1 ]' ||
    fail "the item prompt is shown $(plain_screen | grep -c "Enter the item") times after a resize"
plain_screen | has "^Items available to pick up:" || fail "the room's text above the prompt was erased"
tmux resize-window -t game -x 200
type_keys -l rd
type_keys Enter
await 'written | has "You picked up"' || fail "the sword was not picked up"

# 5. Ctrl-D, then a key of several bytes (Up) for the pause: it leaves
# nothing for bash, which finds its terminal as it was.
type_keys C-u C-d
await 'written | has "Press any key to continue . . . "' || fail "no pause after Ctrl-D"
type_keys Up
await ended || fail "Up did not end the pause"
await 'last_line | has "^\\$"' || fail "the shell's line after the pause is [$(last_line)]"
plain_screen | has '\[A' && fail "a part of Up was left for the shell or echoed"
[[ $(cat "$work/status" 2>/dev/null) == 0 ]] || fail "exit status after the pause is not 0"
terminal_given_back "after the pause"

# 6. Colour follows standard output alone: on with input from a file.
start "< '$transcripts/opening.in'"
await ended || fail "the game with input from a file did not end"
wrote $'\e[92m\nYou can use' || fail "no colour on a terminal when input is a file"

if ((failures)); then
    echo "$failures terminal check(s) failed"
    exit 1
fi
echo "terminal checks passed"
