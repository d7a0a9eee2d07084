#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the viewer and its tests need and this machine lacks.
set -euo pipefail

packages=(
    cmake ninja-build python3
    g++-mingw-w64-x86-64-posix googletest   # cross compiler, GoogleTest sources
    wine wine64                                # runs the Windows programs
    xvfb xdotool imagemagick x11-utils         # virtual display, input, screenshots
    tesseract-ocr tesseract-ocr-hun            # reads text back from screenshots
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
