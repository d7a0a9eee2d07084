#!/usr/bin/env bash
# Runs a command whose Windows programs draw with the given Direct3D 9 (wined3d or dxvk). Where
# the system's Debian packages no DXVK, says why and exits with 77, which CTest counts as a
# skipped test; where it is packaged but not installed, the run fails and says why.
# Usage: on-d3d9.sh wined3d|dxvk command [arguments...]
set -euo pipefail
export PELGRAV_D3D9=$1
shift
source "$(dirname "${BASH_SOURCE[0]}")/d3d9-choice.sh"
if [ "$d3d9_choice" = dxvk ] && ! dxvk_installed && ! dxvk_packaged; then
    echo "skipped: PELGRAV_D3D9=dxvk: $(dxvk_missing_reason)"
    exit 77
fi
d3d9_check_choice installed
exec "$@"
