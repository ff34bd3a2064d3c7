// Choosing the graphics mode from the options and the desktop's size.
#include "screen_mode.h"

#include <allegro.h>

#include "fractal/fractal.h"

namespace {
// A window's share of the desktop, in per cent of each side.
constexpr int WINDOW_SHARE = 90;
} // namespace

screen_size room_for(screen_kind screen, screen_size desktop)
{
    if (screen != screen_kind::window)
        return desktop;
    return {desktop.width * WINDOW_SHARE / 100, desktop.height * WINDOW_SHARE / 100};
}

int scale_for(int scale, screen_size room)
{
    if (scale != SCALE_TO_FIT)
        return scale;
    int fitting = 1;
    while (fitting < MAX_SCALE && room.width > 0 && room.height > 0 && fits(mode_size(fitting + 1), room))
        ++fitting;
    return fitting;
}

screen_size mode_size(int scale) { return {FRAME_WIDTH * scale, FRAME_HEIGHT * scale}; }

bool fits(screen_size size, screen_size room)
{
    const bool unknown = room.width <= 0 || room.height <= 0;
    return unknown || (size.width <= room.width && size.height <= room.height);
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
