#!/usr/bin/env bash
# contained.sh keeps its promise when it is killed, as CTest kills a test at
# its time-out: the test it ran, the terminal server that test started and
# the programs in it are ended, and its scratch folder is removed.
# usage: contained_test.sh CONTAINED_SH
set -euo pipefail
contained=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
server=cellbound-contained-$$

# The test starts a terminal server, says where its scratch folder is, and
# hangs.
TMPDIR=$work "$contained" bash -c "tmux -L $server new -d 'sleep 600'
    echo \"\$TMPDIR\" > $work/scratch; sleep 600" &
runner=$!
for _ in $(seq 100); do
    [[ -s $work/scratch ]] && break
    sleep 0.1
done
scratch=$(cat "$work/scratch")
[[ -d $scratch ]] || { echo "the test had no scratch folder"; exit 1; }
TMUX_TMPDIR=$scratch tmux -L "$server" has-session ||
    { echo "the terminal server did not start"; exit 1; }

kill -KILL "$runner"
{ wait "$runner"; } 2> /dev/null || true

for _ in $(seq 100); do
    [[ -e $scratch ]] || break
    sleep 0.1
done
if [[ -e $scratch ]]; then
    echo "the scratch folder $scratch is still there"
    exit 1
fi
if pgrep -f "$server" > /dev/null; then
    echo "these outlived their test:"
    pgrep -af "$server"
    pkill -KILL -f "$server"
    exit 1
fi
echo "the killed test left nothing behind"
