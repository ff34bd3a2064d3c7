// Saves the screenshot: the library's PCX writer encodes the picture into
// memory, then the bytes are published by write-to-temporary-and-rename.
//
// While S is held the viewer rewrites the file on every pass, so a kill
// nearly always lands mid-write. The temporary file is therefore anonymous
// (O_TMPFILE) until it is complete, and only then given a name and renamed
// into place; file systems without O_TMPFILE get an exclusive named
// temporary file, removed on any failure.
#include "screenshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "fractal/fractal.h"

namespace {

// The worst run-length encoding of a frame takes two bytes a pixel, plus the
// 128-byte header and the 769-byte palette trailer.
constexpr size_t PCX_CAPACITY = 2 * FRAME_WIDTH * FRAME_HEIGHT + 128 + 769;
constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, by open()

struct pcx_bytes {
    unsigned char data[PCX_CAPACITY];
    size_t size;
    bool overflowed;
};

// A write-only PACKFILE that appends to a pcx_bytes.
int sink_close(void *) { return 0; }
int sink_getc(void *) { return EOF; }
int sink_ungetc(int, void *) { return EOF; }
long sink_fread(void *, long, void *) { return 0; }
int sink_fseek(void *, int) { return -1; }
int sink_feof(void *) { return 0; }

long sink_fwrite(const void *p, long n, void *userdata)
{
    pcx_bytes *bytes = static_cast<pcx_bytes *>(userdata);
    if (n < 0 || static_cast<size_t>(n) > PCX_CAPACITY - bytes->size) {
        bytes->overflowed = true;
        return 0;
    }
    std::memcpy(bytes->data + bytes->size, p, static_cast<size_t>(n));
    bytes->size += static_cast<size_t>(n);
    return n;
}

int sink_putc(int c, void *userdata)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return sink_fwrite(&byte, 1, userdata) == 1 ? byte : EOF;
}

int sink_ferror(void *userdata) { return static_cast<pcx_bytes *>(userdata)->overflowed; }

const PACKFILE_VTABLE SINK_VTABLE = {sink_close,  sink_getc,  sink_ungetc, sink_fread, sink_putc,
                                     sink_fwrite, sink_fseek, sink_feof,   sink_ferror};

bool encode_pcx(BITMAP *buffer, const PALETTE palette, pcx_bytes *bytes)
{
    bytes->size = 0;
    bytes->overflowed = false;
    PACKFILE *file = pack_fopen_vtable(&SINK_VTABLE, bytes);
    if (!file)
        return false;
    // The library's writer takes a non-const palette but only reads it.
    const int result = save_pcx_pf(file, buffer, const_cast<RGB *>(palette));
    pack_fclose(file);
    return result == 0 && !bytes->overflowed && bytes->size > 0;
}

bool write_all(int fd, const unsigned char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool write_durably(int fd, const pcx_bytes &bytes) { return write_all(fd, bytes.data, bytes.size) && fsync(fd) == 0; }

// The directory part of `path`, "." for a bare name.
std::string directory_of(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// ".<name>.<process id>.tmp" beside `path`: this process's own temporary
// name, used by one save at a time.
std::string temp_name(const std::string &path)
{
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return directory + "." + name + "." + std::to_string(getpid()) + ".tmp";
}

// Makes the rename itself survive a machine that stops.
void sync_directory(const std::string &directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Gives the complete anonymous file behind `fd_link` the name `temp`, then
// renames it over `path`. Only async-signal-safe system calls: safe in the
// child of a multi-threaded process. A `temp`
// already there can only be left over from a dead process of the same id.
int name_and_rename(const char *fd_link, const char *temp, const char *path)
{
    if (linkat(AT_FDCWD, fd_link, AT_FDCWD, temp, AT_SYMLINK_FOLLOW) != 0) {
        if (errno != EEXIST || unlink(temp) != 0 || linkat(AT_FDCWD, fd_link, AT_FDCWD, temp, AT_SYMLINK_FOLLOW) != 0)
            return 1;
    }
    if (rename(temp, path) != 0) {
        unlink(temp);
        return 1;
    }
    return 0;
}

// Publishes the complete anonymous file `fd` as `path`. Its name exists only
// between the link and the rename, and those two run in a child process of
// their own: a kill of the viewer at that moment cannot strand the name.
bool publish_anonymous(int fd, const std::string &path)
{
    // Prepared before the fork: the child may make such system calls only.
    const std::string fd_link = "/proc/self/fd/" + std::to_string(fd);
    const std::string temp = temp_name(path);
    const pid_t child = fork();
    if (child == 0)
        _exit(name_and_rename(fd_link.c_str(), temp.c_str(), path.c_str()));
    if (child < 0)
        return name_and_rename(fd_link.c_str(), temp.c_str(), path.c_str()) == 0;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool save_anonymous(const std::string &path, const pcx_bytes &bytes)
{
    const int fd = open(directory_of(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0)
        return false;
    const bool saved = write_durably(fd, bytes) && publish_anonymous(fd, path);
    close(fd);
    return saved;
}

bool save_named(const std::string &path, const pcx_bytes &bytes)
{
    const std::string temp = temp_name(path);
    // O_EXCL never follows a link. A name already there is a leftover of a
    // dead process with this one's id: remove it and try once more.
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(temp.c_str(), flags, NEW_FILE_MODE);
    if (fd < 0 && errno == EEXIST && unlink(temp.c_str()) == 0)
        fd = open(temp.c_str(), flags, NEW_FILE_MODE);
    if (fd < 0)
        return false;
    const bool written = write_durably(fd, bytes);
    const bool closed = close(fd) == 0;
    if (written && closed && rename(temp.c_str(), path.c_str()) == 0)
        return true;
    unlink(temp.c_str());
    return false;
}

} // namespace

bool save_screenshot(const char *path, BITMAP *buffer, const PALETTE palette, temporary_file how)
{
    pcx_bytes bytes;
    if (!encode_pcx(buffer, palette, &bytes))
        return false;
    const std::string target = path;
    // Where anonymous files are unsupported (or cannot be named), fall back to
    // a named temporary file.
    const bool saved =
        (how == temporary_file::anonymous_first && save_anonymous(target, bytes)) || save_named(target, bytes);
    if (saved)
        sync_directory(directory_of(target));
    return saved;
}
