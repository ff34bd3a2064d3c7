// Putting new bytes in place of a file so that no reader, and no machine
// that stops, ever finds part of them (the screenshot). How each system
// does it is said in its own replace_file.cpp.
#pragma once

#include <cstddef>
#include <string>

// Replaces `path` by the `size` bytes at `data`. Readers see the old file or
// the new one, never part of one, and once this returns true the new one
// survives a machine that stops. A link at `path` is replaced, never
// followed; a leftover of a dead process at temporary_name(path) is
// removed first, never written into. Returns false, errno saying why, if
// any step fails: `path` and its folder are then as they were, except where
// only the last flush failed, after the new bytes took the name whole.
bool replace_file(const std::string &path, const unsigned char *data, size_t size);

// ".<name>.<process id>.tmp" beside `path`: the name at which a replacement
// that this process does not finish may leave the new bytes.
std::string temporary_name(const std::string &path);
