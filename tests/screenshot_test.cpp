// Replacing a file, each way on its own: what it asks of the C library and
// in what order, failures that keep the old file and leave no other, links
// and leftovers never written through, the mode. Then the viewer's save: the
// frame as PCX, the anonymous way, or the named one where that is refused.
#include <sys/mman.h>

#include <cstdarg>

#include "helpers.h"
#include "replace_file.h"

// The tests' link puts these between the viewer's code and the C library.
// Each call is noted in a log that forked children share: A opens an
// anonymous file, W writes, F and D flush a file and a directory, K forks,
// R renames. A call among the `refused` fails instead, noted in lower case.
namespace {
struct call_log {
    const char *refused;
    int count;
    char calls[60];
};
call_log &calls = *static_cast<call_log *>(
    mmap(nullptr, sizeof(call_log), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
std::string logged() { return {calls.calls, size_t(calls.count)}; }

bool allowed(char call, int error)
{
    const bool refused = calls.refused && std::strchr(calls.refused, call);
    calls.calls[calls.count++ % sizeof calls.calls] = refused ? char(call - 'A' + 'a') : call;
    errno = refused ? error : errno;
    return !refused;
}
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
    return (flags & O_TMPFILE) != O_TMPFILE || allowed('A', EOPNOTSUPP) ? __real_open(path, flags, mode) : -1;
}
ssize_t __wrap_write(int fd, const void *data, size_t n)
{
    return allowed('W', ENOSPC) ? __real_write(fd, data, n) : -1;
}
int __wrap_fsync(int fd)
{
    struct stat info = {};
    return allowed(fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) ? 'D' : 'F', EIO) ? __real_fsync(fd) : -1;
}
pid_t __wrap_fork() { return allowed('K', EAGAIN) ? __real_fork() : -1; }
int __wrap_rename(const char *from, const char *to) { return allowed('R', EIO) ? __real_rename(from, to) : -1; }
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
// removed, neither written through; the mode is 0666 less the umask.
TEST_P(replacing, FailsOrReplacesTheFileWholeFlushedInOrder)
{
    const unsigned char bytes[2000] = {'n', 'e', 'w'};
    const auto replace = [&](const char *path, const char *refused) {
        calls = {refused, 0, {}};
        return replace_file(path, bytes, sizeof bytes, GetParam());
    };
    std::ofstream("vexilo.pcx") << "the old picture";
    std::filesystem::create_directories("folder/inside");
    std::filesystem::create_directories(temporary_name("held/vexilo.pcx") + "/inside");
    const std::pair<const char *, const char *> failures[] = {
        {"missing/vexilo.pcx", ""}, {"/proc/vexilo.pcx", ""}, {"folder", ""},       {"held/vexilo.pcx", ""},
        {"vexilo.pcx", "W"},        {"vexilo.pcx", "F"},      {"vexilo.pcx", "KR"}, {"vexilo.pcx", "R"}};
    for (const auto &[path, refused] : failures)
        EXPECT_TRUE(!replace(path, refused) && read_file("vexilo.pcx") == "the old picture" && files_in(".") == 3)
            << path << ", refused " << refused << ": " << logged();

    std::ofstream("precious") << "untouched";
    std::filesystem::remove("vexilo.pcx");
    ASSERT_EQ(symlink("precious", "vexilo.pcx") + link("precious", temporary_name("vexilo.pcx").c_str()), 0);
    const mode_t mask = umask(002);
    struct stat info = {};
    EXPECT_TRUE(replace("vexilo.pcx", "") && lstat("vexilo.pcx", &info) == 0 && (info.st_mode & 0777) == 0664);
    umask(mask);
    EXPECT_EQ(logged(), GetParam() == temporary_file::anonymous ? "AWFKRD" : "WFRD");
    EXPECT_EQ(read_file("vexilo.pcx"), std::string(bytes, std::end(bytes)));
    EXPECT_TRUE(read_file("precious") == "untouched" && files_in(".") == 4);
}

INSTANTIATE_TEST_SUITE_P(each_way, replacing, testing::Values(temporary_file::anonymous, temporary_file::named),
                         [](const auto &info) { return std::string(info.index ? "named" : "anonymous"); });

using screenshot = with_frame;

// What the viewer saves decodes to its frame, saved the anonymous way, or
// the named way where anonymous files are refused, as on a file system
// without them; a picture too large to encode is not saved.
TEST_F(screenshot, SavesTheFrameAnonymouslyOrWhereRefusedNamed)
{
    draw_frame(frame.get(), {{-0.8, -0.7, 0.05, 0.15}, 60, 5, true});
    for (const auto &[refused, log] : {std::pair{"", "AWFKRD"}, {"A", "aWFRD"}}) {
        calls = {refused, 0, {}};
        EXPECT_TRUE(save_screenshot("vexilo.pcx", frame.get(), palette) && logged() == log) << logged();
        EXPECT_TRUE(same_picture(bitmap_ptr(load_pcx("vexilo.pcx", nullptr)).get(), frame.get()));
    }
    const bitmap_ptr noise(create_bitmap(400, 400));
    for (int i = 0; i < 400 * 400; ++i)
        noise->line[i / 400][i % 400] = 254 + i % 2;
    EXPECT_FALSE(save_screenshot("noise.pcx", noise.get(), palette));
    EXPECT_EQ(files_in("."), 1);
}

} // namespace
