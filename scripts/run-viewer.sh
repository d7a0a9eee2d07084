#!/usr/bin/env bash
# Installs what is missing, builds the viewer (not the tests: scripts/test.sh builds those) and
# runs it on the bundled sample scene.
# Without a display it runs on a virtual one, saves a screenshot, prints its path and ends.
# PELGRAV_D3D9=dxvk draws with DXVK instead of Wine's own Direct3D 9.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/d3d9-choice.sh
d3d9_check_choice
scripts/setup.sh
scripts/build.sh --target pelgrav --target crash_guard >/dev/null
if [ -n "${DISPLAY:-}" ]; then
    # A Wine prefix apart from the tests', whose clean-up ends every program in theirs.
    export WINEPREFIX=${WINEPREFIX:-$(d3d9_prefix "$PWD/build/wineprefix-desktop")}
    exec scripts/wine-run.sh build/pelgrav.exe   # the sample scene lies in this folder
fi
exec python3 scripts/headless_run.py
