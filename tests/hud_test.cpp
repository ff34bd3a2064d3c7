// The status line's text and where the status line and centre marker land.
#include <gtest/gtest.h>

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

TEST(draw_hud, CentresTheStatusLineAtTheTopAndMarksTheCentrePixel)
{
    BITMAP *buffer = create_bitmap(320, 200);
    clear_to_color(buffer, 0);
    draw_hud(buffer, {0.5, -0.25}, 3, 254);

    // 34 characters of the 8-pixel font centred on x = 160: x = 24 ... 295,
    // rows 0 ... 7; nothing else but the marker.
    int leftmost = 320, rightmost = -1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const int colour = getpixel(buffer, x, y);
            if (colour == 0)
                continue;
            EXPECT_EQ(colour, HUD_COLOUR);
            if (y >= 8) {
                EXPECT_EQ(x, 160);
                EXPECT_EQ(y, 100);
                continue;
            }
            leftmost = std::min(leftmost, x);
            rightmost = std::max(rightmost, x);
        }
    EXPECT_GE(leftmost, 24);
    EXPECT_LE(rightmost, 295);
    EXPECT_LE(leftmost, 24 + 2) << "the first glyph starts at the line's left edge";
    EXPECT_EQ(getpixel(buffer, 160, 100), HUD_COLOUR);
    destroy_bitmap(buffer);
}

} // namespace
