// What the desktop the viewer starts on tells of itself: the keyboard's
// repeat delay, and the monitors. On X, asked over a short connection of
// the viewer's own; the library's own desktop size spans every monitor.
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
    // The monitor at the screen's corner, and the primary (on X, RandR's
    // (1.5), the primary being the first one listed where none is marked);
    // sizes {0, 0} where unknown.
    monitor at_corner;
    monitor primary;
    // Where the desktop tells the room a window has (Windows: the primary
    // monitor's work area, less the frame of the library's window); {0, 0}
    // where it does not (X: the room is then 90% of the primary monitor).
    screen_size window_room;
};

desktop_facts read_desktop();
