# Shared pieces of the end-to-end tests: a private virtual X server, the
# viewer started inside it, screen grabs, and waiting on conditions.
# Sourced by the scenario scripts; expects VEXILO and PROBE to be set.

WAIT_SECONDS=${WAIT_SECONDS:-60}

WORK=$(mktemp -d)
XVFB_PID=
VIEWER_PID=

# KEEP_WORK=1 keeps the grabs and files of a run for a look afterwards.
cleanup() {
    [ -n "$VIEWER_PID" ] && kill -9 "$VIEWER_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [ -n "${KEEP_WORK:-}" ] && echo "kept $WORK" >&2 || rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$WORK/stderr" ] && echo "viewer's stderr: $(cat "$WORK/stderr")" >&2
    [ -s "$WORK/valgrind.log" ] && echo "valgrind: $(head -n 40 "$WORK/valgrind.log")" >&2
    [ -s "$WORK/xvfb.log" ] && echo "X server's log: $(tail -n 5 "$WORK/xvfb.log")" >&2
    [ -s "$WORK/grab.ppm" ] && echo "last grab: $(convert "$WORK/grab.ppm" -format '%wx%h, %k colours' info: 2>&1)" >&2
    exit 1
}

# Runs the command until it succeeds; fails the test after WAIT_SECONDS.
wait_until() {
    local what=$1
    shift
    local deadline=$((SECONDS + WAIT_SECONDS))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
        sleep 0.05
    done
}

# A 320 x 200 x 24 screen: a grab of the root window is exactly the frame.
start_xserver() {
    : >"$WORK/display"
    # -noreset: by default the server resets whenever its last client leaves,
    # and a client connecting during the reset is refused.
    Xvfb -displayfd 3 -screen 0 320x200x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    wait_until "the X server's display number" test -s "$WORK/display"
    export DISPLAY=":$(head -n 1 "$WORK/display")"
    # The number can come before the server takes connections.
    wait_until "the X server to answer" eval 'xdotool getdisplaygeometry >/dev/null 2>&1'
}

# Starts the viewer in its own working directory (where it saves screenshots),
# under the command in the array VIEWER_UNDER if one is set (valgrind, say).
VIEWER_UNDER=()
start_viewer() {
    mkdir -p "$WORK/cwd"
    (cd "$WORK/cwd" && exec "${VIEWER_UNDER[@]}" "$VEXILO" 2>"$WORK/stderr") &
    VIEWER_PID=$!
}

viewer_running() {
    kill -0 "$VIEWER_PID" 2>/dev/null
}

# Waits for the viewer to end and checks its exit status and silence.
expect_exit() {
    local want=$1
    wait_until "the viewer to exit" eval '! viewer_running'
    local status=0
    wait "$VIEWER_PID" || status=$?
    VIEWER_PID=
    [ "$status" -eq "$want" ] || fail "exit status $status, expected $want; stderr: $(cat "$WORK/stderr")"
}

# Grabs the whole screen into $1 as a binary PPM.
grab() {
    xwd -root -silent | convert xwd:- -strip -depth 8 "ppm:$1"
}

screen_shows_intro() {
    grab "$WORK/grab.ppm" && "$PROBE" intro "$WORK/grab.ppm" 2>/dev/null
}

# picture_shows_frame PICTURE LIMIT ZOOM LEFT RIGHT TOP BOTTOM
picture_shows_frame() {
    local picture=$1
    shift
    echo "$*" | "$PROBE" frame "$picture"
}

# screen_shows_frame LIMIT ZOOM LEFT RIGHT TOP BOTTOM
screen_shows_frame() {
    grab "$WORK/grab.ppm" && picture_shows_frame "$WORK/grab.ppm" "$@"
}

START_FRAME=(10 1 -2 2 -2 2)

viewer_shows_intro() {
    viewer_running || fail "the viewer ended before showing its intro"
    screen_shows_intro
}

# Leaves the intro with a key that is no command and waits for the first frame.
leave_intro() {
    wait_until "the intro screen" viewer_shows_intro
    xdotool key space
    wait_until "the first frame" screen_shows_frame "${START_FRAME[@]}"
}

screen_differs_from() {
    grab "$WORK/now.ppm" && ! cmp -s "$1" "$WORK/now.ppm"
}

# Holds a key until the screen changes, as a person holds a key and watches.
hold_until_screen_changes() {
    grab "$WORK/before.ppm"
    xdotool keydown "$1"
    wait_until "the screen to change under $1" screen_differs_from "$WORK/before.ppm"
    xdotool keyup "$1"
}

shot_id() {
    stat -c %i "$WORK/cwd/vexilo.pcx" 2>/dev/null
}

shot_replaced_since() {
    local now
    now=$(shot_id) && [ "$now" != "$1" ]
}

# Holds S until vexilo.pcx has been replaced, then decodes it.
take_screenshot() {
    local before
    before=$(shot_id)
    xdotool keydown s
    wait_until "vexilo.pcx to be written" shot_replaced_since "$before"
    xdotool keyup s
    decode_screenshot
}

# Decodes vexilo.pcx with ImageMagick, an independent reader, to $WORK/shot.ppm.
decode_screenshot() {
    convert "pcx:$WORK/cwd/vexilo.pcx" -strip -depth 8 "ppm:$WORK/shot.ppm" || fail "vexilo.pcx does not decode"
}

# Holds Escape, as a person does, until the viewer has quit with status 0
# without a word.
quit_with_escape() {
    xdotool keydown Escape
    expect_exit 0
    xdotool keyup Escape
    [ ! -s "$WORK/stderr" ] || fail "unexpected output: $(cat "$WORK/stderr")"
}

# Exit status 1 and one line on stderr that matches the pattern $1.
expect_failure_message() {
    expect_exit 1
    [ "$(wc -l <"$WORK/stderr")" -eq 1 ] || fail "expected one line, got: $(cat "$WORK/stderr")"
    grep -q "$1" "$WORK/stderr" || fail "message does not say what failed: $(cat "$WORK/stderr")"
}

# True once no process (the viewer or a child of it) works in its directory.
viewer_processes_gone() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/cwd" 2>/dev/null)" = "$WORK/cwd" ] && return 1
    done
    return 0
}

# Only vexilo.pcx in the viewer's directory: no temporary file left behind.
expect_only_the_screenshot() {
    local names
    names=$(ls -A "$WORK/cwd")
    [ "$names" = "vexilo.pcx" ] || fail "unexpected files: $names"
}
