#!/bin/sh
# A 200 MB line at the top of a turn: answered like any unknown command, at a
# cost of no more than 2 MiB of extra peak memory over a short session.
# usage: overlong_line.sh GAME PEAK_MEMORY
set -eu
game=$1
peak_memory=$2
expected_tail='That is not a valid option.

You see the bed you woke up in. There is a open door to the east, and a door to the south.

There is nothing worth picking up.
Press any key to continue . . . '

out=$(mktemp)
trap 'rm -f "$out" "$out.kib"' EXIT

measure() {  # prints the peak resident size in KiB of the game reading stdin
    "$peak_memory" "$out.kib" "$game" > "$out"
    kib=$(cat "$out.kib")
    case $kib in
        '' | 0 | *[!0-9]*) echo "no peak memory measured: [$kib]" >&2; exit 1 ;;
    esac
    echo "$kib"
}

short=$(printf 'look\n' | measure)
long=$({ head -c 200000000 /dev/zero | tr '\0' x; printf '\nlook\n'; } | measure)

if [ "$(tail -c $((${#expected_tail} + 1)) "$out")" != "$expected_tail" ]; then
    echo "unexpected output after the long line:"; tail -c 400 "$out"; exit 1
fi
echo "peak memory: short session ${short} KiB, with the 200 MB line ${long} KiB"
[ $((long - short)) -le 2048 ] || { echo "the long line cost more than 2 MiB"; exit 1; }
