#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, integration and end-to-end.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/build.sh
# Every test makes its own virtual display; one Wine program at a time keeps them apart.
unset DISPLAY
ctest --test-dir build --output-on-failure "$@"
