#!/usr/bin/env bash
# Runs the test command on a minimal Debian system of another release, as a new user there
# would: a chroot made with debootstrap, a clean copy of the committed tree, scripts/test.sh.
# Usage (as root): scripts/test-on-debian.sh <release> [command [arguments]]
#   release: bookworm (Debian 12, Wine 8) or trixie (Debian 13, Wine 10)
#   command: a script of the tree to run there instead, e.g. scripts/bench.sh; by default
#   scripts/test.sh, whose arguments go to ctest
# The system is made once and kept in build/debian-<release>/; the tree is copied anew each run.
# The host's /proc, /sys, /dev and /dev/pts are bound into it for the run and unbound on every
# way out, so that no later `rm` of the folder can reach the host's own files through them.
set -euo pipefail
# Canonical, symlinks resolved: the kernel names a process's root and a mount point so.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)

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

# One run per release at a time: a second would unbind the first one's mounts and kill its
# processes. The lock is held on a descriptor that nothing run inside inherits.
mkdir -p "$repo/build"
exec 9>"$root.lock"
if ! flock -n 9; then
    echo "Another run on Debian $release holds $root.lock; waiting for it to end"
    flock 9
fi

# Mount points under the chroot (or its half-made copy), deepest first.
mounts_inside() {
    findmnt -rn -o TARGET | while read -r target; do
        target=$(printf '%b' "$target")   # findmnt writes a space as \x20
        case $target in "$root"/* | "$root.partial"/*) echo "$target" ;; esac
    done | sort -r
}

# Holding the lock, a mount left under the chroot is an earlier run's that was killed outright.
stale=$(mounts_inside)
if [ -n "$stale" ]; then
    echo "Still mounted from an earlier run that was killed:" >&2
    echo "$stale" | sed 's/^/  /' >&2
    echo "Unmount them first (deepest first):  findmnt -rn -o TARGET | grep '^$root' | sort -r | xargs -r -n1 umount -l" >&2
    exit 2
fi

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
    rm -rf --one-file-system "$root.partial"
    debootstrap --variant=minbase "$release" "$root.partial" "${MIRROR:-$(mirror)}" >"$root.log" 2>&1 \
        || { echo "debootstrap failed; see $root.log" >&2; exit 1; }
    mv "$root.partial" "$root"
fi

# A folder of the chroot's own: a link made inside (to /etc, say) would lead out of it.
own_folder() {
    if [ "$(realpath -m "$root/$1")" != "$root/$1" ] || [ ! -d "$root/$1" ]; then
        echo "$root/$1 is not a folder of the chroot's own (a link out of it?): not touching it" >&2
        exit 2
    fi
}
own_folder etc
own_folder root
cp --remove-destination /etc/resolv.conf "$root/etc/resolv.conf"   # a link there is replaced, not followed

mounted=()
# Whether a process runs inside the chroot. One whose first thread has ended shows no root of its
# own while its other threads run on (a Wine program whose server has gone): ask its threads too.
runs_inside() {
    local task
    for task in "$1" "$1"/task/[0-9]*; do
        [ "$(readlink "$task/root" 2>/dev/null)" = "$root" ] && return 0
    done
    return 1
}
kill_inside() {
    local round process found
    # Whatever the run left inside (Wine's server, a virtual display) keeps /dev busy. A process
    # may end, or start another, between the look and the kill: look again until none is left.
    for round in $(seq 20); do
        found=
        for process in /proc/[0-9]*; do
            runs_inside "$process" || continue
            found=yes
            kill -9 "${process#/proc/}" 2>/dev/null
        done
        [ -n "$found" ] || return 0
        sleep 0.1
    done
    echo "cleanup: processes are still running inside $root" >&2
    return 1
}
unmount_all() {
    local status=0 i point
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" \
            || { echo "cleanup: could not unmount ${mounted[i]}" >&2; status=1; }
    done
    # Anything else mounted in there during the run, by the run itself.
    while read -r point; do
        umount -l "$point" || { echo "cleanup: could not unmount $point" >&2; status=1; }
    done < <(mounts_inside)
    return $status
}
# Runs to the end whatever fails on the way: no step may keep the mounts from going, and no
# signal (a closed terminal's HUP included) cuts it short.
cleanup() {
    local status=$?
    set +e
    trap '' INT TERM HUP QUIT
    kill_inside || status=1
    unmount_all || status=1
    exit $status
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 131' QUIT
trap 'exit 143' TERM
# Each bind a slave of the host's mount: where the host's mounts are shared, a mount or unmount
# under the chroot would otherwise propagate back to the host's own /dev or /proc.
for point in proc sys dev dev/pts; do
    mount --bind "/$point" "$root/$point"
    mounted+=("$root/$point")
    mount --make-slave "$root/$point"
done

rm -rf --one-file-system "$root/root/repo"
mkdir "$root/root/repo"
git -C "$repo" archive HEAD | tar -x -C "$root/root/repo"

version() {
    . "$root/etc/os-release"
    echo "Debian $VERSION_ID ($VERSION_CODENAME), $(inside 'wine --version 2>/dev/null || echo "no Wine yet"')"
}
echo "Running $1 of the committed tree on $(version)"
status=0
# In the background, so that a signal to this script reaches its traps at once.
inside 'cd /root/repo && "$@"' run "$@" 9>&- &
wait $! || status=$?
echo "Ran $1 on $(version): exit code $status"
exit $status
