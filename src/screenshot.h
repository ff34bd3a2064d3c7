// Saving the back buffer as a PCX or PNG picture without ever exposing a
// torn file.
#pragma once

#include <allegro.h>

#include <cstdint>

enum class image_format : std::uint8_t { pcx, png };

// The file S writes, and its format.
struct screenshot_file {
    const char *path;
    image_format format;
};

// In the current working directory, as the viewer always saved it.
constexpr screenshot_file DEFAULT_SCREENSHOT = {"vexilo.pcx", image_format::pcx};

// The format a file name's ending asks for: ".pcx" or ".png", in any letter
// case. False for any other name.
bool format_of(const char *path, image_format *format);

// Writes `buffer` (8-bit) with `palette` to `file`, encoded in memory: as
// PCX through the library's PCX writer, or as an indexed PNG (libspng) of
// the same pixels, its palette the 8-bit values the PCX holds, then put in
// place of any earlier file whole (replace_file). On failure, a picture the
// encoder refuses or too large to encode included, returns false, once, and
// leaves the file and the folder as they were, unless only the last flush
// failed, after the new picture took the name whole.
bool save_screenshot(screenshot_file file, BITMAP *buffer, const PALETTE palette);
