// The two ways Linux replaces a file, each for its own file systems; one of
// them at a time, for replace_file() and the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// `anonymous`: an O_TMPFILE file in the file's folder, nameless until
// complete, then named and renamed into place by a short-lived child
// process, so that a kill of the caller at that moment cannot strand the
// name; the child runs with every signal blocked, so that no handler runs in
// it. `named`: an exclusively created temporary_name(path), for file
// systems without anonymous files; removed on any failure.
enum class temporary_file : std::uint8_t { anonymous, named };

// replace_file() the `way` given; the new file gets 0666 less the umask.
// EOPNOTSUPP from the anonymous way: the file system (or the kernel) has no
// anonymous files, and nothing was written.
bool replace_file_by(const std::string &path, const unsigned char *data, size_t size, temporary_file way);
