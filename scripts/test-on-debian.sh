#!/usr/bin/env bash
# Runs the test command on a minimal Debian system of another release, as a new user there
# would: a chroot made with debootstrap, a clean copy of the committed tree, scripts/test.sh.
# Usage (as root): scripts/test-on-debian.sh <release> [command [arguments]]
#   release: bookworm (Debian 12, Wine 8) or trixie (Debian 13, Wine 10)
#   command: a script of the tree to run there instead, e.g. scripts/bench.sh; by default
#   scripts/test.sh, whose arguments go to ctest
# The system is made once and kept in build/debian-<release>/; the tree is copied anew each run.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

release=${1:?usage: $0 <release> [command [arguments]]   (release: bookworm or trixie)}
shift
[ $# -gt 0 ] || set -- scripts/test.sh
if [ "$(id -u)" -ne 0 ]; then
    echo "$0 needs root: debootstrap, chroot and bind mounts" >&2
    exit 2
fi

root=$repo/build/debian-$release
inside() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        bash -c "$@"
}

# The archive this machine's apt already uses.
mirror() {
    local uri
    uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
    if [ -z "$uri" ]; then
        echo "no Debian archive found in /etc/apt: set MIRROR" >&2
        exit 2
    fi
    echo "$uri"
}

if [ ! -x "$root/usr/bin/apt-get" ]; then
    command -v debootstrap >/dev/null || {
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
    }
    echo "Making a minimal Debian $release in $root"
    mkdir -p "$(dirname "$root")"
    rm -rf "$root.partial"
    debootstrap --variant=minbase "$release" "$root.partial" "${MIRROR:-$(mirror)}" >"$root.log" 2>&1 \
        || { echo "debootstrap failed; see $root.log" >&2; exit 1; }
    mv "$root.partial" "$root"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mounted=()
cleanup() {
    # Whatever the run left inside (Wine's server, a virtual display) would keep /dev busy.
    local process
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] && kill -9 "${process#/proc/}" 2>/dev/null
    done
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM
for point in proc sys dev dev/pts; do
    mountpoint -q "$root/$point" && umount -l "$root/$point"
    mount --bind "/$point" "$root/$point"
    mounted+=("$root/$point")
done

rm -rf "$root/root/repo"
mkdir -p "$root/root/repo"
git -C "$repo" archive HEAD | tar -x -C "$root/root/repo"

version() {
    . "$root/etc/os-release"
    echo "Debian $VERSION_ID ($VERSION_CODENAME), $(inside 'wine --version 2>/dev/null || echo "no Wine yet"')"
}
echo "Running $1 of the committed tree on $(version)"
status=0
# In the background, so that a signal to this script reaches its traps at once.
inside 'cd /root/repo && "$@"' run "$@" &
wait $! || status=$?
echo "Ran $1 on $(version): exit code $status"
exit $status
