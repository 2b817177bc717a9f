#!/bin/sh
# Standard streams that do not cooperate: handed over non-blocking by the
# parent, on a full disk, closed, or read by a reader that goes away.
set -u
game=$1
typed=$2     # a winning game's input
expected=$3  # and its output
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Whether a process is asleep in a system call, waiting for its streams.
asleep() { [ "$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$1/status" 2> /dev/null)" = S ]; }
# Waits until a condition holds, for at most about twenty seconds.
await() {
    i=0
    while ! eval "$1"; do
        i=$((i + 1))
        [ $i -lt 400 ] || return 1
        sleep 0.05
    done
}

# Starts the game with the given standard streams left non-blocking, as
# some parents hand them over.
nonblocking() {
    streams=$1
    shift
    perl -MFcntl -e '
        for my $stream (split /,/, shift) {
            my $handle = $stream eq "in" ? \*STDIN : \*STDOUT;
            fcntl($handle, F_SETFL, fcntl($handle, F_GETFL, 0) | O_NONBLOCK) or die "fcntl: $!";
        }
        exec @ARGV or die "exec: $!";' "$streams" "$@"
}

# 1. Input that arrives late on a non-blocking pipe is waited for, not taken
# for the end of input: written only once the game sleeps waiting for it.
mkfifo "$work/late"
exec 5<> "$work/late"
nonblocking in "$game" < "$work/late" > "$work/out" 2> "$work/err" &
game_pid=$!
await "asleep $game_pid" || fail "non-blocking input: the game does not sleep while it waits"
cat "$typed" >&5
wait $game_pid
status=$?
exec 5>&-
[ $status -eq 0 ] || fail "non-blocking input: exit status $status"
cmp -s "$work/out" "$expected" || fail "non-blocking input: the game did not play to the end"

# 2. Output to a slow reader through a non-blocking pipe loses nothing.
i=0
: > "$work/help.in"
while [ $i -lt 5000 ]; do echo help; i=$((i + 1)); done >> "$work/help.in"
# The reader starts once the game sleeps on the full pipe.
mkfifo "$work/slow"
(await '[ -e "$work/go" ]' && exec cat) < "$work/slow" > "$work/out" &
reader_pid=$!
nonblocking out "$game" < "$work/help.in" > "$work/slow" 2> "$work/err" &
game_pid=$!
await "asleep $game_pid" || fail "non-blocking output: the game does not sleep on a full pipe"
: > "$work/go"
wait $game_pid
wait $reader_pid
replies=$(grep -c "Block, Talk, Look" "$work/out")
[ "$replies" -eq 5000 ] || fail "non-blocking output: $replies of 5000 Help replies arrived"
[ -s "$work/err" ] && fail "non-blocking output: $(cat "$work/err")"

# 2b. Off a terminal the pause still takes its one character, waiting for it
# on a pipe that stays open.
mkfifo "$work/typing"
exec 4<> "$work/typing"
"$game" < "$work/typing" > "$work/out" 2> "$work/err" &
game_pid=$!
grep -v '^$' "$typed" >&4  # every line but the key for the pause
await 'grep -q "Press any key" "$work/out"' || fail "the pause on a pipe: no prompt"
await "asleep $game_pid" || fail "the pause did not wait for its character"
printf x >&4
wait $game_pid
status=$?
exec 4>&-
[ $status -eq 0 ] || fail "the pause on a pipe: exit status $status"
cmp -s "$work/out" "$expected" || fail "the pause on a pipe: the output differs"

# 3. Output that cannot be written: one line on standard error, status 1, and
# nothing more is read (standard input stays open and silent here: a read
# would wait until the timeout).
mkfifo "$work/silent"
exec 3<> "$work/silent"
timeout 10 "$game" < "$work/silent" > /dev/full 2> "$work/err"
status=$?
exec 3>&-
[ $status -eq 1 ] || fail "full disk: exit status $status"
[ "$(cat "$work/err")" = "cellbound: write error: No space left on device" ] ||
    fail "full disk: standard error says [$(cat "$work/err")]"

"$game" < "$typed" >&- 2> "$work/err"
status=$?
[ $status -eq 1 ] || fail "closed output: exit status $status"
[ "$(cat "$work/err")" = "cellbound: write error: Bad file descriptor" ] ||
    fail "closed output: standard error says [$(cat "$work/err")]"

# 4. A reader that goes away ends the game by SIGPIPE, as it does any filter.
status=$( { "$game" < "$work/help.in" 2> "$work/err"; echo $? > "$work/status"; } | head -c 1 > /dev/null
          cat "$work/status")
[ "$status" -eq 141 ] || fail "closed pipe: exit status $status, not SIGPIPE's 141"

if [ $failures -gt 0 ]; then
    echo "$failures stream check(s) failed"
    exit 1
fi
echo "stream checks passed"
