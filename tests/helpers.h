// What the tests share: the headers, frames in memory bitmaps compared
// whole, raw bit patterns, and a fixture with a palette, a frame and a
// scratch working directory.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "fractal/reference.h"
#include "hud.h"
#include "intro.h"
#include "keys.h"
#include "palette.h"
#include "screenshot.h"

// A bitmap the library destroys: the constant converts to its function,
// which the pointer then calls.
using bitmap_ptr = std::unique_ptr<BITMAP, std::integral_constant<decltype(&destroy_bitmap), &destroy_bitmap>>;
// The library, started once without a display, is all that memory bitmaps,
// the built-in font and the PCX codec need.
inline bitmap_ptr new_frame()
{
    static const bool started = install_allegro(SYSTEM_NONE, &errno, std::atexit) == 0;
    set_color_depth(8);
    return bitmap_ptr(started ? create_bitmap(FRAME_WIDTH, FRAME_HEIGHT) : nullptr);
}

// Both 8-bit memory bitmaps exist, have one size and hold the same indices
// (their rows lie in one block).
inline bool same_picture(BITMAP *a, BITMAP *b)
{
    return a && b && a->w == b->w && a->h == b->h && std::memcmp(a->dat, b->dat, size_t(a->w) * a->h) == 0;
}

// What S saved: the picture in the screenshot file has the indices of `frame`.
inline bool saved(BITMAP *frame)
{
    return same_picture(bitmap_ptr(load_pcx(DEFAULT_SCREENSHOT.path, nullptr)).get(), frame);
}

// Raw bit patterns: +0 and -0 differ, a NaN equals its copy.
template <typename doubles> auto bits(doubles d) { return std::bit_cast<std::array<std::uint64_t, sizeof d / 8>>(d); }

inline std::string read_file(const std::string &name)
{
    return {std::istreambuf_iterator<char>(std::ifstream(name, std::ios::binary).rdbuf()), {}};
}

inline long files_in(const char *folder) { return std::distance(std::filesystem::directory_iterator(folder), {}); }

// The viewer's palette, a frame, and a fresh working directory (where S
// saves) that goes with the test.
struct with_frame : testing::Test {
    with_frame() { build_palette(palette); }
    void SetUp() override { ASSERT_TRUE(entered) << "no scratch directory: " << error.message(); }
    ~with_frame() override
    {
        std::filesystem::current_path(std::filesystem::temp_directory_path(), error);
        std::filesystem::remove_all(directory, error);
    }
    std::error_code error;
    // A new folder of this test's own in the system's temporary folder.
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path(error) / ("vexilo-test-" + std::to_string(std::random_device()()));
    const bool entered = std::filesystem::create_directory(directory, error) &&
                         (std::filesystem::current_path(directory, error), !error);
    PALETTE palette;
    const bitmap_ptr frame = new_frame();
};
