#!/usr/bin/env bash
# Installs the package on a clean Debian system and runs it there: a minimal
# Debian 12 made by debootstrap, `apt-get install ./vexilo_*.deb` inside it,
# then the installed vexilo started against a virtual X server outside, its
# intro and first frame compared with what the engine draws, S and Escape.
# Needs root, network access to deb.debian.org, debootstrap, Xvfb, xdotool,
# xwd, ImageMagick and a build with tests (for frame_probe).
# Usage: check_clean_install.sh BUILD_DIR   (after `cpack` in BUILD_DIR)
set -eu
build=$(cd "$1" && pwd)
deb=$(ls "$build"/vexilo_*_*.deb | head -n 1)
root=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$deb" "$root/root/"
chroot "$root" /bin/bash -c "apt-get update -q >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/$(basename "$deb") >/dev/null"

# Without a display: the one-line message and status 1.
status=0
chroot "$root" /usr/bin/vexilo 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "without a display the installed vexilo ended with $status"

# With one (the X server's abstract socket is reachable from the chroot).
Xvfb :73 -screen 0 320x200x24 -nolisten tcp -noreset 2>/dev/null &
xvfb=$!
export DISPLAY=:73
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.1; done
chroot "$root" /bin/bash -c 'cd /root && DISPLAY=:73 exec vexilo' &
viewer=$!
grab() { xwd -root -silent | convert xwd:- -strip -depth 8 "ppm:$1"; }
wait_for() {
    local deadline=$((SECONDS + 60))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out: $*"
        sleep 0.1
    done
}
shows_intro() { grab "$root/grab.ppm" && "$build/tests/frame_probe" intro "$root/grab.ppm" 2>/dev/null; }
shows_first_frame() { grab "$root/grab.ppm" && echo "10 1 -2 2 -2 2" | "$build/tests/frame_probe" frame "$root/grab.ppm"; }
wait_for shows_intro
xdotool key space
wait_for shows_first_frame
xdotool keydown s
wait_for test -s "$root/root/vexilo.pcx"
xdotool keyup s
xdotool keydown Escape
wait "$viewer" || fail "the installed vexilo did not end with status 0"
xdotool keyup Escape
convert "pcx:$root/root/vexilo.pcx" -strip -depth 8 "ppm:$root/shot.ppm"
echo "10 1 -2 2 -2 2" | "$build/tests/frame_probe" frame "$root/shot.ppm" || fail "the saved picture is not the first frame"
echo "PASS: installed on a clean Debian 12 and ran"
