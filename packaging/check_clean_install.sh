#!/usr/bin/env bash
# Installs the package on a clean Debian system and runs it there: a minimal
# system of this machine's own release (the one the package was built on and
# for) made by debootstrap from the Debian mirror this machine's apt uses,
# `apt-get install ./vexilo_*.deb` inside it, then the end-to-end session of
# the tests (intro, first frame, a held key, S, Escape, no display) run
# against the installed vexilo in the chroot, which shares /tmp (the tests'
# working directories, the X server's socket and authority) with this
# machine. Needs root, network access to that mirror, debootstrap, xvfb-run
# and a build with tests.
# Usage: check_clean_install.sh BUILD_DIR   (after `cpack` in BUILD_DIR)
set -eu
build=$(cd "$1" && pwd)
deb=$(ls "$build"/vexilo_*_*.deb | head -n 1)
root=$(mktemp -d)
cleanup() {
    umount "$root/tmp" "$root$build/tests" "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

. /etc/os-release
release=$VERSION_CODENAME
# The first Debian archive among apt's sources, in either of their formats.
mirror=$({ grep -hsE '^URIs:' /etc/apt/sources.list.d/*.sources; grep -hsE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list; } |
    grep -oE 'https?://[^ ]+' | grep -v -- '-security' | head -n 1)
[ -n "$mirror" ] || { echo "no Debian mirror in this machine's apt sources" >&2; exit 1; }
debootstrap --variant=minbase "$release" "$root" "$mirror" >/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$deb" "$root/root/"
chroot "$root" /bin/bash -c "apt-get update -q >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/$(basename "$deb") >/dev/null"
mount --bind /tmp "$root/tmp"
# The session preloads a library of the tests' into the viewer, by its path.
mkdir -p "$root$build/tests" && mount --bind "$build/tests" "$root$build/tests"

# The tests start the viewer as `exec $VEXILO_UNDER <built vexilo>` in their
# working directory: run the installed one in the chroot, in that directory.
export VEXILO_UNDER="chroot $root /bin/sh -c 'cd \"\$0\" && exec /usr/bin/vexilo' \"\$PWD\""
# The session kills its X server last, which xvfb-run then fails to: the
# test's own verdict counts.
xvfb-run --auto-servernum --server-args='-screen 0 320x200x24 -nolisten tcp -noreset' \
    "$build/tests/unit_tests" --gtest_filter=e2e.ARealSession | tee "$root/session.log" || true
grep -q '^\[  PASSED  \] 1 test\.' "$root/session.log"
echo "PASS: installed on a clean Debian $VERSION_ID ($release) and ran"
