// The screenshot file: what it decodes to, and that no failure or link ever
// damages an earlier file or leaves a temporary file behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "fractal/fractal.h"
#include "hud.h"
#include "palette.h"
#include "pixels.h"
#include "screenshot.h"

namespace {

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Every case runs both ways of reaching the directory.
class screenshot_test : public testing::TestWithParam<temporary_file> {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vexilo-shot-XXXXXX";
        directory = mkdtemp(pattern);
        target = directory + "/vexilo.pcx";
        frame = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
        build_palette(palette);
        // A frame as the viewer shows it: picture, status line, marker.
        const view_samples samples = render_view(frame, 60, -0.8, -0.7, 0.05, 0.15);
        draw_hud(frame, samples.centre, 5, 60);
    }

    void TearDown() override
    {
        destroy_bitmap(frame);
        std::filesystem::remove_all(directory);
    }

    // The names in a directory, dot files included.
    static std::set<std::string> entries(const std::string &where)
    {
        std::set<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(where))
            names.insert(entry.path().filename().string());
        return names;
    }

    bool save(const std::string &path) { return save_screenshot(path.c_str(), frame, palette, GetParam()); }

    std::string directory, target;
    BITMAP *frame = nullptr;
    PALETTE palette;
};

TEST_P(screenshot_test, DecodesToTheFrameAndPalette)
{
    ASSERT_TRUE(save(target));
    PALETTE loaded_palette;
    BITMAP *loaded = load_pcx(target.c_str(), loaded_palette);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(count_differing_pixels(loaded, frame), 0);
    EXPECT_EQ(getpixel(loaded, 160, 100), HUD_COLOUR);
    for (int i = 0; i < PAL_SIZE; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(loaded_palette[i].r, palette[i].r);
        EXPECT_EQ(loaded_palette[i].g, palette[i].g);
        EXPECT_EQ(loaded_palette[i].b, palette[i].b);
    }
    destroy_bitmap(loaded);
    EXPECT_EQ(entries(directory), std::set<std::string>{"vexilo.pcx"});
}

TEST_P(screenshot_test, ReplacesAnEarlierFileWhole)
{
    write_file(target, std::string(300000, 'x'));
    ASSERT_TRUE(save(target));
    const std::string saved = read_file(target);
    EXPECT_LT(saved.size(), 300000u);
    EXPECT_EQ(saved[0], 10) << "a PCX file starts with 10";
    EXPECT_EQ(entries(directory), std::set<std::string>{"vexilo.pcx"});
}

TEST_P(screenshot_test, ReplacesALinkAndLeavesItsTargetAlone)
{
    const std::string victim = directory + "/precious.txt";
    write_file(victim, "do not overwrite");
    ASSERT_EQ(symlink("precious.txt", target.c_str()), 0);
    ASSERT_TRUE(save(target));
    struct stat info;
    ASSERT_EQ(lstat(target.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << "the link should have been replaced by a file";
    EXPECT_EQ(read_file(victim), "do not overwrite");

    // A dangling link must not create its target either.
    ASSERT_EQ(unlink(target.c_str()), 0);
    ASSERT_EQ(symlink("created-through-link", target.c_str()), 0);
    ASSERT_TRUE(save(target));
    EXPECT_EQ(entries(directory), (std::set<std::string>{"precious.txt", "vexilo.pcx"}));
}

TEST_P(screenshot_test, NewFileGetsTheUmaskMode)
{
    for (mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        const mode_t previous = umask(mask);
        const bool saved = save(target);
        umask(previous);
        ASSERT_TRUE(saved);
        struct stat info;
        ASSERT_EQ(stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
}

TEST_P(screenshot_test, FailuresLeaveNoFileBehind)
{
    // No such directory; a directory no one may write to, root included.
    EXPECT_FALSE(save(directory + "/missing/vexilo.pcx"));
    EXPECT_FALSE(save("/proc/vexilo.pcx"));

    // A directory standing where the file would go: the temporary file is
    // written, the rename fails, and the temporary file must go.
    ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
    EXPECT_FALSE(save(target));
    EXPECT_EQ(entries(directory), std::set<std::string>{"vexilo.pcx"});
    EXPECT_TRUE(entries(target).empty());

    // A directory the user may not write to (root may write anywhere).
    if (geteuid() != 0) {
        const std::string locked = directory + "/locked";
        ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
        EXPECT_FALSE(save(locked + "/vexilo.pcx"));
        EXPECT_TRUE(entries(locked).empty());
    }
}

// A kill between naming the temporary file and renaming it would leave the
// name behind; the process that gets the same id later clears it, and a link
// planted at that name is removed, never written through.
TEST_P(screenshot_test, ClearsAnOldTemporaryNameOfItsOwnId)
{
    const std::string leftover = directory + "/.vexilo.pcx." + std::to_string(getpid()) + ".tmp";
    for (bool planted_link : {false, true}) {
        SCOPED_TRACE(planted_link ? "link" : "file");
        const std::string victim = directory + "/victim";
        write_file(victim, "untouched");
        if (planted_link)
            ASSERT_EQ(symlink("victim", leftover.c_str()), 0);
        else
            write_file(leftover, "left over by a dead process");
        ASSERT_TRUE(save(target));
        EXPECT_EQ(entries(directory), (std::set<std::string>{"victim", "vexilo.pcx"}));
        EXPECT_EQ(read_file(victim), "untouched");
        EXPECT_EQ(read_file(target)[0], 10);
    }
}

// A file size limit makes every write past it fail, as a full disk would.
TEST_P(screenshot_test, AFailedWriteKeepsTheOldFile)
{
    write_file(target, "the old picture");
    struct rlimit previous;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    void (*previous_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = previous;
    tiny.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);

    const bool saved = save(target);

    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
    signal(SIGXFSZ, previous_handler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(read_file(target), "the old picture");
    EXPECT_EQ(entries(directory), std::set<std::string>{"vexilo.pcx"});
}

INSTANTIATE_TEST_SUITE_P(both_ways, screenshot_test,
                         testing::Values(temporary_file::anonymous_first, temporary_file::named_only),
                         [](const testing::TestParamInfo<temporary_file> &info) {
                             return info.param == temporary_file::anonymous_first ? std::string("anonymous")
                                                                                  : std::string("named");
                         });

} // namespace
