#!/usr/bin/env bash
# Runs a test so that nothing it starts outlives it, however it ends: passed,
# failed, or killed at CTest's time-out. The test gets a scratch folder of
# its own as TMPDIR and TMUX_TMPDIR; when the test is over, every process
# still carrying that folder in its environment is killed (a terminal server
# and the shells in it among them), every terminal server with a socket
# there is ended, and the folder is removed.
#
# The cleaning is done by a warden outside this script's process tree (CTest
# kills that tree at a time-out, and a terminal server has left it anyway).
# The warden waits on a pipe that only this script holds open, so it wakes
# the moment this script ends, by any means.
#
# usage: contained.sh COMMAND [ARGUMENT...]
set -uo pipefail
scratch=$(mktemp -d "${TMPDIR:-/tmp}/cellbound-test.XXXXXX") || exit 1

# shellcheck disable=SC2016  # expanded by the warden's own shell
warden='
    cat > /dev/null
    for environment in /proc/[0-9]*/environ; do
        pid=${environment#/proc/}
        pid=${pid%/environ}
        if tr "\0" "\n" < "$environment" 2> /dev/null | grep -qxF "TMPDIR=$1"; then
            kill -KILL "$pid" 2> /dev/null
        fi
    done
    find "$1" -type s 2> /dev/null | while read -r socket; do
        tmux -S "$socket" kill-server 2> /dev/null
    done
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        rm -rf "$1" 2> /dev/null && exit 0
        sleep 0.2  # a process that is going may still write
    done'
exec {alive}> >(exec setsid -f bash -c "$warden" warden "$scratch" > /dev/null 2>&1)

export TMPDIR=$scratch TMUX_TMPDIR=$scratch
"$@" {alive}>&-
