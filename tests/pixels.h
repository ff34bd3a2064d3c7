// What the tests share for comparing pictures in memory bitmaps and
// coordinates bit for bit.
#pragma once

#include <allegro.h>

#include <bit>
#include <cstdint>

#include "fractal/fractal.h"

// A 320 x 200 memory bitmap for one test, freed with it.
struct frame_bitmap {
    BITMAP *bitmap;
    frame_bitmap() : bitmap(create_bitmap(FRAME_WIDTH, FRAME_HEIGHT)) {}
    ~frame_bitmap() { destroy_bitmap(bitmap); }
    frame_bitmap(const frame_bitmap &) = delete;
    frame_bitmap &operator=(const frame_bitmap &) = delete;
};

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

// Equal as bit patterns: +0 and -0 differ, a NaN equals its own copy.
inline bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

inline bool same_bits(complex_value a, complex_value b) { return same_bits(a.re, b.re) && same_bits(a.im, b.im); }

inline bool same_bits(const view_samples &a, const view_samples &b)
{
    return same_bits(a.centre, b.centre) && same_bits(a.corner_a, b.corner_a) && same_bits(a.corner_b, b.corner_b);
}
