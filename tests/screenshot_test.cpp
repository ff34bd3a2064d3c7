// Replacing a file, each way on its own: what it asks of the C library and
// in what order, failures that keep the old file and leave no other, links
// and leftovers never written through, the mode. Then the viewer's save: the
// frame as PCX, the anonymous way, or the named one where that is refused.
#include <sys/mman.h>

#include <cstdarg>

#include "helpers.h"
#include "linux/replace_file_ways.h"
#include "replace_file.h"
#include "termination.h"

// The tests' link puts these between the viewer's code and the C library.
// Each call is noted in a log that forked children share: A opens an
// anonymous file, W writes, F and D flush a file and a directory, K forks,
// R renames. A call among the `refused` fails instead, noted in lower case,
// with `error` (0: the call's own, as below; -1: none, errno 0); a write
// takes at most `most`
// bytes (0: all), as a filling disk may; the folders an anonymous file is
// made in and a flush is of are noted.
// A rename in a child (the anonymous way's naming child) raises SIGTERM
// first, as a signal sent to the viewer's group would land; note_signal, the
// handler the tests put in place, notes H.
namespace {
struct call_log {
    const char *refused;
    int error, count;
    char calls[60];
    size_t most;
    ino_t made_in, flushed;
};
call_log &calls = *static_cast<call_log *>(
    mmap(nullptr, sizeof(call_log), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
std::string logged() { return {calls.calls, size_t(calls.count)}; }

bool allowed(char call, int error)
{
    const bool refused = calls.refused && std::strchr(calls.refused, call);
    calls.calls[calls.count++ % sizeof calls.calls] = refused ? char(call - 'A' + 'a') : call;
    errno = refused ? (calls.error < 0 ? 0 : calls.error ? calls.error : error) : errno;
    return !refused;
}

const pid_t tests_process = getpid();
void note_signal(int) { allowed('H', 0); }
} // namespace

// NOLINTBEGIN(bugprone-reserved-identifier): the linker's names for them.
extern "C" {
int __real_open(const char *path, int flags, ...);
ssize_t __real_write(int fd, const void *data, size_t size);
int __real_fsync(int fd);
pid_t __real_fork();
int __real_rename(const char *from, const char *to);
int __wrap_open(const char *path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const int mode = flags & (O_CREAT | O_TMPFILE) ? va_arg(rest, int) : 0;
    va_end(rest);
    if ((flags & O_TMPFILE) != O_TMPFILE)
        return __real_open(path, flags, mode);
    struct stat folder = {};
    calls.made_in = stat(path, &folder) == 0 ? folder.st_ino : 0;
    return allowed('A', EOPNOTSUPP) ? __real_open(path, flags, mode) : -1;
}
ssize_t __wrap_write(int fd, const void *data, size_t n)
{
    return allowed('W', ENOSPC) ? __real_write(fd, data, calls.most && n > calls.most ? calls.most : n) : -1;
}
int __wrap_fsync(int fd)
{
    struct stat info = {};
    const bool folder = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    calls.flushed = folder ? info.st_ino : calls.flushed;
    return allowed(folder ? 'D' : 'F', EIO) ? __real_fsync(fd) : -1;
}
pid_t __wrap_fork() { return allowed('K', EAGAIN) ? __real_fork() : -1; }
int __wrap_rename(const char *from, const char *to)
{
    if (getpid() != tests_process)
        raise(SIGTERM);
    return allowed('R', EIO) ? __real_rename(from, to) : -1;
}
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

struct replacing : with_frame, testing::WithParamInterface<temporary_file> {};

// Each way on its own. Failures keep the old file and leave nothing new: no
// such directory; one no one may write to, root included; a directory at
// the name (the rename fails); a leftover at the temporary name that cannot
// be removed; a full disk; a failed flush; no child to name the file, or
// its rename failing (the named way's rename fails in both rows). A
// replacement is flushed before it is named (the anonymous way's name given
// in a child of its own) and the directory after; a link at the name is
// replaced and a leftover at the temporary name (another file's link)
// removed, neither written through; the mode is 0666 less the umask; writes
// that take fewer bytes than asked go on from where they stopped; the file
// is made and its folder flushed where it goes, a bare name's being the
// working directory. The naming child runs no handler, whatever lands on it;
// the caller's own run as before.
TEST_P(replacing, FailsOrReplacesTheFileWholeFlushedInOrder)
{
    signal(SIGTERM, note_signal);
    const unsigned char bytes[2000] = {'n', 'e', 'w'};
    const auto replace = [&](const char *path, const char *refused, size_t most = 0, int error = 0) {
        calls = {refused, error, 0, {}, most, 0, 0};
        return replace_file_by(path, bytes, sizeof bytes, GetParam());
    };
    std::ofstream("vexilo.pcx") << "the old picture";
    std::filesystem::create_directories("folder/inside");
    std::filesystem::create_directories(temporary_name("held/vexilo.pcx") + "/inside");
    // The path, the calls refused, and the errno that says why (the refused
    // call's own, the naming child's too; 0: not checked).
    const std::tuple<const char *, const char *, int> failures[] = {
        {"missing/vexilo.pcx", "", 0}, {"/proc/vexilo.pcx", "", 0}, {"folder", "", 0},       {"held/vexilo.pcx", "", 0},
        {"vexilo.pcx", "W", ENOSPC},   {"vexilo.pcx", "F", EIO},    {"vexilo.pcx", "KR", 0}, {"vexilo.pcx", "R", EIO}};
    for (const auto &[path, refused, why] : failures)
        EXPECT_TRUE(!replace(path, refused) && (why == 0 || errno == why) &&
                    read_file("vexilo.pcx") == "the old picture" && files_in(".") == 3)
            << path << ", refused " << refused << ": " << logged();
    // A rename that fails without saying why still fails the naming child.
    EXPECT_TRUE(!replace("vexilo.pcx", "R", 0, -1) && (GetParam() == temporary_file::named || errno == EIO) &&
                read_file("vexilo.pcx") == "the old picture");

    const mode_t mask = umask(002);
    // A refused directory flush fails the replacement after the new file took
    // the name, unless the file system cannot flush directories (EINVAL).
    for (const auto &[path, folder, entries, refused, error] :
         {std::tuple{"vexilo.pcx", ".", 4, "", 0},
          {"folder/inside/vexilo.pcx", "folder/inside", 2, "", 0},
          {"vexilo.pcx", ".", 4, "D", EIO},
          {"folder/inside/vexilo.pcx", "folder/inside", 2, "D", EINVAL}}) {
        const std::string precious = std::string(folder) + "/precious";
        std::ofstream(precious) << "untouched";
        std::filesystem::remove(path);
        ASSERT_EQ(symlink("precious", path) + link(precious.c_str(), temporary_name(path).c_str()), 0);
        struct stat info = {}, where = {};
        EXPECT_TRUE(replace(path, refused, 999, error) == (error != EIO) && lstat(path, &info) == 0 &&
                    (info.st_mode & 0777) == 0664 && stat(folder, &where) == 0);
        raise(SIGTERM);
        const bool anonymous = GetParam() == temporary_file::anonymous;
        EXPECT_EQ(logged(), std::string(anonymous ? "AWWWFKR" : "WWWFR") + (*refused ? "dH" : "DH")) << path;
        EXPECT_TRUE(calls.flushed == where.st_ino && calls.made_in == (anonymous ? where.st_ino : 0)) << path;
        EXPECT_EQ(read_file(path), std::string(bytes, std::end(bytes))) << path;
        EXPECT_TRUE(read_file(precious.c_str()) == "untouched" && files_in(folder) == entries) << path;
    }
    umask(mask);
    signal(SIGTERM, SIG_DFL);
}

INSTANTIATE_TEST_SUITE_P(each_way, replacing, testing::Values(temporary_file::anonymous, temporary_file::named),
                         [](const auto &info) { return std::string(info.index ? "named" : "anonymous"); });

using screenshot = with_frame;

// What the viewer saves decodes to its frame, saved the anonymous way, or
// the named way where anonymous files are refused, as on a file system
// without them, even the frame that encodes worst (runs of one index of 192
// or more: two bytes a pixel); a larger picture is not saved. A save that
// fails otherwise (a folder at the name, a full disk, or a refused flush of
// the directory after the picture took its name) fails once, never written
// again the named way, the folder left empty. All the while,
// as in the viewer, termination signals wait, pending, for the frame loop,
// running no handler, not even one the library puts in place as it starts
// (here note_signal, which would note H); one ignored at start stays
// ignored; and with SIGCHLD ignored at start, a save is still made once, and
// succeeds.
TEST_F(screenshot, SavesTheFrameAnonymouslyOrWhereRefusedNamed)
{
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    signal(SIGINT, SIG_IGN), signal(SIGCHLD, SIG_IGN);
    const termination_signals held = hold_termination_signals();
    signal(SIGINT, note_signal), signal(SIGHUP, note_signal);
    keep_ignored(held);

    const bitmap_ptr noise(create_bitmap(400, 400));
    for (BITMAP *picture : {frame.get(), noise.get()})
        for (int i = 0; i < picture->w * picture->h; ++i)
            picture->line[i / picture->w][i % picture->w] = 254 + i % 2;
    // The calls refused and why (0: the call's own errno), a folder at the
    // name or not, and the calls made. A kernel without anonymous files
    // refuses them with EISDIR, taking O_TMPFILE for O_DIRECTORY.
    for (const auto &[refused, error, folder, log] : {std::tuple{"", 0, true, std::string("AWFKR")},
                                                      {"W", 0, false, "Aw"},
                                                      {"D", 0, false, "AWFKRd"},
                                                      {"A", 0, false, "aWFRD"},
                                                      {"A", EISDIR, false, "aWFRD"},
                                                      {"", 0, false, "AWFKRD"}}) {
        std::filesystem::remove("vexilo.pcx");
        if (folder)
            std::filesystem::create_directory("vexilo.pcx");
        calls = {refused, error, 0, {}, 0, 0, 0};
        raise(SIGINT), raise(SIGHUP);
        EXPECT_EQ(save_screenshot(DEFAULT_SCREENSHOT, frame.get(), palette), log.back() == 'D') << logged();
        EXPECT_EQ(logged(), log);
        EXPECT_EQ(saved(frame.get()), !folder && log.find('R') != log.npos);
        EXPECT_TRUE(!folder || std::filesystem::is_empty("vexilo.pcx"));
    }
    EXPECT_FALSE(save_screenshot({"noise.pcx", image_format::pcx}, noise.get(), palette));
    EXPECT_TRUE(files_in(".") == 1 && pending_termination() == SIGHUP);
    signal(SIGHUP, SIG_IGN); // drops it
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    signal(SIGINT, SIG_DFL), signal(SIGHUP, SIG_DFL);
}

} // namespace
