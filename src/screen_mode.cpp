// Choosing the graphics mode from the options and the desktop's monitors.
#include "screen_mode.h"

#include <allegro.h>

#include <algorithm>

#include "fractal/fractal.h"

namespace {

// A window's share of its monitor, in per cent of each side.
constexpr int WINDOW_SHARE = 90;

// "640x400", "?x1080" where a side is unknown
std::string side_text(int side) { return side > 0 ? std::to_string(side) : "?"; }
std::string size_text(screen_size size) { return side_text(size.width) + "x" + side_text(size.height); }

bool known(screen_size room) { return room.width > 0 && room.height > 0; }

screen_size mode_size(int scale) { return {FRAME_WIDTH * scale, FRAME_HEIGHT * scale}; }

// Each side of `size` within the side of `room`, where that is known.
bool fits(screen_size size, screen_size room)
{
    return (room.width <= 0 || size.width <= room.width) && (room.height <= 0 || size.height <= room.height);
}

int driver_for(screen_kind screen)
{
    switch (screen) {
    case screen_kind::window:
        return GFX_AUTODETECT_WINDOWED;
    case screen_kind::fullscreen:
        return GFX_AUTODETECT_FULLSCREEN;
    default:
        return GFX_AUTODETECT;
    }
}

// A window's room is on the primary monitor, or else the video mode's (where
// a window without a window manager appears), or else the whole screen.
monitor window_monitor(screen_size desktop, const desktop_facts &facts)
{
    if (known(facts.primary.size))
        return facts.primary;
    if (known(facts.video_mode))
        return {facts.video_mode, 0, 0};
    return {desktop, 0, 0};
}

// Where a full-screen picture can go, in a mode of `*mode`'s size. With a
// video mode, a mode of its size is the library's window at the screen's
// corner, and it shows the monitor there, as much of it as it covers (the
// video mode may be another monitor's, or a size RandR has since changed).
// Without one, the library centres the mode on the whole screen: one of the
// whole screen's size, the picture on the primary monitor.
monitor full_screen_monitor(screen_size desktop, const desktop_facts &facts, screen_size *mode)
{
    *mode = desktop;
    if (known(facts.video_mode)) {
        *mode = facts.video_mode;
        const screen_size corner = known(facts.at_corner.size) ? facts.at_corner.size : facts.video_mode;
        return {{std::min(corner.width, mode->width), std::min(corner.height, mode->height)}, 0, 0};
    }
    if (known(facts.primary.size))
        return facts.primary;
    return {desktop, 0, 0};
}

} // namespace

screen_choice choose_screen(viewer_options options, screen_size desktop, const desktop_facts &facts)
{
    const bool window = options.screen == screen_kind::window;
    screen_size full_mode = {};
    const monitor target = window ? window_monitor(desktop, facts) : full_screen_monitor(desktop, facts, &full_mode);
    screen_size room = target.size;
    if (window)
        room = known(facts.window_room)
                   ? facts.window_room
                   : screen_size{room.width * WINDOW_SHARE / 100, room.height * WINDOW_SHARE / 100};
    int scale = options.scale;
    if (scale == DEFAULT_SCALE)
        scale = options.screen == screen_kind::fullscreen ? SCALE_TO_FIT : 1;
    if (scale == SCALE_TO_FIT)
        for (scale = 1; scale < MAX_SCALE && known(room) && fits(mode_size(scale + 1), room);)
            ++scale;
    const screen_size picture = mode_size(scale);
    if (scale > 1 && !fits(picture, room))
        return {{},
                "cannot show the picture at " + size_text(picture) + ": the monitor has room for " + size_text(room)};
    // A mode smaller than the monitor would switch the monitor's (or, on
    // Wayland, have the compositor stretch it, smoothed, over the screen).
    if (!window && known(full_mode) && fits(picture, room) && (options.screen == screen_kind::fullscreen || scale > 1))
        return {{GFX_AUTODETECT_FULLSCREEN, full_mode, scale, target.x + (room.width - picture.width) / 2,
                 target.y + (room.height - picture.height) / 2},
                ""};
    return {{driver_for(options.screen), picture, scale, 0, 0}, ""};
}

std::string cannot_set(screen_size mode) { return "cannot set the " + size_text(mode) + " 256-colour mode"; }
