// Saving the back buffer as a PCX picture without ever exposing a torn file.
#pragma once

#include <allegro.h>

// Writes `buffer` (8-bit) with `palette` to `path` as PCX, through the
// library's PCX writer, replacing any earlier file whole (replace_file): in
// an anonymous temporary file, or in a named one where anonymous files
// cannot be made (a file system without them). On failure, a picture too
// large to encode included, returns false, once, and leaves `path` and the
// directory as they were, unless only the directory's flush failed, after
// the new picture took the name whole.
bool save_screenshot(const char *path, BITMAP *buffer, const PALETTE palette);
