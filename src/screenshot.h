// Saving the back buffer as a PCX picture without ever exposing a torn file.
#pragma once

#include <allegro.h>

#include <cstdint>

// Writes `buffer` (8-bit) with `palette` to `path` as PCX, through the
// library's PCX writer. The bytes go to a temporary file in the same
// directory, created exclusively and never through a link, made durable,
// then renamed over `path`: readers see the old picture or the new one,
// never part of one, and a link at `path` is replaced, not followed. The new
// file has the mode an ordinary new file would (0666 less the umask). On
// failure returns false and leaves `path` and the directory as they were.
//
// The temporary file is normally anonymous until complete, with a named one
// where the file system lacks anonymous files; `named_only` forces the
// latter so that tests can cover both ways.
enum class temporary_file : std::uint8_t { anonymous_first, named_only };
bool save_screenshot(const char *path, BITMAP *buffer, const PALETTE palette,
                     temporary_file how = temporary_file::anonymous_first);
