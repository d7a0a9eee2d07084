#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's private prefix, code page 1250,
# no debug chatter, and a virtual display of its own when none is set.
# The program runs under crash_guard.exe (CRASH_GUARD_EXE, by default the one in build/): a crash
# ends it at once, with a line on standard error and the fault's code as the exit code.
# Usage: wine-run.sh program.exe [args...]   (WINEPREFIX may be set by the caller)
set -u
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$repo/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's own debugger is never started: its dialog would wait for a click that never comes.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winedbg.exe=}
guard=${CRASH_GUARD_EXE:-$repo/build/crash_guard.exe}
if [ ! -f "$guard" ]; then
    echo "$0: $guard is missing: build it with scripts/build.sh --target crash_guard" >&2
    exit 2
fi

# The prefix is made once and reused; the lock keeps parallel first runs from racing.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
    fi
) 9>"$WINEPREFIX.lock"

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"
fi

# Wine's background services inherit the output of the process that starts them; start them
# here with their output sent nowhere, so that a caller reading our pipes is not kept waiting.
hungarian_wine() { env LANG=hu_HU.UTF-8 LC_ALL=hu_HU.UTF-8 wine "$@"; }   # ANSI code page 1250
hungarian_wine cmd /c exit </dev/null >/dev/null 2>&1

# The guard starts the program by its Windows name; Wine's Z: drive is the Linux root.
program=$1
shift
if [ -f "$program" ]; then
    program=$(realpath "$program")
    program="Z:${program//\//\\}"
fi
hungarian_wine "$guard" "$program" "$@"
status=$?

if [ -n "$xvfb_pid" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null   # gone before the next program starts
    kill "$xvfb_pid" 2>/dev/null
fi
exit $status
