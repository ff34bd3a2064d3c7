// The frame renderer: the exact sample values the viewer builds on, where the
// first column and row sample, orientation, and which indices it writes.
#include <gtest/gtest.h>

#include <set>

#include "fractal/fractal.h"
#include "pixels.h"

namespace {

void expect_same_bits(complex_value got, double re, double im)
{
    EXPECT_EQ(got.re, re) << std::hexfloat << got.re << " vs " << re;
    EXPECT_EQ(got.im, im) << std::hexfloat << got.im << " vs " << im;
}

TEST(render_view, StartWindowSamplesAreTheAccumulatedValues)
{
    frame_bitmap frame;
    const view_samples samples = render_view(frame.bitmap, 10, -2.0, 2.0, -2.0, 2.0);
    expect_same_bits(samples.centre, -5.0133508455729725e-15, 1.5057399771478686e-15);
    expect_same_bits(samples.corner_a, -1.0000000000000036, -0.9999999999999991);
    expect_same_bits(samples.corner_b, 0.9999999999999936, 1.000000000000002);
}

TEST(render_view, LimitZeroGivesAnAllZeroFrame)
{
    frame_bitmap frame, black;
    clear_to_color(frame.bitmap, 255);
    clear_to_color(black.bitmap, 0);
    render_view(frame.bitmap, 0, -2.0, 2.0, -2.0, 2.0);
    EXPECT_EQ(count_differing_pixels(frame.bitmap, black.bitmap), 0);
}

// Pixel (0, 0) lies on the radius-2 circle only if it samples `left` and
// `top` exactly: there the count is 1, a hair further out it is 0.
TEST(render_view, FirstColumnAndRowSampleLeftAndTopExactly)
{
    struct corner_case {
        const char *name;
        double left, right, top, bottom;
    };
    const corner_case cases[] = {
        {"real axis at 2", 2.0, 2.1, 0.0, 0.1},
        {"imaginary axis at 2i", 0.0, 0.1, 2.0, 2.1},
        {"window running upwards", 2.0, 2.1, 0.0, -0.1},
        {"window running leftwards", 0.0, -0.1, 2.0, 2.1},
    };
    for (const corner_case &c : cases) {
        SCOPED_TRACE(c.name);
        frame_bitmap frame;
        render_view(frame.bitmap, 10, c.left, c.right, c.top, c.bottom);
        EXPECT_EQ(getpixel(frame.bitmap, 0, 0), 1);
    }
}

// After a zoom-out the window runs with `top` above `bottom`: row 0 then has
// the largest imaginary part, and the picture is drawn upwards.
TEST(render_view, TopAboveBottomRunsUpwards)
{
    frame_bitmap frame;
    const view_samples samples = render_view(frame.bitmap, 10, -2.0, 2.0, 2.0, -2.0);
    EXPECT_GT(samples.corner_a.im, samples.corner_b.im);
    EXPECT_NEAR(samples.corner_a.im, 1.0, 1e-12);
    EXPECT_NEAR(samples.corner_b.im, -1.0, 1e-12);
    EXPECT_LT(samples.corner_a.re, samples.corner_b.re);

    // Near 1.5i a point leaves after one step, near 0.5i it is in the set:
    // whichever of the two `top` names is drawn on row 0.
    frame_bitmap upwards, downwards;
    render_view(upwards.bitmap, 10, -0.5, 0.5, 1.5, 0.5);
    render_view(downwards.bitmap, 10, -0.5, 0.5, 0.5, 1.5);
    EXPECT_EQ(getpixel(upwards.bitmap, 160, 0), 1);
    EXPECT_EQ(getpixel(upwards.bitmap, 160, 199), 0);
    EXPECT_EQ(getpixel(downwards.bitmap, 160, 0), 0);
    EXPECT_EQ(getpixel(downwards.bitmap, 160, 199), 1);
}

// Every pixel is written, and only with indices 0 ... 253, even at the
// largest limit: 254 and 255 belong to the viewer.
TEST(render_view, WritesEveryPixelWithIndicesBelow254)
{
    frame_bitmap frame;
    clear_to_color(frame.bitmap, 255);
    render_view(frame.bitmap, 254, -2.0, 0.5, -1.25, 1.25);
    std::set<int> seen;
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        for (int x = 0; x < FRAME_WIDTH; ++x)
            seen.insert(getpixel(frame.bitmap, x, y));
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_LE(*seen.rbegin(), 253);
    EXPECT_GT(seen.size(), 50u) << "a full-limit view should show many counts";
}

// A pixel shows its count, except that a count equal to the limit (a member
// of the set) is black like a point that starts outside.
TEST(render_view, ColoursKnownPixelsOfTheStartView)
{
    frame_bitmap frame;
    render_view(frame.bitmap, 10, -2.0, 2.0, -2.0, 2.0);
    struct pixel_case {
        const char *name;
        int x, y, colour;
    };
    const pixel_case cases[] = {
        {"(0, 0) samples -2-2i, outside", 0, 0, 0},
        {"(0, 100) samples about -2, stays for the whole limit", 0, 100, 0},
        {"(120, 100) samples about -0.5, inside", 120, 100, 0},
        {"(240, 100) samples about 1, two steps", 240, 100, 2},
        {"(240, 150) samples about 1+i, one step", 240, 150, 1},
    };
    for (const pixel_case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(getpixel(frame.bitmap, c.x, c.y), c.colour);
    }
}

} // namespace
