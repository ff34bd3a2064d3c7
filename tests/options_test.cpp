// The command line read in-process, and the mode each scale takes on a
// desktop.
#include "helpers.h"
#include "options.h"
#include "screen_mode.h"

namespace {

// Each setting, the later of two, abbreviations, values as digits in range;
// --help and --version where reached; every kind of usage error, named.
TEST(options, ReadLeftToRight)
{
    using enum screen_kind;
    const struct {
        std::vector<std::string> words;
        command what;
        viewer_options options;
        std::string error;
    } cases[] = {
        {{}, command::run, {autodetect, 1, 0}, ""},
        {{"--window", "--scale", "3", "--rate=15"}, command::run, {window, 3, 15}, ""},
        {{"--wi", "--fu", "--sc=auto", "--scale", "16", "--ra", "1000", "--rate", "0"},
         command::run,
         {fullscreen, 16, 0},
         ""},
        {{"--fullscreen", "--window", "--scale=01", "--scale", "auto"}, command::run, {window, SCALE_TO_FIT, 0}, ""},
        {{"--window", "--help", "--bogus"}, command::help, {}, ""},
        {{"--rate", "5", "--vers", "extra"}, command::version, {}, ""},
        {{"--bogus", "--help"}, command::usage_error, {}, "unknown option '--bogus'"},
        {{"-w"}, command::usage_error, {}, "unknown option '-w'"},
        {{"--window=yes"}, command::usage_error, {}, "option '--window' takes no value"},
        {{"--scale"}, command::usage_error, {}, "option '--scale' needs a value"},
        {{"picture.pcx", "--help"}, command::usage_error, {}, "unexpected argument 'picture.pcx'"},
        {{"--", "--help"}, command::usage_error, {}, "unexpected argument '--help'"},
    };
    const auto read = [](std::vector<std::string> words) {
        words.insert(words.begin(), "vexilo");
        std::vector<char *> argv;
        argv.reserve(words.size() + 1);
        for (std::string &word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        return read_command_line(int(words.size()), argv.data());
    };
    for (const auto &[words, what, options, error] : cases) {
        const command_line line = read(words);
        const viewer_options read_options = what == command::run ? line.options : viewer_options{};
        EXPECT_TRUE(line.what == what && line.error == error && read_options.screen == options.screen &&
                    read_options.scale == options.scale && read_options.rate == options.rate)
            << words.size() << " words: " << line.error;
    }
    for (const std::string scale : {"0", "17", "-1", "+2", "2.5", " 2", "0x2", "abc", "", "99999999999999999999"})
        EXPECT_EQ(read({"--scale", scale}).error,
                  "--scale takes a whole number from 1 to 16, or auto, not '" + scale + "'");
    for (const std::string rate : {"1001", "x", "-0", "15 "})
        EXPECT_EQ(read({"--rate=" + rate}).error, "--rate takes a whole number from 0 to 1000, not '" + rate + "'");
}

// The room is the desktop, or 90% of it for a window; auto takes the largest
// scale that fits it, from 1 to 16, 1 where the desktop's size is unknown; an
// unknown room fits anything. Each kind of screen has its driver.
TEST(options, ScaleForTheDesktop)
{
    using enum screen_kind;
    const struct {
        screen_kind screen;
        screen_size desktop, room;
        int fitting;
    } cases[] = {{window, {1920, 1080}, {1728, 972}, 4},       {fullscreen, {1920, 1080}, {1920, 1080}, 5},
                 {autodetect, {3840, 2160}, {3840, 2160}, 10}, {window, {320, 200}, {288, 180}, 1},
                 {autodetect, {9999, 9999}, {9999, 9999}, 16}, {window, {0, 0}, {0, 0}, 1}};
    for (const auto &[screen, desktop, room, fitting] : cases) {
        const screen_size found = room_for(screen, desktop);
        EXPECT_TRUE(found.width == room.width && found.height == room.height) << desktop.width;
        EXPECT_EQ(scale_for(SCALE_TO_FIT, found), fitting) << desktop.width;
        EXPECT_EQ(scale_for(7, found), 7);
    }
    EXPECT_TRUE(fits({1728, 972}, {1728, 972}) && !fits({1729, 972}, {1728, 972}) && !fits({1728, 973}, {1728, 972}) &&
                fits(mode_size(16), {0, 0}));
    EXPECT_TRUE(driver_for(autodetect) == GFX_AUTODETECT && driver_for(window) == GFX_AUTODETECT_WINDOWED &&
                driver_for(fullscreen) == GFX_AUTODETECT_FULLSCREEN);
}

} // namespace
