#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's private prefix, code page 1250,
# no debug chatter, and a virtual display of its own when none is set.
# The program runs under crash_guard.exe (CRASH_GUARD_EXE, by default the one in build/): a crash
# ends it at once, with a line on standard error and the fault's code as the exit code.
# With PELGRAV_D3D9=dxvk it draws with DXVK, in a prefix of its own, and a program that uses
# Direct3D 9 fails, however it ended, unless DXVK's log shows that DXVK drew.
# Usage: wine-run.sh program.exe [args...]   (WINEPREFIX may be set by the caller)
set -u
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/scripts/d3d9-choice.sh"
d3d9_check_choice installed
export WINEPREFIX=${WINEPREFIX:-$(d3d9_prefix "$repo/build/wineprefix")}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's own debugger is never started: its dialog would wait for a click that never comes.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winedbg.exe=}
# DXVK goes only into the project's prefixes named for it, never into a user's own, and such a
# prefix is never used for Wine's own Direct3D 9.
prefix_path=$(realpath -m "$WINEPREFIX")
log_dir=
dxvk_program=
xvfb_pid=
# A Direct3D 9 program that ran on DXVK must have drawn with it, which its log shows by naming
# DXVK's version; a wrong override falls back to Wine's own silently.
dxvk_drew() {
    [ -z "$dxvk_program" ] && return 0
    grep -qs '^info:  DXVK: ' "$log_dir"/*_d3d9.log && return 0
    echo "$0: PELGRAV_D3D9=dxvk, but DXVK's log shows no DXVK: it never drew" >&2
    return 1
}
# On every way out, a signal included: the DXVK proof, then what the run made goes. A signal
# waits for the program to end; from here on, none can cut the cleanup short.
finish() {
    local status=$?
    trap '' INT TERM HUP QUIT
    if [ -n "$log_dir" ]; then
        dxvk_drew || [ "$status" != 0 ] || status=3
        rm -rf "$log_dir"
    fi
    if [ -n "$xvfb_pid" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null   # gone before the next program starts
        kill "$xvfb_pid" 2>/dev/null
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 131' QUIT
trap 'exit 143' TERM
if [ "$d3d9_choice" = dxvk ]; then
    case $prefix_path in
    "$(realpath "$repo")"/*-dxvk) ;;
    *)
        echo "$0: DXVK is put only in this project's own prefixes, named *-dxvk:" \
             "$WINEPREFIX is not one (leave WINEPREFIX unset)" >&2
        exit 2
        ;;
    esac
    # DXVK's DLL first, so that a caller's own choice for d3d9 still stands, and is caught below.
    export WINEDLLOVERRIDES="d3d9=n;$WINEDLLOVERRIDES"
    export CRASH_GUARD_REFUSED_BUILTIN=d3d9.dll
    # DXVK writes <program>_d3d9.log there, naming its version, once a program makes a device;
    # it reads the path as a Windows program does, so the folder is named on the Z: drive.
    log_dir=$(mktemp -d)
    export DXVK_LOG_PATH="Z:${log_dir//\//\\}"
elif [[ $prefix_path == *-dxvk ]]; then
    echo "$0: $WINEPREFIX holds DXVK; Wine's own Direct3D 9 runs in another prefix" >&2
    exit 2
fi
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
    if [ "$d3d9_choice" = dxvk ]; then
        system32=$WINEPREFIX/drive_c/windows/system32
        cmp -s "$DXVK_D3D9_DLL" "$system32/d3d9.dll" || cp "$DXVK_D3D9_DLL" "$system32/d3d9.dll"
    fi
) 9>"$WINEPREFIX.lock"

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
    program_file=$(realpath "$program")
    program="Z:${program_file//\//\\}"
    if [ -n "$log_dir" ] && x86_64-w64-mingw32-objdump -p "$program_file" | grep -qi 'DLL Name: d3d9.dll'; then
        dxvk_program=$program_file
    fi
fi
hungarian_wine "$guard" "$program" "$@"
