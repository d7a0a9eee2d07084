#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, integration and end-to-end.
# The tests that draw run on each Direct3D 9, Wine's own and DXVK (where Debian packages it);
# with PELGRAV_D3D9 set, on that one alone.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/d3d9-choice.sh
d3d9_check_choice
scripts/setup.sh
scripts/build.sh
only=()
if [ -n "${PELGRAV_D3D9:-}" ]; then
    other=$([ "$d3d9_choice" = dxvk ] && echo wined3d || echo dxvk)
    only=(--label-exclude "^$other\$")
elif ! dxvk_installed; then
    dxvk_packaged && outcome=fail || outcome="are skipped"
    echo "The tests on DXVK $outcome: $(dxvk_missing_reason)"
fi
# Every test makes its own virtual display; one Wine program at a time keeps them apart.
unset DISPLAY
ctest --test-dir build --output-on-failure "${only[@]}" "$@"
