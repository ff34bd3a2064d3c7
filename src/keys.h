// The command keys: pan, zoom in and out, iteration limit, screenshot.
#pragma once

#include <allegro.h>

#include <bitset>

#include "fractal/fractal.h"
#include "screenshot.h"
#include "viewer_state.h"

// The keys a pass acts on, by the library's scancodes.
struct held_keys {
    std::bitset<KEY_MAX> down;
};

// Applies every command key in `held`, in this order:
// Down, Left, Right, Up (five pixels' worth, steps taken from the window as it
// was before any key of the pass), L, K (limit +1 / -1, clamped to
// 0 ... MAX_ITERATIONS_CAP after each), S (saves `buffer` with `palette` as
// `file`),
// O (window from the samples' corners, zoom_count + 1), I (4 x 4 window around
// the samples' centre with `top` the larger, zoom_count back to 1). Every
// key but S sets `redraw`. `samples` are those of the last render.
viewer_state handle_keys(viewer_state state, view_samples samples, held_keys held, BITMAP *buffer,
                         const PALETTE palette, screenshot_file file);
