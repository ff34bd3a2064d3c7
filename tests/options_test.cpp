// The command line read in-process, and the mode each scale takes on a
// desktop.
#include "helpers.h"
#include "options.h"
#include "screen_mode.h"

namespace {

// What `words` after the program's name ask for: "run", the screen, scale
// and rate; "help"; "version"; or the usage error's line.
std::string read(std::vector<std::string> words)
{
    words.insert(words.begin(), "vexilo");
    std::vector<char *> argv(words.size() + 1);
    std::ranges::transform(words, argv.begin(), [](std::string &word) { return word.data(); });
    const command_line line = read_command_line(int(words.size()), argv.data());
    char run[40];
    std::snprintf(run, sizeof run, "run %d %d %d", int(line.options.screen), line.options.scale, line.options.rate);
    const std::string whats[] = {run, "help", "version", line.error};
    return whats[int(line.what)];
}

// Each setting (screens: 0 autodetect, 1 window, 2 full screen; scale 0:
// auto), the later of two, abbreviations, values as digits in range;
// --help and --version where reached; every kind of usage error, named.
TEST(options, ReadLeftToRight)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "run 0 1 0"},
        {{"--window", "--scale", "3", "--rate=15"}, "run 1 3 15"},
        {{"--wi", "--fu", "--sc=auto", "--scale", "16", "--ra", "1000", "--rate", "0"}, "run 2 16 0"},
        {{"--fullscreen", "--window", "--scale=01", "--scale", "auto"}, "run 1 0 0"},
        {{"--window", "--help", "--bogus"}, "help"},
        {{"--rate", "5", "--vers", "extra"}, "version"},
        {{"--bogus", "--help"}, "unknown option '--bogus'"},
        {{"-w"}, "unknown option '-w'"},
        {{"--window=yes"}, "option '--window' takes no value"},
        {{"--scale"}, "option '--scale' needs a value"},
        {{"picture.pcx", "--help"}, "unexpected argument 'picture.pcx'"},
        {{"--", "--help"}, "unexpected argument '--help'"},
    };
    for (const auto &[words, expected] : cases)
        EXPECT_EQ(read(words), expected) << words.size() << " words";
    for (const std::string scale : {"0", "17", "-1", "+2", "2.5", " 2", "0x2", "abc", "", "99999999999999999999"})
        EXPECT_EQ(read({"--scale", scale}), "--scale takes a whole number from 1 to 16, or auto, not '" + scale + "'");
    for (const std::string rate : {"1001", "x", "-0", "15 "})
        EXPECT_EQ(read({"--rate=" + rate}), "--rate takes a whole number from 0 to 1000, not '" + rate + "'");
}

// The room is the desktop, or 90% of it for a window; auto takes the largest
// scale that fits it, from 1 to 16, 1 where the desktop's size is unknown; an
// unknown room fits anything.
TEST(options, ScaleForTheDesktop)
{
    using enum screen_kind;
    const std::tuple<screen_kind, screen_size, screen_size, int> cases[] = {
        {window, {1920, 1080}, {1728, 972}, 4},       {fullscreen, {1920, 1080}, {1920, 1080}, 5},
        {autodetect, {3840, 2160}, {3840, 2160}, 10}, {window, {320, 200}, {288, 180}, 1},
        {autodetect, {9999, 9999}, {9999, 9999}, 16}, {window, {0, 0}, {0, 0}, 1}};
    for (const auto &[screen, desktop, room, fitting] : cases) {
        const screen_size found = room_for(screen, desktop);
        EXPECT_TRUE(found.width == room.width && found.height == room.height && scale_for(7, found) == 7 &&
                    scale_for(SCALE_TO_FIT, found) == fitting)
            << desktop.width;
    }
    EXPECT_TRUE(fits({1728, 972}, {1728, 972}) && !fits({1729, 972}, {1728, 972}) && !fits({1728, 973}, {1728, 972}) &&
                fits(mode_size(16), {0, 0}));
}

} // namespace
