// Replacing a file by new bytes so that no reader, and no machine that
// stops, ever finds part of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Where the bytes wait before they take the file's name. `anonymous`: an
// O_TMPFILE file in the file's directory, nameless until complete, then
// named and renamed into place by a short-lived child process, so that a
// kill of the caller at that moment cannot strand the name; the child runs
// with every signal blocked, so that no handler runs in it. `named`: an
// exclusively created temporary_name(path), for file systems without
// anonymous files; removed on any failure.
enum class temporary_file : std::uint8_t { anonymous, named };

// ".<name>.<process id>.tmp" beside `path`: this process's temporary name,
// used by one replacement at a time.
std::string temporary_name(const std::string &path);

// Replaces `path` by the `size` bytes at `data`: written to a temporary
// file the `way` given, flushed to disk, renamed over `path`, and the
// directory flushed so that the new name survives a machine that stops.
// Readers see the old file or the new one, never part of one; a link at
// `path` is replaced, never followed; a leftover at the temporary name (of a
// dead process with this one's id) is removed first, never written into;
// the new file gets 0666 less the umask. Returns false, errno saying why, if
// any step fails: `path` and the directory are then as they were, except
// when the directory's flush failed, after the new bytes took the name
// whole. EOPNOTSUPP from the anonymous way: the file system (or the
// kernel, or Windows) has no anonymous files, and nothing was written. On
// Windows, the named temporary is flushed and moved over `path` in one
// step that is itself flushed through (no directory to flush, no mode).
bool replace_file(const std::string &path, const unsigned char *data, size_t size, temporary_file way);
