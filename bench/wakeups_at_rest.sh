#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Olvessa.project developers
# Wake-ups of the program at rest: the real program on a new database, its window shown and no
# timer running, on a private Xvfb display (offscreen when Xvfb is missing). strace follows every
# thread for a while (60 s unless WAKEUP_SECONDS says otherwise) and counts the waits that slept
# and were woken. Prints "wakeups_at_rest: N per s".
set -euo pipefail

program=$(readlink -f "${1:-build/bin/olvessa}")
seconds=${WAKEUP_SECONDS:-60}
for tool in strace awk; do
    command -v "$tool" >/dev/null || { echo "wakeups_at_rest: $tool is missing" >&2; exit 1; }
done

folder=$(mktemp -d /tmp/olvessa-wakeups-XXXXXX)
xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$folder"
}
trap cleanup EXIT

export HOME="$folder/home" XDG_DATA_HOME="$folder/data" XDG_CONFIG_HOME="$folder/config"
export XDG_RUNTIME_DIR="$folder/runtime" OLVESSA_SETTINGS="$folder/settings.conf"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No session bus: the figure is the program's own, not a desktop's.
unset DBUS_SESSION_BUS_ADDRESS
: >"$folder/rest.db"
printf '[General]\nUserName=Rest\nDefault%%20Database=%s\n' "$folder/rest.db" >"$OLVESSA_SETTINGS"

if command -v Xvfb >/dev/null; then
    # A display number of this process's own.
    display=$((200 + $$ % 500))
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
else
    export QT_QPA_PLATFORM=offscreen
fi

"$program" >"$folder/program.log" 2>&1 &
program_pid=$!
# Let the start-up settle: the window shown, the first flush and backups behind it, and the
# one-off timers of the window's first half minute run out.
sleep 30
kill -0 "$program_pid" 2>/dev/null || { echo "wakeups_at_rest: the program ended" >&2; exit 1; }

timeout -s INT "$seconds" strace -f -qq -ttt -o "$folder/trace" -p "$program_pid" \
    -e trace=poll,ppoll,select,pselect6,epoll_wait,epoll_pwait,futex,nanosleep,clock_nanosleep \
    >/dev/null 2>&1 || true

# A wake-up is a wait that slept and was woken: a poll or epoll wait with a timeout other than 0
# that did not return at once for a connection that can be written to, a select with a timeout,
# a FUTEX_WAIT that slept (not EAGAIN), a sleep. A call split by another thread's is joined
# again first.
waits=$(awk '
    function judge(call) {
        if (call ~ /^(poll|ppoll|epoll_wait|epoll_pwait)\(/) {
            if (call ~ /^poll\(/ && call ~ /\], [0-9]+, 0\)/) return 0
            if (call ~ /^ppoll\(/ && call ~ /\{tv_sec=0, tv_nsec=0\}/) return 0
            if (call ~ /^epoll_(p)?wait\([0-9]+, [^)]*, [0-9]+, 0[,)]/) return 0
            if (call ~ /revents=POLLOUT\}/ && call !~ /POLLIN\}/ ) return 0
            return 1
        }
        if (call ~ /^(select|pselect6)\(/) return call !~ /tv_sec=0, tv_u?nsec=0\}/
        if (call ~ /^futex\(/) return call ~ /FUTEX_WAIT/ && call !~ /EAGAIN/
        if (call ~ /nanosleep\(/) return 1
        return 0
    }
    {
        pid = $1
        at = $2
        line = $0
        sub(/^[0-9]+ +[0-9.]+ +/, "", line)
        if (line ~ /<unfinished \.\.\.>$/) {
            sub(/ *<unfinished \.\.\.>$/, "", line)
            started[pid] = line
            next
        }
        if (line ~ /^<\.\.\. [a-z_0-9]+ resumed>/) {
            sub(/^<\.\.\. [a-z_0-9]+ resumed>/, "", line)
            line = started[pid] line
            delete started[pid]
        }
        if (judge(line)) {
            if (count == 0)
                first = at
            last = at
            count++
        }
    }
    END { printf "%d %.6f\n", count, last - first }
' "$folder/trace")
# The rate is the wake-ups between the first and the last one over the time between them: a
# clock that ticks once a second gives 1.00 whatever the phase the trace started in (a plain
# count over the whole window catches a tick at both ends, 61 in 60 s).
read -r count span <<<"$waits"
awk -v c="$count" -v t="$span" -v s="$seconds" 'BEGIN {
    rate = (c > 1 && t > 0) ? (c - 1) / t : c / s
    printf "wakeups_at_rest: %.2f per s (%d in %d s)\n", rate, c, s
}'
