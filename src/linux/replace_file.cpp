// Replaces a file on Linux: the bytes are written to a temporary file,
// flushed, renamed over the file, and the folder flushed. Anonymous
// temporary files first; named ones where the file system has none.
//
// While S is held the viewer rewrites its screenshot on every pass, so a kill
// nearly always lands mid-save. The anonymous way therefore keeps the
// temporary file nameless until it is complete, and the two calls between
// which a name exists (link, rename) run in a child process of their own.
#include "replace_file.h"

#include "replace_file_ways.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, by open()

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

bool write_durably(int fd, const unsigned char *data, size_t size)
{
    return write_all(fd, data, size) && fsync(fd) == 0;
}

// The directory part of `path`, "." for a bare name.
std::string directory_of(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename in `directory` survive a machine that stops. A file system
// that cannot flush a directory (EINVAL) has nothing to flush.
bool sync_directory(const std::string &directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
}

// Gives the complete anonymous file behind `fd_link` the name `temp`, then
// renames it over `path`; the naming child's exit status: 0, or the errno of
// the call that failed. Only async-signal-safe system calls: safe in the
// child of a multi-threaded process.
int name_and_rename(const char *fd_link, const char *temp, const char *path)
{
    const auto link = [&] { return linkat(AT_FDCWD, fd_link, AT_FDCWD, temp, AT_SYMLINK_FOLLOW) == 0; };
    // Never 0, which would pass for success.
    const auto failure = [] { return errno != 0 ? errno : EIO; };
    if (!link() && (errno != EEXIST || unlink(temp) != 0 || !link()))
        return failure();
    if (rename(temp, path) == 0)
        return 0;
    const int error = failure();
    unlink(temp);
    return error;
}

bool replace_anonymously(const std::string &path, const unsigned char *data, size_t size)
{
    const int fd = open(directory_of(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, NEW_FILE_MODE);
    // A kernel without O_TMPFILE takes it for O_DIRECTORY and refuses to
    // write a directory: EISDIR here, and here only, means no anonymous
    // files too.
    if (fd < 0 && errno == EISDIR)
        errno = EOPNOTSUPP;
    if (fd < 0)
        return false;
    // Prepared before the fork: the child may make system calls only.
    const std::string fd_link = "/proc/self/fd/" + std::to_string(fd);
    const std::string temp = temporary_name(path);
    pid_t child = -1;
    if (write_durably(fd, data, size)) {
        // The child starts with every signal blocked and keeps them so until
        // it exits: no handler (the library's shut it down, and the X
        // connection with it) can run between the name and the rename.
        sigset_t every, own;
        sigfillset(&every);
        pthread_sigmask(SIG_SETMASK, &every, &own);
        child = fork();
        if (child == 0)
            _exit(name_and_rename(fd_link.c_str(), temp.c_str(), path.c_str()));
        pthread_sigmask(SIG_SETMASK, &own, nullptr);
    }
    int status = -1;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    close(fd);
    if (child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    // The child's errno, as its status: a child killed by a signal says none.
    if (child > 0)
        errno = WIFEXITED(status) ? WEXITSTATUS(status) : EINTR;
    return false;
}

bool replace_through_name(const std::string &path, const unsigned char *data, size_t size)
{
    const std::string temp = temporary_name(path);
    // O_EXCL never opens what is there, a link or a file of someone else's.
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(temp.c_str(), flags, NEW_FILE_MODE);
    if (fd < 0 && errno == EEXIST && unlink(temp.c_str()) == 0)
        fd = open(temp.c_str(), flags, NEW_FILE_MODE);
    if (fd < 0)
        return false;
    const bool written = write_durably(fd, data, size);
    const bool closed = close(fd) == 0;
    if (written && closed && rename(temp.c_str(), path.c_str()) == 0)
        return true;
    unlink(temp.c_str());
    return false;
}

} // namespace

std::string temporary_name(const std::string &path)
{
    const size_t name = path.rfind('/') + 1; // 0 for a bare name
    return path.substr(0, name) + "." + path.substr(name) + "." + std::to_string(getpid()) + ".tmp";
}

bool replace_file_by(const std::string &path, const unsigned char *data, size_t size, temporary_file way)
{
    const bool replaced = way == temporary_file::anonymous ? replace_anonymously(path, data, size)
                                                           : replace_through_name(path, data, size);
    return replaced && sync_directory(directory_of(path));
}

bool replace_file(const std::string &path, const unsigned char *data, size_t size)
{
    errno = 0;
    if (replace_file_by(path, data, size, temporary_file::anonymous))
        return true;
    // Only where anonymous files cannot be made: any other failure would
    // come again, or has already put the new picture in place.
    return errno == EOPNOTSUPP && replace_file_by(path, data, size, temporary_file::named);
}
