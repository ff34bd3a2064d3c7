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
    leave_intro
    quit_with_escape
}

# Escape still held when it ends the intro: the viewer quits without ever
# showing a frame.
escape_at_intro() {
    start_xserver
    start_viewer
    wait_until "the intro screen" viewer_shows_intro
    xdotool keydown Escape
    while viewer_running; do
        screen_shows_frame "${START_FRAME[@]}" && fail "a frame was shown after Escape at the intro"
    done
    quit_with_escape
}

# Without a display the viewer says why in one line and exits with status 1.
no_display() {
    unset DISPLAY
    start_viewer
    expect_failure_message '^vexilo: cannot start the Allegro library'
}

# When the graphics mode cannot be set (here: the library is told to use a
# driver the X server lacks), the viewer names the failure and exits 1.
no_graphics_mode() {
    start_xserver
    mkdir -p "$WORK/home"
    printf '[graphics]\ngfx_card = DGA2\n' >"$WORK/home/.allegrorc"
    HOME="$WORK/home" start_viewer
    expect_failure_message '^vexilo: cannot set the 320x200 256-colour mode: DGA'
}

# Every command key, held then released, then S: the saved picture is the
# engine's frame for the state some number of held passes reaches, and the
# screen shows the same frame.
commands_then_screenshot() {
    start_xserver
    start_viewer
    leave_intro
    # The states the viewer may be in: more than one where neighbouring
    # numbers of passes give the same picture.
    echo "${START_FRAME[*]}" >"$WORK/states"
    for command in Right Down Left Up l k o i; do
        hold_until_screen_changes "$command"
        take_screenshot
        "$PROBE" follow "$WORK/shot.ppm" "$(echo "$command" | tr 'A-Z' 'a-z')" <"$WORK/states" >"$WORK/next" ||
            fail "the picture saved after holding $command is no frame of any state reached"
        mv "$WORK/next" "$WORK/states"
        # Every candidate gives the saved picture: the screen must show it too.
        local first
        read -r -a first <"$WORK/states"
        screen_shows_frame "${first[@]}" || fail "the screen after $command differs from the saved picture"
    done
    expect_only_the_screenshot
    quit_with_escape
}

# Holding S rewrites the file again and again but never changes the screen.
holding_s_keeps_the_screen() {
    start_xserver
    start_viewer
    leave_intro
    grab "$WORK/before.ppm"
    xdotool keydown s
    local seen=0 last=""
    while [ "$seen" -lt 3 ]; do
        wait_until "vexilo.pcx to be written again" shot_replaced_since "$last"
        last=$(shot_id)
        seen=$((seen + 1))
    done
    grab "$WORK/during.ppm"
    xdotool keyup s
    cmp -s "$WORK/before.ppm" "$WORK/during.ppm" || fail "holding S changed the screen"
    decode_screenshot
    picture_shows_frame "$WORK/shot.ppm" "${START_FRAME[@]}" || fail "the saved picture is not the first frame"
    expect_only_the_screenshot
    quit_with_escape
}

# Killed again and again while S is held, the viewer never leaves a torn
# vexilo.pcx nor a stray temporary file.
killed_while_saving() {
    start_xserver
    for round in 1 2 3 4 5 6 7 8; do
        start_viewer
        leave_intro
        xdotool keydown s
        wait_until "vexilo.pcx to be written" test -e "$WORK/cwd/vexilo.pcx"
        # Land the kill at a different point of the write cycle each round.
        local first
        first=$(shot_id)
        [ $((round % 2)) -eq 0 ] && wait_until "another write" shot_replaced_since "$first"
        kill -9 "$VIEWER_PID"
        wait "$VIEWER_PID" 2>/dev/null
        VIEWER_PID=
        xdotool keyup s
        wait_until "the viewer's processes to end" viewer_processes_gone
        expect_only_the_screenshot
        decode_screenshot
        picture_shows_frame "$WORK/shot.ppm" "${START_FRAME[@]}" || fail "round $round: vexilo.pcx is not the frame"
    done
}

# With its directory gone every save fails: nothing is shown, nothing is
# printed, and the viewer goes on answering keys.
failed_save_carries_on() {
    start_xserver
    start_viewer
    leave_intro
    rmdir "$WORK/cwd" || fail "cannot remove the viewer's directory"
    xdotool keydown s
    hold_until_screen_changes Right
    xdotool keyup s
    quit_with_escape
}

# A session under valgrind's memcheck: no invalid read or write, no use of
# an undefined value, and no leak that the viewer's own code owns. The
# keyboard thread needs fair scheduling to get a turn beside the busy loop.
under_valgrind() {
    start_xserver
    VIEWER_UNDER=(valgrind --quiet --fair-sched=yes --error-exitcode=3 --leak-check=full
        --show-leak-kinds=definite --errors-for-leak-kinds=definite
        --log-file="$WORK/valgrind.log")
    start_viewer
    leave_intro
    for command in o l Right Down i; do
        hold_until_screen_changes "$command"
    done
    take_screenshot
    quit_with_escape
    [ ! -s "$WORK/valgrind.log" ] || fail "valgrind reported errors"
}

"$SCENARIO"
echo "PASS: $SCENARIO"
