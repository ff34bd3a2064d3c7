// The graphics mode the options ask for: which of the library's drivers,
// what size, and where in it the picture goes, how many times larger.
#pragma once

#include <string>

#include "desktop.h"
#include "options.h"

// How the frame reaches the screen.
struct screen_layout {
    int driver;       // GFX_AUTODETECT, or its windowed or full-screen form
    screen_size mode; // the mode to ask the library for
    int scale;        // every pixel of the frame a scale x scale block
    int left, top;    // where the picture's top-left corner goes in the mode
};

struct screen_choice {
    screen_layout layout;
    std::string refusal; // where the picture cannot be shown: why, in one line
};

// The layout `options` ask for on an X screen of `desktop` (every monitor;
// a side 0 where the library cannot tell) with the monitors in `facts`.
//
// The picture is for one monitor. Full screen, the one the library's
// full-screen window shows (see full_screen_monitor); a window, the
// primary. The room is that monitor, or for a window the room the desktop
// tells, or else 90% of the monitor each way, which leaves panels and a
// title bar their place. SCALE_TO_FIT takes the
// largest scale from 1 to MAX_SCALE that fits the room (1 where a side is
// unknown); a scale over 1 that does not fit a known side is refused.
//
// With no option, the library's choice at the frame's size; a window, the
// picture's size. Full screen, or a scale over 1 without a window, keeps
// the monitor's mode, the picture in the middle of its monitor. Where the
// screen's size is unknown, or (at scale 1) the monitor smaller than the
// picture, a mode of the picture's size, which the library may get by
// switching the monitor's.
screen_choice choose_screen(viewer_options options, screen_size desktop, const desktop_facts &facts);

// "cannot set the 640x400 256-colour mode"
std::string cannot_set(screen_size mode);
