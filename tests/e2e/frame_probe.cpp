// frame_probe: tells the end-to-end tests whether a picture taken from the
// running viewer (a screen grab or the saved screenshot, decoded to a binary
// PPM by an independent reader) shows exactly what the viewer's own code
// draws for a given state.
//
//   frame_probe intro PICTURE.ppm
//   frame_probe frame PICTURE.ppm LIMIT ZOOM LEFT RIGHT TOP BOTTOM
//   frame_probe follow PICTURE.ppm KEY < STATES > STATES
//
// A state is a line "LIMIT ZOOM LEFT RIGHT TOP BOTTOM". `follow` replays the
// frame loop from each state read on stdin with KEY (down, left, right, up,
// l, k, o or i) held for n passes, n = 1, 2, ..., and prints every state
// whose frame matches the picture. How many passes a held key gets depends
// on the machine's speed, so the tests ask "some n", not a fixed one; and
// since neighbouring n can give the same picture (a zoom-out held for a while
// drifts by a few ulps a pass), all of them are kept for the next step.
//
// Coordinates are C floating-point literals (hexadecimal ones are exact).
// Pixels are compared through the palette: a displayed 8-bit component
// carries the palette's 6-bit one in its top six bits. Exit status 0 on a
// match, 1 on a mismatch (with a count on stderr), 2 on bad input.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fractal/fractal.h"
#include "hud.h"
#include "intro.h"
#include "keys.h"
#include "palette.h"

namespace {

struct rgb_picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

bool read_ppm(const char *path, rgb_picture *picture)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    int max_value = 0;
    const bool header_ok = std::fscanf(file, "P6 %d %d %d", &picture->width, &picture->height, &max_value) == 3 &&
                           std::fgetc(file) != EOF && max_value == 255 && picture->width > 0 && picture->height > 0;
    bool ok = false;
    if (header_ok) {
        picture->rgb.resize(static_cast<size_t>(picture->width) * picture->height * 3);
        ok = std::fread(picture->rgb.data(), 1, picture->rgb.size(), file) == picture->rgb.size();
    }
    std::fclose(file);
    return ok;
}

// Number of pixels of `picture` that do not show `expected` through `palette`.
int mismatches(const rgb_picture &picture, BITMAP *expected, const PALETTE palette)
{
    if (picture.width != FRAME_WIDTH || picture.height != FRAME_HEIGHT)
        return FRAME_WIDTH * FRAME_HEIGHT;
    int wrong = 0;
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        for (int x = 0; x < FRAME_WIDTH; ++x) {
            const RGB &want = palette[getpixel(expected, x, y)];
            const unsigned char *got = &picture.rgb[(static_cast<size_t>(y) * FRAME_WIDTH + x) * 3];
            if ((got[0] >> 2) != want.r || (got[1] >> 2) != want.g || (got[2] >> 2) != want.b)
                ++wrong;
        }
    return wrong;
}

bool parse_double(const char *text, double *value)
{
    char *end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool parse_int(const char *text, int *value)
{
    char *end = nullptr;
    *value = static_cast<int>(std::strtol(text, &end, 10));
    return end != text && *end == '\0';
}

int usage()
{
    std::fprintf(stderr, "usage: frame_probe intro PICTURE.ppm\n"
                         "       frame_probe frame PICTURE.ppm LIMIT ZOOM LEFT RIGHT TOP BOTTOM\n"
                         "       frame_probe follow PICTURE.ppm KEY < STATES\n");
    return 2;
}

struct key_name {
    const char *name;
    int scancode;
};

constexpr key_name COMMAND_KEYS[] = {{"down", KEY_DOWN}, {"left", KEY_LEFT}, {"right", KEY_RIGHT},
                                     {"up", KEY_UP},     {"l", KEY_L},       {"k", KEY_K},
                                     {"o", KEY_O},       {"i", KEY_I}};

int scancode_of(const char *name)
{
    for (const key_name &k : COMMAND_KEYS)
        if (std::strcmp(k.name, name) == 0)
            return k.scancode;
    return -1;
}

bool parse_state(char **args, viewer_state *state)
{
    view_window &w = state->window;
    state->redraw = true;
    return parse_int(args[0], &state->max_iterations) && parse_int(args[1], &state->zoom_count) &&
           parse_double(args[2], &w.left) && parse_double(args[3], &w.right) && parse_double(args[4], &w.top) &&
           parse_double(args[5], &w.bottom);
}

// Draws the frame the viewer shows for `state` and returns its samples.
view_samples draw_frame(BITMAP *frame, const viewer_state &state)
{
    const view_window &w = state.window;
    const view_samples samples = render_view(frame, state.max_iterations, w.left, w.right, w.top, w.bottom);
    draw_hud(frame, samples.centre, state.zoom_count, state.max_iterations);
    return samples;
}

constexpr int MAX_PASSES = 5000;

bool same_state(const viewer_state &a, const viewer_state &b)
{
    return a.max_iterations == b.max_iterations && a.zoom_count == b.zoom_count && a.window.left == b.window.left &&
           a.window.right == b.window.right && a.window.top == b.window.top && a.window.bottom == b.window.bottom;
}

void print_state(const viewer_state &state)
{
    const view_window &w = state.window;
    std::printf("%d %d %a %a %a %a\n", state.max_iterations, state.zoom_count, w.left, w.right, w.top, w.bottom);
}

// Holds `scancode` pass after pass from `state` and prints the states of the
// first run of passes whose frames match the picture. Returns how many.
int follow_one(const rgb_picture &picture, int scancode, viewer_state state, BITMAP *frame, const PALETTE palette)
{
    int matched = 0;
    view_samples samples = draw_frame(frame, state);
    for (int pass = 1; pass <= MAX_PASSES; ++pass) {
        key[scancode] = 1;
        state.redraw = false;
        const viewer_state next = handle_keys(state, samples, frame, palette);
        key[scancode] = 0;
        if (same_state(next, state))
            break;  // clamped: every later pass gives this same frame
        state = next;
        samples = draw_frame(frame, state);
        if (mismatches(picture, frame, palette) == 0) {
            print_state(state);
            ++matched;
        } else if (matched > 0) {
            break;
        }
    }
    return matched;
}

int follow(const rgb_picture &picture, int scancode, BITMAP *frame, const PALETTE palette)
{
    int matched = 0;
    char line[512];
    while (std::fgets(line, sizeof line, stdin)) {
        char *fields[6];
        int count = 0;
        for (char *field = std::strtok(line, " \n"); field && count < 6; field = std::strtok(nullptr, " \n"))
            fields[count++] = field;
        viewer_state state = START_STATE;
        if (count != 6 || !parse_state(fields, &state))
            return usage();
        matched += follow_one(picture, scancode, state, frame, palette);
    }
    if (matched == 0)
        std::fprintf(stderr, "frame_probe: no number of passes gives the picture\n");
    return matched > 0 ? 0 : 1;
}


} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0)
        return 2;
    set_color_depth(8);
    BITMAP *expected = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    PALETTE palette;
    build_palette(palette);

    rgb_picture picture;
    if (!expected || !read_ppm(argv[2], &picture)) {
        std::fprintf(stderr, "frame_probe: cannot read %s\n", argv[2]);
        return 2;
    }

    viewer_state state = START_STATE;
    if (std::strcmp(argv[1], "intro") == 0 && argc == 3) {
        draw_intro(expected);
    } else if (std::strcmp(argv[1], "frame") == 0 && argc == 9 && parse_state(argv + 3, &state)) {
        draw_frame(expected, state);
    } else if (std::strcmp(argv[1], "follow") == 0 && argc == 4 && scancode_of(argv[3]) >= 0) {
        return follow(picture, scancode_of(argv[3]), expected, palette);
    } else {
        return usage();
    }

    const int wrong = mismatches(picture, expected, palette);
    destroy_bitmap(expected);
    if (wrong != 0) {
        std::fprintf(stderr, "frame_probe: %d pixels differ\n", wrong);
        return 1;
    }
    return 0;
}
