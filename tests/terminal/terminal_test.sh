#!/usr/bin/env bash
# Plays the game in a real terminal (tmux) as a person would, from an
# interactive shell with job control, and checks what only a terminal shows:
# the colours, line editing and history, every typed byte reaching the game,
# Ctrl-Z and fg, the single-key pause, signals, and the terminal given back.
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

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Waits until a condition holds, for at most about five seconds.
await() {
    for _ in $(seq 100); do
        if eval "$1"; then return 0; fi
        sleep 0.05
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
    [[ ${output_to_terminal:-yes} == yes ]] || return 0
    await 'grep -q "There is nothing worth picking up" "$work/log" 2>/dev/null' ||
        fail "the game did not start"
}
type_keys() {  # sends keys, then waits until the game has written its answer
    local before
    before=$(wc -c < "$work/log")
    tmux send-keys -t game "$@"
    await "[ \$(wc -c < '$work/log') -gt $before ]" || true
    sleep 0.1
}
type_line() { type_keys -l "$1"; type_keys Enter; }
ended() { [ -e "$work/status" ] && [ -e "$work/after" ]; }
terminal_given_back() {
    cmp -s "$work/before" "$work/after" || fail "$1: terminal modes not restored"
    written | tail -c 40 | has $'\e\[0m' || fail "$1: colour not reset at the end"
}
stop_and_check() {  # Ctrl-Z: the shell gets the terminal back as it was
    type_keys C-z
    await 'written | has Stopped' || fail "$1: Ctrl-Z did not stop the game"
    sleep 0.2
    type_line "stty -g > stopped"
    [[ $(written | sed -n '1,/stty -g > stopped/p' | grep -ao $'\e\[[0-9]*m' | tail -1) == $'\e[0m' ]] ||
        fail "$1: the colour was not reset for the shell"
    await '[ -s "$work/stopped" ]' && cmp -s "$work/before" "$work/stopped" ||
        fail "$1: the terminal modes were not given back at the stop"
    type_line fg
}

# 1. Colours, typing and history.
start
wrote $'\e[92m\nYou can use the following commands' ||
    fail "start-up text not in bright green"
type_keys -l "look"
screen | has $'\e\[95mlook' || fail "typed command not in bright magenta"
type_keys Enter
wrote $'look\n\e[92m\nYou see the bed' ||
    fail "the reply to a command is not in bright green"
type_line "help"
type_keys Up Up
screen | has $'\e\[95mlook *$' || fail "Up does not recall earlier commands"
type_keys C-a Right C-k "ook" Enter  # edited back into "look"
[ "$(said "You see the bed")" -ge 3 ] || fail "an edited line is not read"
# Backspace, Delete, Ctrl-W, Ctrl-U, Ctrl-E and Left each edit the line.
type_keys -l "help me"
type_keys C-w BSpace C-u
type_keys -l "lxookk"
type_keys C-a Right DC C-e Left BSpace Enter
[ "$(said "You see the bed")" -ge 4 ] || fail "the editing keys do not make \"look\""

# 2. What is typed reaches the game unchanged, and the screen shows it:
# a UTF-8 character, a Tab, and a control character after Ctrl-V.
invalid=$(said "That is not a valid option.")
type_keys -l "loéok"
plain_screen | has '^loéok$' || fail "é is not shown where it was typed"
type_keys Enter
type_keys Tab
type_keys -l look
plain_screen | has '^^Ilook$' || fail "Tab is not shown as ^I"
type_keys Enter
type_keys -l lo
type_keys C-v C-a
type_keys -l ok
type_keys Enter
plain_screen | has '^lo^Aok$' || fail "Ctrl-V Ctrl-A is not shown as ^A"
[ "$(said "That is not a valid option.")" -eq $((invalid + 3)) ] ||
    fail "a line with é, Tab or ^A was taken for a command"
[ "$(said "You see the bed")" -eq 4 ] || fail "a line with é, Tab or ^A ran Look"
type_line pickup  # nothing to pick up; the next command starts clean
type_keys Tab
type_line look
[ "$(said "That is not a valid option.")" -eq $((invalid + 4)) ] ||
    fail "Tab was dropped from a command line"

# 3. Ctrl-Z in the middle of a line, then fg: the line is drawn again and the
# game reads what the screen shows.
type_keys -l lo
stop_and_check "Ctrl-Z while typing"
await 'last_line | has "^lo$"' || fail "the line was not drawn again after fg"
type_keys -l ok
type_keys BSpace BSpace BSpace BSpace
type_keys -l help
last_line | has '^help$' || fail "the screen does not show help after fg"
help=$(said "Block, Talk, Look")
type_keys Enter
[ "$(said "Block, Talk, Look")" -eq $((help + 1)) ] || fail "the game did not read help after fg"
# A long line wraps, and a narrower window draws it again in one piece.
long=$(printf 'x%.0s' $(seq 150))
type_keys -l "$long"
tmux resize-window -t game -x 100
sleep 0.3
type_keys C-a
type_keys -l y
plain_screen | grep -c "y$long" | has -x 1 || fail "the wrapped line is not drawn once after a resize"
type_keys C-u Enter

# The item prompt is drawn with the line typed after it, and only with that
# line: the next command line starts on its own.
type_line east
type_line north
type_line pickup
last_line | has '^Enter the item you want to pick up: $' || fail "the item prompt is not shown"
type_line Sword
type_keys -l lo
last_line | has '^lo$' || fail "the item prompt was drawn again before the next command"

type_keys C-u C-d  # ends by itself, so that a coverage build counts it all
await ended || fail "Ctrl-D after the item prompt did not end the game"

# 4. Ctrl-\ while typing: the terminal is given back, and the game ends by
# the signal.
start
type_keys -l lo
type_keys C-\\
await ended || fail "Ctrl-\\ did not end the game"
[[ $(cat "$work/status" 2>/dev/null) == 131 ]] || fail "Ctrl-\\ status is not 131"
terminal_given_back "after Ctrl-\\"

# 5. A whole winning game, then the pause waits for a single key, also after
# Ctrl-Z and fg, where it asks again; a key of several bytes (Up) is taken
# whole and leaves nothing for the shell.
start
while IFS= read -r line; do
    type_line "$line"
done < <(grep -v '^$' "$transcripts/winning_game.in")  # the key for the pause comes later
await 'written | has "Press any key to continue . . . "' || fail "no pause after the game"
written | has "thank you for playing" || fail "the game was not won"
stop_and_check "Ctrl-Z at the pause"
await '[ "$(said "Press any key to continue")" -ge 2 ]' || fail "the pause did not ask again after fg"
await 'last_line | has "^Press any key to continue \. \. \. *$"' ||
    fail "the pause's prompt is not on the screen after fg"
ended && fail "the pause did not wait for a key after fg"
type_keys Up
await ended || fail "Up did not end the pause after fg"
await 'last_line | has "^\\$"' || fail "the shell's line after the pause is [$(last_line)]"
plain_screen | has '\[A' && fail "a part of Up was left for the shell or echoed"
[[ $(cat "$work/status" 2>/dev/null) == 0 ]] || fail "exit status after the pause is not 0"
terminal_given_back "after the pause"

# 6. Ctrl-C while waiting for an item name.
start
type_line east
type_line north
type_line pickup
type_keys C-c
await ended || fail "Ctrl-C did not end the game"
[[ $(cat "$work/status" 2>/dev/null) == 130 ]] || fail "Ctrl-C status is not 130"
terminal_given_back "after Ctrl-C"

# 7. End of input (Ctrl-D) at the top of a turn ends the game at once.
start
type_keys C-d
await ended || fail "Ctrl-D did not end the game"
[[ $(cat "$work/status" 2>/dev/null) == 0 ]] || fail "exit status after Ctrl-D is not 0"
terminal_given_back "after Ctrl-D"

# 8. No colour with NO_COLOR set, nor on a terminal that cannot show it; the
# game plays the same.
for setting in NO_COLOR=1 TERM=dumb; do
    start "$setting"
    type_line look
    type_keys C-d
    await ended || fail "$setting: the game did not end"
    written | has $'\e\[9' && fail "$setting: colour escapes were written"
    [ "$(said "You see the bed")" -eq 2 ] || fail "$setting: look was not answered"
done

# 9. Colour follows standard output alone: on with input from a file, off
# with output to a file.
start "< '$transcripts/opening.in'"
await ended || fail "the game with input from a file did not end"
wrote $'\e[92m\nYou can use' || fail "no colour on a terminal when input is a file"
output_to_terminal=no start "> '$work/printed'"
await '[ -s "$work/printed" ]' || fail "the game with output to a file did not start"
type_line look
type_keys C-d
await ended || fail "the game with output to a file did not end"
grep -q $'\e' "$work/printed" && fail "escape codes were written to a file"
[ "$(grep -c "You see the bed" "$work/printed")" -eq 2 ] || fail "look was not answered into the file"

# 10. Started in the background: stopped at its first change of the
# terminal, with the shell's text left uncoloured; fg brings the colour back.
start_shell() {
    rm -f "$work/log"
    tmux kill-server 2>/dev/null || true
    games=$((games + 1))
    tmux -f /dev/null new-session -d -s game -x 80 -y 24 \
        "env -i PATH='$PATH' HOME='$work' TERM=xterm-256color PS1='$ ' bash --norc --noprofile"
    # There from the start: keys may be typed before the pane's first byte.
    : > "$work/log"
    tmux pipe-pane -t game "cat >> '$work/log'"
}
start_shell
type_line "'$game' &"
await 'written | has "There is nothing worth picking up"' || fail "in the background: no opening"
type_line "echo MARK"
await 'written | has Stopped' || fail "in the background: the game was not stopped"
await 'plain_screen | has "^MARK$"' || fail "in the background: echo MARK did not run"
screen | grep 'MARK' | has $'\e\[95m' && fail "in the background: the shell's text is magenta"
screen | has $'^\e\[95m\$ \|^\$ \e\[95m' && fail "in the background: the shell's prompt is magenta"
type_line fg
type_keys -l lo
await 'screen | has $'"'"'\e\[95mlo'"'"'' || fail "after fg: the typed line is not magenta"
type_keys C-u C-d
await 'last_line | has "^\\$"' || fail "after fg: the game did not end"

if ((failures)); then
    echo "$failures terminal check(s) failed"
    exit 1
fi
echo "terminal checks passed"
