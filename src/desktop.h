// What the desktop the viewer starts on tells of itself: the keyboard's
// repeat delay, and the monitors. How each system is asked is said in its
// desktop.cpp. The library's own desktop size spans every monitor.
#pragma once

#include <chrono>

struct screen_size {
    int width;
    int height;
};

// A monitor: its size, and where it is on the whole screen.
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
    // keyboard: so a key held in vexilo starts repeating when it would in
    // any other program.
    std::chrono::milliseconds repeat_delay;
    // The library's full screen puts a window of the mode it is asked for
    // at the screen's corner, moved by half the difference between the
    // size of the current video mode and that mode's: this size, {0, 0}
    // where the library will not read it.
    screen_size video_mode;
    // The monitor at the screen's corner, and the primary (the first one
    // listed where none is marked); sizes {0, 0} where unknown.
    monitor at_corner;
    monitor primary;
    // The room a window has on the primary monitor, less the frame the
    // library's window takes, where the desktop tells it; {0, 0} where it
    // does not (the room is then 90% of the primary monitor).
    screen_size window_room;
};

desktop_facts read_desktop();
