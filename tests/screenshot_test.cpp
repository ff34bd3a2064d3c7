// The screenshot file, both ways of writing it: what it decodes to, links,
// modes, the flush before the name, and failures that must keep the old
// file and leave no temporary one.
#include "helpers.h"

// The tests' link puts these between the viewer's code and the C library: a
// file may be renamed into place only after an fsync. Both ways of saving
// end with a rename, in the viewer or in the child that names the file.
// NOLINTBEGIN(bugprone-reserved-identifier): the linker's names for them.
extern "C" {
int __real_fsync(int fd);
int __real_rename(const char *from, const char *to);
int fsyncs = 0;
int __wrap_fsync(int fd) { return ++fsyncs, __real_fsync(fd); }
int __wrap_rename(const char *from, const char *to) { return fsyncs ? __real_rename(from, to) : (errno = EIO, -1); }
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

struct screenshot : with_frame, testing::WithParamInterface<temporary_file> {
    bool save(const char *path = "vexilo.pcx") { return save_screenshot(path, frame.get(), palette, GetParam()); }
};

// A failed save (a missing directory, one no one may write to, root
// included, a file size limit failing the write as a full disk would) keeps
// the old file and leaves no temporary one. A save replaces the old file
// whole, flushed before it is named, with what decodes to the frame; it
// replaces links, never writes through them; its mode follows the umask.
TEST_P(screenshot, KeepsTheOldFileOnFailureAndReplacesItWhole)
{
    draw_frame(frame.get(), {{-0.8, -0.7, 0.05, 0.15}, 60, 5, true});
    std::ofstream("vexilo.pcx") << "the old picture";
    EXPECT_FALSE(save("missing/vexilo.pcx") || save("/proc/vexilo.pcx"));
    rlimit previous = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const rlimit tiny = {512, previous.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    EXPECT_FALSE(save());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
    EXPECT_EQ(read_file("vexilo.pcx"), "the old picture");
    EXPECT_EQ(files_in("."), 1);

    fsyncs = 0;
    ASSERT_TRUE(save()) << "failed, or was not flushed before it was named";
    EXPECT_TRUE(same_picture(bitmap_ptr(load_pcx("vexilo.pcx", nullptr)).get(), frame.get()));

    std::ofstream("precious") << "untouched";
    ASSERT_EQ(unlink("vexilo.pcx") + symlink("precious", "vexilo.pcx"), 0);
    const mode_t mask = umask(002);
    struct stat info = {};
    EXPECT_TRUE(save() && lstat("vexilo.pcx", &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0777) == 0664);
    umask(mask);
    EXPECT_EQ(read_file("precious"), "untouched");
    EXPECT_EQ(files_in("."), 2);
}

INSTANTIATE_TEST_SUITE_P(both_ways, screenshot,
                         testing::Values(temporary_file::anonymous_first, temporary_file::named_only),
                         [](const auto &info) { return std::string(info.index ? "named" : "anonymous"); });

} // namespace
