#!/usr/bin/env bash
# Runs vexilo on GNOME, the desktop Debian installs by default: GNOME Shell
# headless on Wayland with a 1920 x 1080 virtual monitor, vexilo an X client
# of its Xwayland, pressed with XTest (xdotool). GNOME's own screenshots,
# which show what the user sees, are compared pixel for pixel with the frame
# vexilo saved with S (which the tests hold to the engine's), every pixel an
# N x N block: full screen centred on black (--fullscreen, --fullscreen
# --scale 2, --scale 3) and the desktop entry's window, whose vexilo.png
# gdk-pixbuf, GNOME's image loader, must open. With no option the
# library's 320 x 200 mode is stretched over the screen, so that run must
# show the frame stretched over the whole screen. Then on two monitors, one
# above the other (placed through GNOME's display configuration): full
# screen centred on the top one, sized for it, and the window again. Every
# run ends on Escape with status 0.
# Needs root and the packages below (installed if missing, with network
# access). A release check, not part of the test command.
# Usage: check_gnome.sh [VEXILO]   (default: build/vexilo)
set -eu
vexilo=$(realpath "${1:-build/vexilo}")
here=$(dirname "$(realpath "$0")")
screen=1920x1080

if [ "${GNOME_CHECK_PHASE:-}" = "" ]; then
    packages="gnome-shell mutter gjs xwayland dbus imagemagick xdotool x11-utils"
    # shellcheck disable=SC2086
    dpkg -s $packages >/dev/null 2>&1 ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $packages >/dev/null
    # A mount namespace of its own, where /run/systemd, if there, is hidden:
    # the shell would wait there for a logind that does not answer.
    exec env GNOME_CHECK_PHASE=mounts unshare -m "$0" "$vexilo"
fi

if [ "$GNOME_CHECK_PHASE" = mounts ]; then
    [ -d /run/systemd ] && mount -t tmpfs tmpfs /run/systemd
    work=$(mktemp -d)
    # The shell needs a system bus; an empty private one will do.
    cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_destination="*"/> <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
    DBUS_SYSTEM_BUS_ADDRESS=$(dbus-daemon --config-file="$work/bus.conf" --fork --print-pid=3 --print-address 3>"$work/bus.pid")
    export DBUS_SYSTEM_BUS_ADDRESS
    bus=$(cat "$work/bus.pid")
    trap 'status=$?; kill $bus; exit $status' EXIT
    export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config GSETTINGS_BACKEND=keyfile
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # No banner (a root session gets one) over the pictures.
    gsettings set org.gnome.desktop.notifications show-banners false
    # What failed stays in $work to be looked at.
    GNOME_CHECK_PHASE=session WORK=$work dbus-run-session -- "$0" "$vexilo" 2>"$work/session.log"
    rm -rf "$work"
    exit
fi

# In the session: the shell, then each run of vexilo.
# Messages go to stdout: stderr is the session's log, with the shell's own.
fail() { echo "FAIL: $*"; exit 1; }
# Polls `$@` every 0.2 s until it succeeds; fails after a minute.
until_true() {
    for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
    return 1
}
shell_property() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.freedesktop.DBus.Properties."$1" org.gnome.Shell "${@:2}"
}
# GNOME opens on the Activities overview, once it has started.
overview_closed() {
    shell_property Set OverviewActive '<false>' && [ "$(shell_property Get OverviewActive)" = "(<false>,)" ]
}
# Starts the shell with a virtual monitor of each size given, and talks to
# its Xwayland.
start_shell() {
    local monitors=()
    for size; do monitors+=(--virtual-monitor "$size"); done
    gnome-shell --wayland --headless "${monitors[@]}" >"$WORK/shell.log" 2>&1 &
    shell=$!
    until_true overview_closed || fail "GNOME Shell did not start (see $WORK/shell.log)"
    local xwayland
    xwayland=$(pgrep -a Xwayland | head -n 1)
    DISPLAY=$(echo "$xwayland" | grep -oE ' :[0-9]+' | tr -d ' ')
    XAUTHORITY=$(echo "$xwayland" | grep -oE -- '-auth [^ ]+' | cut -d ' ' -f 2)
    export DISPLAY XAUTHORITY
}
stop_shell() { kill $shell 2>/dev/null; wait $shell 2>/dev/null || true; }
trap 'status=$?; stop_shell; exit $status' EXIT
start_shell $screen

# GNOME's screenshot of the whole screen into $1, the overview closed first
# (the shell may open it again as its start-up ends).
screenshot() { overview_closed && rm -f "$1" && gjs "$here/gnome_screenshot.js" "$1" && test -s "$1"; }
# Pixels of $1 unlike those of $2.
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

# Whether process $1 has ended (a zombie, not yet waited for, has).
ended() { ! ps -o stat= -p "$1" | grep -qv Z; }

# Runs vexilo with $1 in a fresh directory, leaves its intro with Space,
# saves the first frame with S (as vexilo.png where the options say so,
# which gdk-pixbuf must then open, as GNOME's image viewer would), into
# frame.png; then `$2 DIRECTORY` must succeed on a screenshot (taken again
# until it does, as the compositor catches up), and Escape must end vexilo
# with status 0.
check_run() {
    local options=$1 dir saved=vexilo.pcx
    case $options in *"--screenshot vexilo.png"*) saved=vexilo.png ;; esac
    dir=$(mktemp -d -p "$WORK")
    (cd "$dir" && exec "$vexilo" $options 2>stderr) &
    local viewer=$!
    # Keys before the window shows are lost, and Space past the intro does
    # nothing.
    until_true eval "xdotool key space s; test -s '$dir/$saved'" || fail "vexilo $options: no $saved"
    if [ $saved = vexilo.png ]; then
        gjs "$here/gnome_open_png.js" "$dir/vexilo.png" "$dir/frame.png" || fail "gdk-pixbuf cannot open vexilo.png"
    else
        convert "$dir/vexilo.pcx" "$dir/frame.png"
    fi
    until_true "$2" "$dir" || fail "vexilo $options: the screen is not right (see $dir)"
    # Held: without --rate, a key acts only while a pass sees it down.
    xdotool keydown Escape
    until_true ended $viewer || fail "vexilo $options: Escape did not end it"
    xdotool keyup Escape
    local status=0
    wait $viewer || status=$?
    [ $status -eq 0 ] || fail "vexilo $options: status $status: $(cat "$dir/stderr")"
    echo "ok: vexilo $options"
}

# The saved frame, N x N blocks, in the middle of the top monitor (the
# whole screen, but with two monitors), black all around.
centred() {
    screenshot "$1/screen.png" &&
        convert "$1/frame.png" -sample "$((100 * scale))%" -background black -gravity center \
            -extent $monitor -gravity north -extent $screen "$1/expected.png" &&
        test "$(differing "$1/expected.png" "$1/screen.png")" = 0
}
# The saved frame, N x N blocks, in vexilo's window, wherever GNOME put it.
in_a_window() {
    local id geometry
    id=$(xdotool search --onlyvisible --class vexilo | head -n 1) || return 1
    geometry=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width/ { w = $2 } /Height/ { h = $2 } END { print w "x" h "+" x "+" y }')
    screenshot "$1/screen.png" &&
        convert "$1/screen.png" -crop "$geometry" +repage "$1/window.png" &&
        convert "$1/frame.png" -sample "$((100 * scale))%" "$1/expected.png" &&
        test "$(differing "$1/expected.png" "$1/window.png")" = 0
}
# The saved frame stretched over the whole screen, as GNOME shows the
# library's 320 x 200 mode: brought back to 320 x 200, the screen is the
# frame but for GNOME's smoothing, a correlation over 0.9 (measured: 0.98; a
# 320 x 200 window in a black screen, 0.05; a black screen, 0).
stretched() {
    screenshot "$1/screen.png" &&
        convert "$1/screen.png" -resize '320x200!' "$1/small.png" &&
        { compare -metric NCC "$1/frame.png" "$1/small.png" null: 2>&1 || true; } >"$1/correlation" &&
        awk '{ exit !($1 > 0.9) }' "$1/correlation"
}

monitor=$screen
scale=5 check_run "--fullscreen" centred
scale=2 check_run "--fullscreen --scale 2" centred
scale=3 check_run "--scale 3" centred
command=$(sed -n 's/^Exec=vexilo //p' "$here/vexilo.desktop")
scale=4 check_run "$command" in_a_window
check_run "" stretched

# Two monitors, one above the other: the picture sized for the top one,
# whose mode Xwayland's video mode reports, and centred on it.
stop_shell
start_shell $screen $screen
gjs "$here/gnome_stack_monitors.js" || fail "the monitors could not be stacked"
screen=1920x2160
until_true eval "xdpyinfo | grep -q 'dimensions: *$screen '" || fail "the monitors are not one above the other"
scale=5 check_run "--fullscreen" centred
scale=3 check_run "--scale 3" centred
scale=4 check_run "$command" in_a_window
echo "PASS: vexilo on GNOME Shell $(gnome-shell --version | grep -oE '[0-9.]+$'), through Xwayland"
