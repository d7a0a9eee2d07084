#!/usr/bin/env bash
# Installs what is missing, builds the viewer and packs the Windows release:
# build/package/pelgrav-<version>-win64.zip with pelgrav.exe, the sample scene beside it, the
# README, the licence and a note on the one DLL that Windows itself lacks. The same sources give
# the same archive, byte for byte (see scripts/pack_release.py).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/build.sh --target pelgrav >/dev/null
python3 scripts/pack_release.py build build/package
