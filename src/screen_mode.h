// The graphics mode the options ask for: which of the library's drivers,
// and how many times larger than the frame.
#pragma once

#include "options.h"

struct screen_size {
    int width;
    int height;
};

// The room a picture has on a desktop of `desktop` ({0, 0}: unknown): all
// of it, or for a window 90% each way, which leaves panels and a title bar
// their place.
screen_size room_for(screen_kind screen, screen_size desktop);

// The scale asked for, or for SCALE_TO_FIT the largest from 1 to MAX_SCALE
// whose mode fits `room` (1 where the room is unknown or too small).
int scale_for(int scale, screen_size room);

// The mode a frame shown `scale` times larger takes.
screen_size mode_size(int scale);

// Whether a mode of `size` fits `room`; an unknown room fits anything.
bool fits(screen_size size, screen_size room);

// The library's driver for `screen`: GFX_AUTODETECT, or its windowed or
// full-screen autodetection.
int driver_for(screen_kind screen);
