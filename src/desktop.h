// What the X server tells of the desktop the viewer starts on, asked over a
// short connection of the viewer's own.
#pragma once

#include <chrono>

// Where the desktop cannot be asked: GNOME's default.
constexpr std::chrono::milliseconds DEFAULT_REPEAT_DELAY{500};
// Where the desktop has turned key repeat off: held keys do not repeat.
constexpr std::chrono::milliseconds NEVER_REPEATS{std::chrono::hours(24 * 365)};

struct desktop_facts {
    // How long a key is held before it repeats, as the user set it for the
    // keyboard (XKB): so a key held in vexilo starts repeating when it
    // would in any other program.
    std::chrono::milliseconds repeat_delay;
};

desktop_facts read_desktop();
