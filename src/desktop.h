// What the X server tells of the desktop the viewer starts on, asked over a
// short connection of the viewer's own: the keyboard's repeat delay, and
// the monitors, which the library's own desktop size spans all of.
#pragma once

#include <chrono>

struct screen_size {
    int width;
    int height;
};

// A monitor: its size, and where it is in the X screen.
struct monitor {
    screen_size size; // {0, 0} where unknown
    int x, y;
};

// Where the desktop cannot be asked: GNOME's default.
constexpr std::chrono::milliseconds DEFAULT_REPEAT_DELAY{500};
// Where the desktop has turned key repeat off: held keys do not repeat.
constexpr std::chrono::milliseconds NEVER_REPEATS{std::chrono::hours(24 * 365)};

struct desktop_facts {
    // How long a key is held before it repeats, as the user set it for the
    // keyboard (XKB): so a key held in vexilo starts repeating when it
    // would in any other program.
    std::chrono::milliseconds repeat_delay;
    // The library's full screen puts a window of the mode it is asked for
    // at the screen's corner, moved by half the difference between the
    // size of the current video mode (the VidMode extension's mode line,
    // which it reads on a local display only) and that mode's: this size,
    // {0, 0} where the library will not read it.
    screen_size video_mode;
    // RandR's monitors (1.5): the one at the screen's corner, and the
    // primary (or the first one listed); sizes {0, 0} where unknown.
    monitor at_corner;
    monitor primary;
};

desktop_facts read_desktop();
