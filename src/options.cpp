// Reads the command line, and answers --help, --version and usage errors.
#include "options.h"

#include <allegro.h>
#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console.h"

namespace {

// Values past any character, so that getopt_long's `optopt` never mistakes
// a long option for a short one.
enum option_code : std::uint16_t { WINDOW = 256, FULLSCREEN, SCALE, RATE, SCREENSHOT, HELP, VERSION };

constexpr option LONG_OPTIONS[] = {{"window", no_argument, nullptr, WINDOW},
                                   {"fullscreen", no_argument, nullptr, FULLSCREEN},
                                   {"scale", required_argument, nullptr, SCALE},
                                   {"rate", required_argument, nullptr, RATE},
                                   {"screenshot", required_argument, nullptr, SCREENSHOT},
                                   {"help", no_argument, nullptr, HELP},
                                   {"version", no_argument, nullptr, VERSION},
                                   {nullptr, 0, nullptr, 0}};

// '-': arguments that are not options come back in their place, as 1;
// ':': a missing value comes back as ':' and getopt_long prints nothing.
constexpr const char *SHORT_OPTIONS = "-:";

// A summary: the manual page, vexilo(1), is the full reference.
constexpr const char *HELP_TEXT = R"(Usage: vexilo [OPTION]...
Explore the Mandelbrot set with the keyboard, 320 x 200 pixels in 256 colours.
With no option, vexilo runs as it always has: the screen the Allegro library
picks, the picture 1:1, a held key acting on every pass of the loop.

Options:
  --window           show the picture in a window
  --fullscreen       the whole screen in the monitor's own mode, the picture
                     as large as fits one monitor, black around
  --scale N          every pixel an N x N block, N from 1 to %d; a picture too
                     large for its monitor is refused
  --scale auto       the largest N that fits (in a window, 90%% of the monitor)
  --rate N           a press acts once, at once; a held key acts N times a
                     second after the desktop's repeat delay (0 to %d; 0, the
                     default: on every pass)
  --screenshot FILE  S saves FILE, a PCX or a PNG picture as its name ends
                     (.pcx or .png); without it, vexilo.pcx
  --help             show this help and exit
  --version          show the version and exit

Keys: the arrows move the view, O zooms in, I zooms out, L and K raise and
lower the iteration limit, S saves the picture, Escape quits (so does the
close button, with --window).

The desktop entry starts vexilo --window --scale auto --rate 15 --screenshot
vexilo.png. More in the README, and on Linux in the manual page, vexilo(1).
)";

// The long option of `code`: the table's last entry, of no name, where none
// is.
const option &option_of(int code)
{
    for (const option &known : LONG_OPTIONS)
        if (known.val == code)
            return known;
    return LONG_OPTIONS[std::size(LONG_OPTIONS) - 1];
}

std::string name_of(int code) { return option_of(code).name ? option_of(code).name : ""; }

// Why getopt_long refused `word`: unknown, or the abbreviation of several
// options ("option '--sc' is ambiguous; possibilities: '--scale'
// '--screenshot'", as getopt's own message says).
std::string unknown_or_ambiguous(const std::string &word)
{
    const std::string name = word.substr(0, word.find('='));
    std::string possible;
    int count = 0;
    for (const option &known : LONG_OPTIONS)
        if (known.name && name.size() > 2 && name.starts_with("--") &&
            std::string(known.name).starts_with(name.substr(2)))
            possible += std::string(" '--") + known.name + "'", ++count;
    if (count > 1)
        return "option '" + name + "' is ambiguous; possibilities:" + possible;
    return "unknown option '" + word + "'";
}

// `text` as a number from `least` to `most`: ASCII digits only, no sign,
// space, point or prefix.
bool read_number(const char *text, int least, int most, int *number)
{
    long value = 0;
    for (const char *digit = text; *digit; ++digit) {
        if (*digit < '0' || *digit > '9')
            return false;
        value = value * 10 + (*digit - '0');
        if (value > most)
            return false;
    }
    *number = static_cast<int>(value);
    return *text != '\0' && value >= least;
}

command_line refused(std::string error) { return {command::usage_error, DEFAULT_OPTIONS, std::move(error)}; }

} // namespace

command_line read_command_line(int argc, char *argv[])
{
    viewer_options options = DEFAULT_OPTIONS;
    optind = 0; // starts getopt_long afresh, as for a new command line
    opterr = 0;
    for (int code; (code = getopt_long(argc, argv, SHORT_OPTIONS, LONG_OPTIONS, nullptr)) != -1;) {
        const std::string value = optarg ? optarg : "";
        switch (code) {
        case WINDOW:
            options.screen = screen_kind::window;
            break;
        case FULLSCREEN:
            options.screen = screen_kind::fullscreen;
            break;
        case SCALE:
            if (value == "auto")
                options.scale = SCALE_TO_FIT;
            else if (!read_number(value.c_str(), 1, MAX_SCALE, &options.scale))
                return refused("--scale takes a whole number from 1 to " + std::to_string(MAX_SCALE) +
                               ", or auto, not '" + value + "'");
            break;
        case RATE:
            if (!read_number(value.c_str(), 0, MAX_RATE, &options.rate))
                return refused("--rate takes a whole number from 0 to " + std::to_string(MAX_RATE) + ", not '" + value +
                               "'");
            break;
        case SCREENSHOT:
            if (!format_of(optarg, &options.screenshot.format))
                return refused("--screenshot takes a file name ending in .pcx or .png, not '" + value + "'");
            options.screenshot.path = optarg;
            break;
        case HELP:
            return {command::help, options, ""};
        case VERSION:
            return {command::version, options, ""};
        case 1:
            return refused("unexpected argument '" + value + "'");
        case ':': // MinGW-w64's getopt_long says so of an unwanted value too
            if (option_of(optopt).has_arg == no_argument)
                return refused("option '--" + name_of(optopt) + "' takes no value");
            return refused("option '--" + name_of(optopt) + "' needs a value");
        default: // '?': unknown, ambiguous, or given a value it does not take
            if (optopt >= WINDOW)
                return refused("option '--" + name_of(optopt) + "' takes no value");
            if (optopt != 0)
                return refused(std::string("unknown option '-") + char(optopt) + "'");
            return refused(unknown_or_ambiguous(argv[optind - 1]));
        }
    }
    // After "--", everything is an argument.
    if (optind < argc)
        return refused(std::string("unexpected argument '") + argv[optind] + "'");
    return {command::run, options, ""};
}

int answer_command_line(const command_line &line)
{
    if (line.what == command::usage_error) {
        tell_the_user("vexilo: " + line.error + "; try 'vexilo --help'");
        return 2;
    }
    if (line.what == command::help)
        std::printf(HELP_TEXT, MAX_SCALE, MAX_RATE);
    else
        std::printf("vexilo %s\nbuilt with Allegro %s (%s)\n", VEXILO_VERSION, ALLEGRO_VERSION_STR,
                    ALLEGRO_PLATFORM_STR);
    // A full disk or a closed pipe must not pass for an answer given.
    if (std::fflush(stdout) != 0) {
        tell_the_user(std::string("vexilo: cannot write to standard output: ") + std::strerror(errno));
        return 1;
    }
    return 0;
}
