#!/usr/bin/env bash
# Configures (once) and builds the viewer and its tests in build/ with the cross compiler.
# Usage: build.sh [cmake --build options, e.g. --target pelgrav]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[ -f build/build.ninja ] || cmake --preset linux-cross >/dev/null
cmake --build build "$@"
