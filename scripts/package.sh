#!/usr/bin/env bash
# Installs what is missing, builds the viewer and packs the Windows release:
# build/package/pelgrav-<version>-win64.zip with pelgrav.exe, the sample scene beside it, the
# README, the licence and a note on the one DLL that Windows itself lacks.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/build.sh --target pelgrav >/dev/null
cpack --config build/CPackConfig.cmake -B build/package >/dev/null
ls build/package/pelgrav-*-win64.zip
