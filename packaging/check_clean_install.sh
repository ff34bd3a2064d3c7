#!/usr/bin/env bash
# Installs the package on a clean Debian system and runs it there: a minimal
# Debian 12 made by debootstrap, `apt-get install ./vexilo_*.deb` inside it,
# then the end-to-end session of the tests (intro, first frame, a held key, S,
# Escape, no display) run against the installed vexilo in the chroot, which
# shares /tmp (the tests' working directories, the X server's socket and
# authority) with this machine. Needs root, network access to a Debian
# mirror, debootstrap, xvfb-run and a build with tests.
# Usage: check_clean_install.sh BUILD_DIR   (after `cpack` in BUILD_DIR)
set -eu
build=$(cd "$1" && pwd)
deb=$(ls "$build"/vexilo_*_*.deb | head -n 1)
root=$(mktemp -d)
cleanup() {
    umount "$root/tmp" "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

mirror=$(grep -hsoE '^URIs: *[^ ]+' /etc/apt/sources.list.d/*.sources | head -n 1 | awk '{ print $2 }')
debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" >/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$deb" "$root/root/"
chroot "$root" /bin/bash -c "apt-get update -q >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/$(basename "$deb") >/dev/null"
mount --bind /tmp "$root/tmp"

# The tests start the viewer as `exec $VEXILO_UNDER <built vexilo>` in their
# working directory: run the installed one in the chroot, in that directory.
export VEXILO_UNDER="chroot $root /bin/sh -c 'cd \"\$0\" && exec /usr/bin/vexilo' \"\$PWD\""
xvfb-run --auto-servernum --server-args='-screen 0 320x200x24 -nolisten tcp -noreset' \
    "$build/tests/unit_tests" --gtest_filter=e2e.ARealSession
echo "PASS: installed on a clean Debian 12 and ran"
