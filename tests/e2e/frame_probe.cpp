// frame_probe: tells the end-to-end tests whether a picture taken from the
// running viewer (a screen grab or the saved screenshot, decoded to a binary
// PPM by an independent reader) shows exactly what the viewer's own code
// draws for a given state.
//
//   frame_probe intro PICTURE.ppm
//   frame_probe frame PICTURE.ppm LIMIT ZOOM LEFT RIGHT TOP BOTTOM
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
                         "       frame_probe frame PICTURE.ppm LIMIT ZOOM LEFT RIGHT TOP BOTTOM\n");
    return 2;
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

    if (std::strcmp(argv[1], "intro") == 0 && argc == 3) {
        draw_intro(expected);
    } else if (std::strcmp(argv[1], "frame") == 0 && argc == 9) {
        int limit = 0, zoom = 0;
        double left = 0, right = 0, top = 0, bottom = 0;
        if (!parse_int(argv[3], &limit) || !parse_int(argv[4], &zoom) || !parse_double(argv[5], &left) ||
            !parse_double(argv[6], &right) || !parse_double(argv[7], &top) || !parse_double(argv[8], &bottom))
            return usage();
        const view_samples samples = render_view(expected, limit, left, right, top, bottom);
        draw_hud(expected, samples.centre, zoom, limit);
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
