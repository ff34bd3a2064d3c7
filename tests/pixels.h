// What the unit tests share for comparing pictures in memory bitmaps.
#pragma once

#include <allegro.h>

// How many pixels of `a` differ from `b` at the same place; every pixel of
// `a` counts when the sizes differ.
inline int count_differing_pixels(BITMAP *a, BITMAP *b)
{
    if (a->w != b->w || a->h != b->h)
        return a->w * a->h;
    int differing = 0;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            differing += getpixel(a, x, y) != getpixel(b, x, y);
    return differing;
}
