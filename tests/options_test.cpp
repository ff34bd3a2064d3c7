// The command line read in-process, and the screen it gets on a desktop.
#include <sstream>

#include "helpers.h"
#include "options.h"
#include "screen_mode.h"

namespace {

// A desktop: the whole X screen, the video mode, and RandR's monitor at the
// corner and primary.
struct desk {
    screen_size whole;
    screen_size video_mode = {};
    monitor at_corner = {}, primary = {};
    screen_size window_room = {};
};

// What `words` after the program's name get on `desktop`: the driver (auto,
// window or full), the mode, the scale, where the picture goes and the rate,
// or the refusal; "help"; "version"; or the usage error's line.
std::string outcome(std::vector<std::string> words, desk desktop = {{1920, 1080}})
{
    words.insert(words.begin(), "vexilo");
    std::vector<char *> argv(words.size() + 1);
    std::ranges::transform(words, argv.begin(), [](std::string &word) { return word.data(); });
    const command_line line = read_command_line(int(words.size()), argv.data());
    const auto [l, refusal] = choose_screen(
        line.options, desktop.whole, {{}, desktop.video_mode, desktop.at_corner, desktop.primary, desktop.window_room});
    const int drivers[] = {GFX_AUTODETECT, GFX_AUTODETECT_WINDOWED, GFX_AUTODETECT_FULLSCREEN};
    const char *driver = std::array{"auto", "window", "full", "?"}[std::ranges::find(drivers, l.driver) - drivers];
    char run[80];
    std::snprintf(run, sizeof run, "%s %dx%d x%d at %d,%d rate %d", driver, l.mode.width, l.mode.height, l.scale,
                  l.left, l.top, line.options.rate);
    const screenshot_file shot = line.options.screenshot;
    const std::string saves = std::strcmp(shot.path, DEFAULT_SCREENSHOT.path) == 0
                                  ? ""
                                  : std::string(" ") + shot.path + (shot.format == image_format::png ? " png" : " pcx");
    const std::string whats[] = {refusal.empty() ? run + saves : refusal, "help", "version", line.error};
    return whats[int(line.what)];
}

// Each setting, the later of two, abbreviations, values as digits in range;
// --help and --version where reached; every kind of usage error, named. The
// room is the desktop, or 90% of it for a window; auto takes the largest
// scale that fits it, from 1 to 16, 1 where a side of the desktop is
// unknown; a scale over 1 that does not fit a known room is refused, scale 1
// never. Full screen (auto without --scale), or a scale over 1 without a
// window, takes the desktop's own mode, the picture centred; where the
// desktop is unknown or too small, the picture's.
TEST(options, ReadLeftToRightForTheDesktop)
{
    // The words, split at spaces, the desktop, and the outcome.
    const std::tuple<const char *, desk, const char *> cases[] = {
        {"", {{1920, 1080}}, "auto 320x200 x1 at 0,0 rate 0"},
        {"--scale 1 --rate=15", {{1920, 1080}}, "auto 320x200 x1 at 0,0 rate 15"},
        {"--window --scale 3 --rate=15", {{1920, 1080}}, "window 960x600 x3 at 0,0 rate 15"},
        {"--wi --fu --sca=auto --scale 16 --ra 1000 --rate 0",
         {{9999, 9999}},
         "full 9999x9999 x16 at 2439,3399 rate 0"},
        {"--fullscreen --window --scale=01 --scale auto", {{1920, 1080}}, "window 1280x800 x4 at 0,0 rate 0"},
        {"--window --scale=auto", {{1280, 800}}, "window 960x600 x3 at 0,0 rate 0"},
        {"--window", {{1280, 800}}, "window 320x200 x1 at 0,0 rate 0"},
        {"--window --scale=1", {{320, 200}}, "window 320x200 x1 at 0,0 rate 0"},
        {"--fullscreen", {{1920, 1080}}, "full 1920x1080 x5 at 160,40 rate 0"},
        {"--fullscreen --scale=2", {{1920, 1080}}, "full 1920x1080 x2 at 640,340 rate 0"},
        {"--fullscreen --scale=1", {{1920, 1080}}, "full 1920x1080 x1 at 800,440 rate 0"},
        {"--scale=3", {{1920, 1080}}, "full 1920x1080 x3 at 480,240 rate 0"},
        {"--fullscreen --scale=5", {{1600, 1000}}, "full 1600x1000 x5 at 0,0 rate 0"},
        {"--scale=auto", {{9999, 9999}}, "full 9999x9999 x16 at 2439,3399 rate 0"},
        {"--scale=auto", {{1920, 0}}, "auto 320x200 x1 at 0,0 rate 0"},
        {"--scale=7", {{0, 1080}}, "cannot show the picture at 2240x1400: the monitor has room for ?x1080"},
        {"--scale=3", {{0, 1080}}, "auto 960x600 x3 at 0,0 rate 0"},
        {"--fullscreen", {{0, 0}}, "full 320x200 x1 at 0,0 rate 0"},
        {"--fullscreen", {{300, 180}}, "full 320x200 x1 at 0,0 rate 0"},
        {"--fullscreen --scale=5",
         {{1599, 1000}},
         "cannot show the picture at 1600x1000: the monitor has room for 1599x1000"},
        {"--scale=5", {{1600, 999}}, "cannot show the picture at 1600x1000: the monitor has room for 1600x999"},
        {"--window --scale=2", {{320, 200}}, "cannot show the picture at 640x400: the monitor has room for 288x180"},
        // Two monitors one above the other (GNOME's), the full screen
        // centred on the video mode's; a window's room on the primary.
        {"--fullscreen", {{1920, 2160}, {1920, 1080}}, "full 1920x1080 x5 at 160,40 rate 0"},
        // The video mode larger than the monitor at the corner (a size RandR
        // has since changed): the picture within that monitor.
        {"--fullscreen", {{1280, 1200}, {1280, 800}, {{1280, 600}, 0, 0}}, "full 1280x800 x3 at 160,0 rate 0"},
        // ... or smaller: the picture within the library's window.
        {"--fullscreen", {{1280, 1200}, {1280, 600}, {{1280, 800}, 0, 0}}, "full 1280x600 x3 at 160,0 rate 0"},
        {"--scale=6",
         {{1920, 2160}, {1920, 1080}},
         "cannot show the picture at 1920x1200: the monitor has room for 1920x1080"},
        {"--window --scale=auto", {{1920, 2160}, {1920, 1080}}, "window 1280x800 x4 at 0,0 rate 0"},
        {"--window --scale=auto",
         {{4480, 1440}, {1920, 1080}, {}, {{2560, 1440}, 1920, 0}},
         "window 1920x1200 x6 at 0,0 rate 0"},
        // Where the desktop tells a window's room (Windows' work area less
        // the frame), that room whole.
        {"--window --scale=auto",
         {{1920, 1080}, {}, {}, {{1920, 1080}, 0, 0}, {1914, 1001}},
         "window 1600x1000 x5 at 0,0 rate 0"},
        {"--window --scale=5",
         {{1920, 1080}, {}, {}, {{1920, 1080}, 0, 0}, {1914, 999}},
         "cannot show the picture at 1600x1000: the monitor has room for 1914x999"},
        // No video mode (a remote display): the picture on the primary.
        {"--fullscreen", {{3840, 1080}, {}, {}, {{1920, 1080}, 1920, 0}}, "full 3840x1080 x5 at 2080,40 rate 0"},
        // The screenshot's format from its name's ending, any case; a
        // folder that is not there is S's failure, not the command line's.
        {"--screenshot shot.PNG", {{1920, 1080}}, "auto 320x200 x1 at 0,0 rate 0 shot.PNG png"},
        {"--screenshot=no/x.png --scr a.Pcx", {{1920, 1080}}, "auto 320x200 x1 at 0,0 rate 0 a.Pcx pcx"},
        {"--screenshot", {}, "option '--screenshot' needs a value"},
        {"--window --help --bogus", {}, "help"},
        {"--rate 5 --vers extra", {}, "version"},
        {"--bogus --help", {}, "unknown option '--bogus'"},
        {"--sc=3", {}, "option '--sc' is ambiguous; possibilities: '--scale' '--screenshot'"},
        {"-w", {}, "unknown option '-w'"},
        {"--window=yes", {}, "option '--window' takes no value"},
        {"--scale", {}, "option '--scale' needs a value"},
        {"picture.pcx --help", {}, "unexpected argument 'picture.pcx'"},
        {"-- --help", {}, "unexpected argument '--help'"},
    };
    for (const auto &[line, desktop, expected] : cases) {
        std::istringstream words(line);
        EXPECT_EQ(outcome({std::istream_iterator<std::string>(words), {}}, desktop), expected) << line;
    }
    for (const std::string scale : {"0", "17", "-1", "+2", "2.5", " 2", "0x2", "abc", "", "99999999999999999999"})
        EXPECT_EQ(outcome({"--scale=" + scale}),
                  "--scale takes a whole number from 1 to 16, or auto, not '" + scale + "'");
    for (const std::string name : {"", "png", "x.jpg", "x.png/", "x.pcx.gz", "x.pn"})
        EXPECT_EQ(outcome({"--screenshot=" + name}),
                  "--screenshot takes a file name ending in .pcx or .png, not '" + name + "'");
    for (const std::string rate : {"1001", "x", "-0", "15 ", ""})
        EXPECT_EQ(outcome({"--rate=" + rate}), "--rate takes a whole number from 0 to 1000, not '" + rate + "'");
}

} // namespace
