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
        {{}, "run 0 -1 0"},
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
        EXPECT_EQ(read({"--scale=" + scale}),
                  "--scale takes a whole number from 1 to 16, or auto, not '" + scale + "'");
    for (const std::string rate : {"1001", "x", "-0", "15 ", ""})
        EXPECT_EQ(read({"--rate=" + rate}), "--rate takes a whole number from 0 to 1000, not '" + rate + "'");
}

// What `options` get on a desktop of `desktop`: the driver (auto, window or
// full), the mode, the scale and where the picture goes; or the refusal.
std::string screen_for(viewer_options options, screen_size desktop)
{
    const screen_choice choice = choose_screen(options, desktop);
    const screen_layout &l = choice.layout;
    const char *driver = l.driver == GFX_AUTODETECT_WINDOWED     ? "window"
                         : l.driver == GFX_AUTODETECT_FULLSCREEN ? "full"
                         : l.driver == GFX_AUTODETECT            ? "auto"
                                                                 : "?";
    char text[80];
    std::snprintf(text, sizeof text, "%s %dx%d x%d at %d,%d", driver, l.mode.width, l.mode.height, l.scale, l.left,
                  l.top);
    return choice.refusal.empty() ? text : choice.refusal;
}

// The room is the desktop, or 90% of it for a window; auto takes the largest
// scale that fits it, from 1 to 16, 1 where a side of the desktop is
// unknown; a scale over 1 that does not fit a known room is refused, scale 1
// never. Full screen (auto without --scale), or a scale over 1 without a
// window, takes the desktop's own mode, the picture centred; where the
// desktop is unknown or too small, the picture's.
TEST(options, ScreenForTheDesktop)
{
    using enum screen_kind;
    const std::tuple<viewer_options, screen_size, std::string> cases[] = {
        {DEFAULT_OPTIONS, {1920, 1080}, "auto 320x200 x1 at 0,0"},
        {{autodetect, 1, 15}, {1920, 1080}, "auto 320x200 x1 at 0,0"},
        {{window, SCALE_TO_FIT, 15}, {1920, 1080}, "window 1280x800 x4 at 0,0"},
        {{window, SCALE_TO_FIT, 0}, {1280, 800}, "window 960x600 x3 at 0,0"},
        {{window, DEFAULT_SCALE, 0}, {1280, 800}, "window 320x200 x1 at 0,0"},
        {{fullscreen, DEFAULT_SCALE, 0}, {1920, 1080}, "full 1920x1080 x5 at 160,40"},
        {{fullscreen, 2, 0}, {1920, 1080}, "full 1920x1080 x2 at 640,340"},
        {{fullscreen, 1, 0}, {1920, 1080}, "full 1920x1080 x1 at 800,440"},
        {{autodetect, 3, 0}, {1920, 1080}, "full 1920x1080 x3 at 480,240"},
        {{autodetect, SCALE_TO_FIT, 0}, {3840, 2160}, "full 3840x2160 x10 at 320,80"},
        {{autodetect, SCALE_TO_FIT, 0}, {9999, 9999}, "full 9999x9999 x16 at 2439,3399"},
        {{fullscreen, 5, 0}, {1600, 1000}, "full 1600x1000 x5 at 0,0"},
        {{window, SCALE_TO_FIT, 0}, {320, 200}, "window 320x200 x1 at 0,0"},
        {{window, SCALE_TO_FIT, 0}, {0, 0}, "window 320x200 x1 at 0,0"},
        {{autodetect, SCALE_TO_FIT, 0}, {1920, 0}, "auto 320x200 x1 at 0,0"},
        {{autodetect, 7, 0}, {0, 1080}, "auto 2240x1400 x7 at 0,0"},
        {{fullscreen, DEFAULT_SCALE, 0}, {0, 0}, "full 320x200 x1 at 0,0"},
        {{fullscreen, DEFAULT_SCALE, 0}, {300, 180}, "full 320x200 x1 at 0,0"},
        {{fullscreen, 5, 0}, {1599, 1000}, "cannot show the picture at 1600x1000: the desktop has room for 1599x1000"},
        {{autodetect, 5, 0}, {1600, 999}, "cannot show the picture at 1600x1000: the desktop has room for 1600x999"},
        {{window, 2, 0}, {320, 200}, "cannot show the picture at 640x400: the desktop has room for 288x180"},
        {{window, 1, 0}, {320, 200}, "window 320x200 x1 at 0,0"},
    };
    for (const auto &[options, desktop, expected] : cases)
        EXPECT_EQ(screen_for(options, desktop), expected) << desktop.width << "x" << desktop.height;
}

} // namespace
