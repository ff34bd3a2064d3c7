// frame_probe: tells the end-to-end tests whether a picture taken from the
// running viewer (a screen grab or the saved screenshot, decoded to a binary
// PPM by ImageMagick) shows exactly what the viewer's own code draws.
//
//   frame_probe intro PICTURE.ppm
//   frame_probe frame PICTURE.ppm < STATE
//   frame_probe follow PICTURE.ppm KEY < STATES > STATES
//
// A state is a line "LIMIT ZOOM LEFT RIGHT TOP BOTTOM" (hexadecimal floats
// are exact). `follow` replays the frame loop from each state with KEY (down,
// left, right, up, l, k, o or i) held for n = 1, 2, ... passes and prints
// every state of the first run of n whose frame matches: how many passes a
// held key gets depends on the machine's speed, and neighbouring n can give
// the same picture. Pixels are compared through the palette: a displayed
// 8-bit component carries the 6-bit one in its top six bits.
// Exit status 0 on a match, 1 on none, 2 on bad input.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../pixels.h"
#include "fractal/fractal.h"
#include "hud.h"
#include "intro.h"
#include "keys.h"
#include "palette.h"

namespace {

constexpr int MAX_PASSES = 5000;
constexpr size_t PICTURE_BYTES = static_cast<size_t>(FRAME_WIDTH) * FRAME_HEIGHT * 3;

bool read_ppm(const char *path, std::vector<unsigned char> *rgb)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    int width = 0, height = 0, max_value = 0;
    bool ok = std::fscanf(file, "P6 %d %d %d", &width, &height, &max_value) == 3 && std::fgetc(file) != EOF &&
              width == FRAME_WIDTH && height == FRAME_HEIGHT && max_value == 255;
    rgb->resize(PICTURE_BYTES);
    ok = ok && std::fread(rgb->data(), 1, PICTURE_BYTES, file) == PICTURE_BYTES;
    std::fclose(file);
    return ok;
}

bool shows(const std::vector<unsigned char> &rgb, BITMAP *expected, const PALETTE palette)
{
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        for (int x = 0; x < FRAME_WIDTH; ++x) {
            const RGB &want = palette[getpixel(expected, x, y)];
            const unsigned char *got = &rgb[(static_cast<size_t>(y) * FRAME_WIDTH + x) * 3];
            if ((got[0] >> 2) != want.r || (got[1] >> 2) != want.g || (got[2] >> 2) != want.b)
                return false;
        }
    return true;
}

bool read_state(viewer_state *state)
{
    view_window &w = state->window;
    *state = START_STATE;
    return std::scanf("%d %d %la %la %la %la", &state->max_iterations, &state->zoom_count, &w.left, &w.right, &w.top,
                      &w.bottom) == 6;
}

void print_state(const viewer_state &state)
{
    const view_window &w = state.window;
    std::printf("%d %d %a %a %a %a\n", state.max_iterations, state.zoom_count, w.left, w.right, w.top, w.bottom);
}

bool same_window(const view_window &a, const view_window &b)
{
    return same_bits(a.left, b.left) && same_bits(a.right, b.right) && same_bits(a.top, b.top) &&
           same_bits(a.bottom, b.bottom);
}

// Draws the frame the viewer shows for `state` and returns its samples.
view_samples draw_frame(BITMAP *frame, const viewer_state &state)
{
    const view_window &w = state.window;
    const view_samples samples = render_view(frame, state.max_iterations, w.left, w.right, w.top, w.bottom);
    draw_hud(frame, samples.centre, state.zoom_count, state.max_iterations);
    return samples;
}

// Holds `scancode` pass after pass from `state`; prints the states of the
// first run of matching frames and returns how many there were.
int follow(const std::vector<unsigned char> &rgb, int scancode, viewer_state state, BITMAP *frame,
           const PALETTE palette)
{
    int matched = 0;
    view_samples samples = draw_frame(frame, state);
    for (int pass = 1; pass <= MAX_PASSES; ++pass) {
        key[scancode] = 1;
        state.redraw = false;
        const viewer_state next = handle_keys(state, samples, frame, palette);
        key[scancode] = 0;
        if (same_window(next.window, state.window) && next.max_iterations == state.max_iterations &&
            next.zoom_count == state.zoom_count)
            break; // clamped: every later pass gives this same frame
        state = next;
        samples = draw_frame(frame, state);
        if (shows(rgb, frame, palette)) {
            print_state(state);
            ++matched;
        } else if (matched > 0) {
            break;
        }
    }
    return matched;
}

int scancode_of(const char *name)
{
    const struct {
        const char *name;
        int scancode;
    } keys[] = {{"down", KEY_DOWN}, {"left", KEY_LEFT}, {"right", KEY_RIGHT}, {"up", KEY_UP},
                {"l", KEY_L},       {"k", KEY_K},       {"o", KEY_O},         {"i", KEY_I}};
    for (const auto &k : keys)
        if (std::strcmp(k.name, name) == 0)
            return k.scancode;
    return -1;
}

// Answers one command about the picture `rgb`: 0 a match, 1 none, 2 bad input.
int probe(int argc, char **argv, const std::vector<unsigned char> &rgb, BITMAP *frame, const PALETTE palette)
{
    const std::string command = argv[1];
    viewer_state state;
    if (command == "intro") {
        draw_intro(frame);
        return shows(rgb, frame, palette) ? 0 : 1;
    }
    if (command == "frame" && read_state(&state)) {
        draw_frame(frame, state);
        return shows(rgb, frame, palette) ? 0 : 1;
    }
    if (command == "follow" && argc == 4 && scancode_of(argv[3]) >= 0) {
        int matched = 0;
        while (read_state(&state))
            matched += follow(rgb, scancode_of(argv[3]), state, frame, palette);
        return matched > 0 ? 0 : 1;
    }
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<unsigned char> rgb;
    if (argc < 3 || install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0 || !read_ppm(argv[2], &rgb)) {
        std::fprintf(stderr, "usage: frame_probe intro|frame|follow PICTURE.ppm [KEY]\n");
        return 2;
    }
    set_color_depth(8);
    BITMAP *frame = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    if (!frame)
        return 2;
    PALETTE palette;
    build_palette(palette);
    const int status = probe(argc, argv, rgb, frame, palette);
    destroy_bitmap(frame);
    return status;
}
