# Which Direct3D 9 the Windows programs draw with, from PELGRAV_D3D9: Wine's own ("wined3d", the
# default) or DXVK ("dxvk"), which Debian packages from Debian 13 on. Sourced by the scripts
# that run the programs; each of them ends at once, with the reason, on a choice it can't honour.

DXVK_D3D9_DLL=/usr/lib/dxvk/wine64/d3d9.dll.so   # a Windows DLL, despite its name
d3d9_choice=${PELGRAV_D3D9:-wined3d}

# True where the system's package archive offers DXVK, and on every Debian release that packages
# it even when apt's lists are empty (testing and unstable carry no VERSION_ID).
dxvk_packaged() {
    local ID= VERSION_ID=
    apt-cache show dxvk-wine64 >/dev/null 2>&1 && return 0
    . /etc/os-release 2>/dev/null
    [ "$ID" = debian ] && [ "${VERSION_ID:-99}" -ge 13 ]
}

dxvk_installed() { [ -f "$DXVK_D3D9_DLL" ]; }

# Why DXVK can't be had here, for the message of whoever asked for it.
dxvk_missing_reason() {
    if dxvk_packaged; then
        echo "DXVK is packaged for this system but not installed:" \
             "scripts/setup.sh installs it (dxvk-wine64, mesa-vulkan-drivers)"
    else
        echo "this system has no DXVK package: Debian packages it from Debian 13 on." \
             "Leave PELGRAV_D3D9 unset for Wine's own Direct3D 9, or run on Debian 13" \
             "(scripts/test-on-debian.sh trixie ...)"
    fi
}

# Ends the calling script when the choice is unknown, or is DXVK where Debian has no package of
# it; with `installed`, also where the package is not installed yet.
d3d9_check_choice() {
    case $d3d9_choice in
    wined3d) ;;
    dxvk)
        if ! dxvk_installed && { [ "${1:-}" = installed ] || ! dxvk_packaged; }; then
            echo "PELGRAV_D3D9=dxvk: $(dxvk_missing_reason)" >&2
            exit 2
        fi
        ;;
    *)
        echo "PELGRAV_D3D9=$d3d9_choice: choose wined3d (Wine's own Direct3D 9, the default) or dxvk" >&2
        exit 2
        ;;
    esac
}

# A prefix's name for this choice: DXVK is put only in prefixes of its own.
d3d9_prefix() {
    if [ "$d3d9_choice" = dxvk ]; then echo "$1-dxvk"; else echo "$1"; fi
}
