// The screenshot file, both ways of writing it: what it decodes to, links,
// modes, the flush before the name, and failures that must keep the old
// file and leave no temporary one.
#include "helpers.h"

// The tests' link puts these between the viewer's code and the C library: a
// file may be named (linked or renamed into place) only after an fsync.
// NOLINTBEGIN(bugprone-reserved-identifier): the linker's names for them.
extern "C" {
int __real_fsync(int fd);
int __real_rename(const char *from, const char *to);
int __real_linkat(int from_dir, const char *from, int to_dir, const char *to, int flags);
int fsyncs = 0;
int __wrap_fsync(int fd) { return ++fsyncs, __real_fsync(fd); }
int __wrap_rename(const char *from, const char *to) { return fsyncs ? __real_rename(from, to) : (errno = EIO, -1); }
int __wrap_linkat(int from_dir, const char *from, int to_dir, const char *to, int flags)
{
    return fsyncs ? __real_linkat(from_dir, from, to_dir, to, flags) : (errno = EIO, -1);
}
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

struct screenshot : with_frame, testing::WithParamInterface<temporary_file> {
    screenshot()
    {
        draw_frame(frame.get(), {{-0.8, -0.7, 0.05, 0.15}, 60, 5, true});
        std::ofstream("vexilo.pcx") << "the old picture";
    }
    bool save(const char *path = "vexilo.pcx") { return save_screenshot(path, frame.get(), palette, GetParam()); }
};

TEST_P(screenshot, DecodesToTheFrameReplacesLinksAndFollowsTheUmask)
{
    fsyncs = 0;
    ASSERT_TRUE(save()) << "failed, or was not flushed before it was named";
    PALETTE loaded;
    EXPECT_TRUE(same_picture(own(load_pcx("vexilo.pcx", loaded)).get(), frame.get()));

    // Links at the file's name and at this process's temporary name.
    std::ofstream("precious") << "untouched";
    const std::string temporary = ".vexilo.pcx." + std::to_string(getpid()) + ".tmp";
    ASSERT_EQ(unlink("vexilo.pcx") + symlink("precious", "vexilo.pcx") + symlink("precious", temporary.c_str()), 0);
    ASSERT_TRUE(save());
    EXPECT_EQ(read_file("precious"), "untouched");
    EXPECT_EQ(files_in("."), 2);

    const mode_t previous = umask(002);
    struct stat info = {};
    EXPECT_TRUE(save() && lstat("vexilo.pcx", &info) == 0 && S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0664);
    umask(previous);
}

// A directory that is missing, one no one may write to (root included), and
// a file size limit failing the write as a full disk would.
TEST_P(screenshot, FailuresKeepTheOldFileAndLeaveNoTemporaryOne)
{
    EXPECT_FALSE(save("missing/vexilo.pcx") || save("/proc/vexilo.pcx"));
    rlimit previous = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const rlimit tiny = {512, previous.rlim_max};
    void (*previous_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    EXPECT_FALSE(save());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
    signal(SIGXFSZ, previous_handler);
    EXPECT_EQ(read_file("vexilo.pcx"), "the old picture");
    EXPECT_EQ(files_in("."), 1);
}

INSTANTIATE_TEST_SUITE_P(both_ways, screenshot,
                         testing::Values(temporary_file::anonymous_first, temporary_file::named_only),
                         [](const auto &info) { return std::string(info.index ? "named" : "anonymous"); });

} // namespace
