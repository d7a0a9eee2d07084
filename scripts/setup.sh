#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the viewer and its tests need and this machine lacks.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/d3d9-choice.sh"

packages=(
    cmake ninja-build python3
    g++-mingw-w64-x86-64-posix googletest   # cross compiler, GoogleTest sources
    libz-mingw-w64-dev                         # zlib for the cross compiler
    wine wine64                                # runs the Windows programs
    xvfb xdotool imagemagick x11-utils         # virtual display, input, screenshots
    tesseract-ocr tesseract-ocr-hun            # reads text back from screenshots
    clang zlib1g-dev                           # the native fuzzing build of formats/
    locales                                    # hu_HU.UTF-8, below
)
# The second Direct3D 9 (PELGRAV_D3D9=dxvk), where Debian packages it; Mesa's software Vulkan
# driver draws for it on a machine without a GPU.
dxvk_packaged && packages+=(dxvk-wine64 mesa-vulkan-drivers)

sudo=
[ "$(id -u)" -ne 0 ] && sudo=sudo

install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
}
install_missing "${packages[@]}"
# libFuzzer and the sanitizers' runtimes come in a package named for clang's major version
# (14 on Debian 12, 19 on Debian 13), which only the installed clang tells.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p')
install_missing "libclang-rt-$clang_major-dev"

# Wine maps file names with Hungarian letters to Linux names through this locale.
if ! locale -a 2>/dev/null | grep -qix 'hu_HU.utf8'; then
    echo "Generating the hu_HU.UTF-8 locale"
    grep -qx 'hu_HU.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null \
        || echo 'hu_HU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
fi
