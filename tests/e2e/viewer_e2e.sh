#!/usr/bin/env bash
# End-to-end scenarios of the real viewer in a virtual X server, driven by
# real key events. Usage: viewer_e2e.sh VEXILO FRAME_PROBE SCENARIO
set -u
VEXILO=$1
PROBE=$2
SCENARIO=$3
. "$(dirname "$0")/e2e_lib.sh"

# The intro, then any key shows the start view, then Escape quits cleanly.
intro_then_frame_then_escape() {
    start_xserver
    start_viewer
    wait_until "the intro screen" screen_shows_intro
    xdotool key space
    wait_until "the first frame" screen_shows_frame "${START_FRAME[@]}"
    # Held, as a person holds a key: the loop reads held keys, not presses.
    xdotool keydown Escape
    expect_exit 0
    xdotool keyup Escape
    [ ! -s "$WORK/stderr" ] || fail "unexpected output: $(cat "$WORK/stderr")"
}

# Escape still held when it ends the intro: the viewer quits without ever
# showing a frame.
escape_at_intro() {
    start_xserver
    start_viewer
    wait_until "the intro screen" screen_shows_intro
    xdotool keydown Escape
    while viewer_running; do
        if screen_shows_frame "${START_FRAME[@]}"; then
            xdotool keyup Escape
            fail "a frame was shown after Escape at the intro"
        fi
    done
    xdotool keyup Escape
    expect_exit 0
    [ ! -s "$WORK/stderr" ] || fail "unexpected output: $(cat "$WORK/stderr")"
}

# Without a display the viewer says why in one line and exits with status 1.
no_display() {
    unset DISPLAY
    start_viewer
    expect_exit 1
    [ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "expected one line, got: $(cat "$WORK/stderr")"
    grep -q '^vexilo: ' "$WORK/stderr" || fail "message does not name the program: $(cat "$WORK/stderr")"
}

# When the graphics mode cannot be set (here: the library is told to use a
# driver the X server lacks), the viewer names the failure and exits 1.
no_graphics_mode() {
    start_xserver
    mkdir -p "$WORK/home"
    printf '[graphics]\ngfx_card = DGA2\n' >"$WORK/home/.allegrorc"
    HOME="$WORK/home" start_viewer
    expect_exit 1
    [ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "expected one line, got: $(cat "$WORK/stderr")"
    grep -q '^vexilo: cannot set the 320x200 256-colour mode: ' "$WORK/stderr" ||
        fail "message does not say what failed: $(cat "$WORK/stderr")"
}

"$SCENARIO"
echo "PASS: $SCENARIO"
