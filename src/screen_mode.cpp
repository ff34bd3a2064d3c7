// Choosing the graphics mode from the options and the desktop's size.
#include "screen_mode.h"

#include <allegro.h>

#include "fractal/fractal.h"

namespace {

// A window's share of the desktop, in per cent of each side.
constexpr int WINDOW_SHARE = 90;

// "640x400"
std::string size_text(screen_size size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

bool known(screen_size room) { return room.width > 0 && room.height > 0; }

screen_size mode_size(int scale) { return {FRAME_WIDTH * scale, FRAME_HEIGHT * scale}; }

bool fits(screen_size size, screen_size room) { return size.width <= room.width && size.height <= room.height; }

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

} // namespace

screen_choice choose_screen(viewer_options options, screen_size desktop)
{
    const bool window = options.screen == screen_kind::window;
    screen_size room = desktop;
    if (window)
        room = {desktop.width * WINDOW_SHARE / 100, desktop.height * WINDOW_SHARE / 100};
    int scale = options.scale;
    if (scale == DEFAULT_SCALE)
        scale = options.screen == screen_kind::fullscreen ? SCALE_TO_FIT : 1;
    if (scale == SCALE_TO_FIT)
        for (scale = 1; scale < MAX_SCALE && known(room) && fits(mode_size(scale + 1), room);)
            ++scale;
    const screen_size picture = mode_size(scale);
    if (scale > 1 && known(room) && !fits(picture, room))
        return {{},
                "cannot show the picture at " + size_text(picture) + ": the desktop has room for " + size_text(room)};
    // A mode smaller than the desktop would switch the monitor's (or, on
    // Wayland, have the compositor stretch it, smoothed, over the screen).
    if (!window && known(desktop) && fits(picture, desktop) && (options.screen == screen_kind::fullscreen || scale > 1))
        return {{GFX_AUTODETECT_FULLSCREEN, desktop, scale, (desktop.width - picture.width) / 2,
                 (desktop.height - picture.height) / 2},
                ""};
    return {{driver_for(options.screen), picture, scale, 0, 0}, ""};
}

std::string cannot_set(screen_size mode) { return "cannot set the " + size_text(mode) + " 256-colour mode"; }
