#!/usr/bin/env bash
# Plays the game in a real terminal (tmux) as a person would, and checks what
# only a terminal shows: the colours, line editing and history, the single-key
# pause, and the terminal given back after the end and after Ctrl-C.
# Usage: terminal_test.sh GAME TRANSCRIPTS_DIR [line-editing]
set -euo pipefail
game=$(realpath "$1")
transcripts=$(realpath "$2")
editing=${3:-}
work=$(mktemp -d)
export TMUX_TMPDIR=$work  # the terminal servers' sockets go with the rest
games=0  # each game gets a terminal server of its own
tmux() { command tmux -L "cellbound-test-$$-$games" "$@"; }
trap 'tmux kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Waits until a condition holds, for at most about five seconds.
await() {
    for _ in $(seq 100); do
        if eval "$1"; then return 0; fi
        sleep 0.05
    done
    return 1
}
screen() { tmux capture-pane -p -e -t game; }
# Raw bytes the game wrote to the terminal, escape codes included.
written() { cat "$work/log"; }

# Starts the game in a fresh terminal; it runs once the output is logged.
start() {
    rm -f "$work"/{go,log,status,before,after}
    tmux kill-server 2>/dev/null || true
    games=$((games + 1))
    tmux -f /dev/null new-session -d -s game -x 200 -y 50 \
        "trap : INT; cd '$work'; while [ ! -e go ]; do sleep 0.02; done; stty -g > before;
         '$game'; echo \$? > status; stty -g > after; sleep 60"
    tmux pipe-pane -t game "cat >> '$work/log'"
    touch "$work/go"
    await 'grep -q "There is nothing worth picking up" "$work/log" 2>/dev/null' ||
        fail "the game did not start"
}
type_line() {  # types a line and waits for the game to answer it
    local before
    before=$(wc -c < "$work/log")
    tmux send-keys -t game -l "$1"
    tmux send-keys -t game Enter
    await "[ \$(wc -c < '$work/log') -gt $((before + ${#1} + 1)) ]" || true
    sleep 0.05
}
ended() { [ -e "$work/status" ] && [ -e "$work/after" ]; }
terminal_given_back() {
    cmp -s "$work/before" "$work/after" || fail "$1: terminal modes not restored"
    written | tail -c 20 | grep -q $'\e\[0m' || fail "$1: colour not reset at the end"
}

# 1. Colours, typing and history.
start
written | grep -q $'\e\[92m\nYou can use the following commands' ||
    fail "start-up text not in bright green"
tmux send-keys -t game -l "look"
await 'screen | grep -q $'"'"'\e\[95mlook'"'"'' || fail "typed command not in bright magenta"
tmux send-keys -t game Enter
await 'written | grep -q $'"'"'look\r*\n\e\[92m\nYou see the bed'"'"'' ||
    fail "the reply to a command is not in bright green"
if [[ $editing == line-editing ]]; then
    type_line "help"
    tmux send-keys -t game Up Up
    await 'screen | grep -q $'"'"'\e\[95mlook *$'"'"'' || fail "Up does not recall earlier commands"
    tmux send-keys -t game C-a Right C-k "ook" Enter  # edited back into "look"
    await '[ $(written | grep -c "You see the bed") -ge 3 ]' || fail "an edited line is not read"
fi

# 2. A whole winning game, then the pause waits for a single key.
start
while IFS= read -r line; do
    type_line "$line"
done < <(grep -v '^$' "$transcripts/winning_game.in")  # the key for the pause comes later
await 'written | grep -q "Press any key to continue . . . "' || fail "no pause after the game"
sleep 0.5
ended && fail "the pause did not wait for a key"
tmux send-keys -t game -l x
await ended || fail "one key did not end the pause"
[[ $(cat "$work/status" 2>/dev/null) == 0 ]] || fail "exit status after the pause is not 0"
written | grep -q "thank you for playing" || fail "the game was not won"
terminal_given_back "after the pause"

# 3. Ctrl-C in the middle of a game, also while waiting for an item name.
start
type_line east
type_line north
type_line pickup
tmux send-keys -t game C-c
await ended || fail "Ctrl-C did not end the game"
[[ $(cat "$work/status" 2>/dev/null) == 130 ]] || fail "Ctrl-C status is not 130"
terminal_given_back "after Ctrl-C"

# 4. End of input (Ctrl-D) at the top of a turn ends the game at once.
start
tmux send-keys -t game C-d
await ended || fail "Ctrl-D did not end the game"
[[ $(cat "$work/status" 2>/dev/null) == 0 ]] || fail "exit status after Ctrl-D is not 0"
terminal_given_back "after Ctrl-D"

if ((failures)); then
    echo "$failures terminal check(s) failed"
    exit 1
fi
echo "terminal checks passed"
