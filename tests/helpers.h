// What the tests share: the headers, frames in memory bitmaps compared
// whole, raw bit patterns, and a fixture with a palette, a frame and a
// scratch working directory.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "fractal/reference.h"
#include "hud.h"
#include "intro.h"
#include "keys.h"
#include "palette.h"
#include "screenshot.h"

using bitmap_ptr = std::unique_ptr<BITMAP, void (*)(BITMAP *)>;
inline bitmap_ptr own(BITMAP *bitmap) { return {bitmap, destroy_bitmap}; }
// The library, started once without a display, is all that memory bitmaps,
// the built-in font and the PCX codec need.
inline bitmap_ptr new_frame()
{
    static const bool started = install_allegro(SYSTEM_NONE, &errno, std::atexit) == 0;
    set_color_depth(8);
    return own(started ? create_bitmap(FRAME_WIDTH, FRAME_HEIGHT) : nullptr);
}

// Both 8-bit bitmaps exist, have one size and hold the same indices.
inline bool same_picture(BITMAP *a, BITMAP *b)
{
    bool same = a && b && a->w == b->w && a->h == b->h;
    for (int y = 0; same && y < a->h; ++y)
        same = std::memcmp(a->line[y], b->line[y], a->w) == 0;
    return same;
}

// Raw bit patterns: +0 and -0 differ, a NaN equals its copy.
inline auto bits(view_samples s) { return std::bit_cast<std::array<std::uint64_t, 6>>(s); }
inline auto bits(view_window w) { return std::bit_cast<std::array<std::uint64_t, 4>>(w); }

inline std::string read_file(const char *path)
{
    return {std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {}};
}

inline long files_in(const char *directory)
{
    return std::distance(std::filesystem::directory_iterator(directory), {});
}

// The viewer's palette, a frame, and a fresh working directory (where S
// saves) that goes with the test.
struct with_frame : testing::Test {
    with_frame()
    {
        build_palette(palette);
        EXPECT_TRUE(entered) << "no scratch directory";
    }
    ~with_frame() override { std::filesystem::remove_all(directory); }
    char directory[32] = "/tmp/vexilo-test-XXXXXX";
    const bool entered = mkdtemp(directory) && chdir(directory) == 0;
    PALETTE palette;
    const bitmap_ptr frame = new_frame();
};
