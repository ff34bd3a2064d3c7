// The status line's text and where the status line and centre marker land.
#include <gtest/gtest.h>

#include <algorithm>

#include "hud.h"
#include "palette.h"

namespace {

TEST(status_text, FormatsCentreZoomAndLimit)
{
    struct status_case {
        complex_value centre;
        int zoom, limit;
        const char *expected;
    };
    const status_case cases[] = {
        {{-5.0133508455729725e-15, 1.5057399771478686e-15}, 1, 10, "-0.000000 + 0.000000i Zoom=1 i=10"},
        {{0.5, -0.25}, 3, 254, "0.500000 + -0.250000i Zoom=3 i=254"},
        {{-1.25, 0.0000004}, 42, 0, "-1.250000 + 0.000000i Zoom=42 i=0"},
    };
    for (const status_case &c : cases)
        EXPECT_EQ(status_text(c.centre, c.zoom, c.limit), c.expected);
}

// The status line sits in rows 0 ... 7, centred (34 characters: x = 24 ...
// 295); the marker is the one other pixel, at (160, 100).
TEST(draw_hud, StatusLineAtTheTopAndMarkerOnTheCentrePixel)
{
    BITMAP *buffer = create_bitmap(320, 200);
    clear_to_color(buffer, 0);
    draw_hud(buffer, {0.5, -0.25}, 3, 254);
    int leftmost = 320, rightmost = -1, below = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            if (getpixel(buffer, x, y) == 0)
                continue;
            EXPECT_EQ(getpixel(buffer, x, y), HUD_COLOUR);
            if (y >= 8) {
                ++below;
                continue;
            }
            leftmost = std::min(leftmost, x);
            rightmost = std::max(rightmost, x);
        }
    EXPECT_EQ(leftmost, 24);
    EXPECT_LE(rightmost, 295);
    EXPECT_EQ(below, 1);
    EXPECT_EQ(getpixel(buffer, 160, 100), HUD_COLOUR);
    destroy_bitmap(buffer);
}

} // namespace
