// The command line: options that fit the viewer to today's desktops (a
// window, a larger picture, a pace for held keys, a screenshot today's
// programs open), --help and --version.
// With none of them the viewer runs as it always has.
#pragma once

#include <cstdint>
#include <string>

#include "screenshot.h"

// Which of the library's graphics drivers to ask for.
enum class screen_kind : std::uint8_t { autodetect, window, fullscreen };

constexpr int MAX_SCALE = 16;     // --scale 1 ... 16
constexpr int SCALE_TO_FIT = 0;   // --scale auto: the largest that fits the desktop
constexpr int DEFAULT_SCALE = -1; // no --scale: 1, or SCALE_TO_FIT with --fullscreen
constexpr int MAX_RATE = 1000;    // --rate 0 ... 1000
constexpr int UNLIMITED_RATE = 0; // no wait between passes

struct viewer_options {
    screen_kind screen;
    int scale;                  // each frame pixel an N x N block on screen, SCALE_TO_FIT or DEFAULT_SCALE
    int rate;                   // held keys act this many times a second, or UNLIMITED_RATE
    screenshot_file screenshot; // what S writes
};

constexpr viewer_options DEFAULT_OPTIONS = {screen_kind::autodetect, DEFAULT_SCALE, UNLIMITED_RATE, DEFAULT_SCREENSHOT};

// What the command line asks for.
enum class command : std::uint8_t { run, help, version, usage_error };

struct command_line {
    command what;
    viewer_options options; // for `run`
    std::string error;      // for `usage_error`: one line naming what was wrong
};

// Reads `argv` left to right with getopt_long (long options, unambiguous
// abbreviations, values as "--scale 3" or "--scale=3"); a setting given twice
// takes the later value. --help or --version, once reached, ends the reading;
// an unknown option, a missing or unwanted value, a value that is not plain
// ASCII digits in range, a screenshot's name that does not end in .pcx or
// .png, or an argument that is not an option, met before it, is a usage
// error. The screenshot's name points into `argv`.
command_line read_command_line(int argc, char *argv[]);

// Carries out what is not `run`: help or version on stdout (status 0, or 1
// with a line on stderr where stdout cannot take them), or the error and a
// pointer to --help on stderr (status 2). Returns the exit status.
int answer_command_line(const command_line &line);
