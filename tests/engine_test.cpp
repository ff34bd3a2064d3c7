// The engine: counts on the radius-2 circle; every row path and render_view
// against the plain per-pixel loop on random windows (the generator starts
// from a fixed value, printed with any failure); the start view's samples
// and colours; orbits that repeat cut short.
#include "helpers.h"

namespace {

constexpr row_path ROW_PATHS[] = {row_path::avx512, row_path::avx2, row_path::two_lanes, row_path::scalar};

TEST(escape_count, RadiusTwoCircleAndKnownPoints)
{
    // Point, limit, count.
    const double cases[][4] = {{3.0, 0.0, 10, 0}, {2.0, 0.0, 10, 1},     {std::nextafter(2.0, 3.0), 0.0, 10, 0},
                               {0.0, 2.0, 10, 1}, {-2.0, 0.0, 254, 254}, {0.0, 0.0, 10, 10},
                               {1.0, 0.0, 10, 2}, {1.0, 0.0, 1, 1},      {0.5, 0.5, 254, 4},
                               {0.0, 0.0, 0, 0},  {2.0, 0.0, 0, 0},      {0.0, 1.0, 254, 254}};
    for (const auto [re, im, limit, count] : cases)
        EXPECT_EQ(escape_count(re, im, static_cast<int>(limit)), count) << re << " + " << im << "i, limit " << limit;
}

// Windows of every scale about the set, either way round, with degenerate
// ones (no width, no height, one point), huge ones (infinite steps, NaN
// sums), subnormal steps and rows through the radius-2 circle mixed in;
// limits mostly at the ends of the range. Each row path counts a row of the
// window, of any length, against escape_count, which never looks for cycles.
TEST(render_view, EveryPathEqualsThePlainLoopOnRandomWindows)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const bitmap_ptr fast = new_frame(), plain = new_frame();
    for (int i = 0; i < 2000; ++i) {
        SCOPED_TRACE(testing::Message() << "window " << i << " from generator start 20261207");
        const int limit = random() % 2 ? std::array{0, 1, 2, 253, 254}[random() % 5] : static_cast<int>(random() % 255);
        const double re = -2.5 + 4.0 * unit(random), im = -1.5 + 3.0 * unit(random);
        const double width = std::pow(10.0, -15.0 + 16.0 * unit(random)), height = width * (0.25 + 1.5 * unit(random));
        view_window w = {re - width / 2, re + width / 2, im - height / 2, im + height / 2};
        if (random() % 4 == 0)
            std::swap(w.top, w.bottom);
        if (random() % 8 == 0)
            std::swap(w.left, w.right);
        const view_window odd[] = {{w.left, w.left, w.top, w.bottom},
                                   {w.left, w.right, w.top, w.top},
                                   {w.left, w.left, w.top, w.top},
                                   {-DBL_MAX, DBL_MAX * unit(random), w.top, w.bottom},
                                   {w.left, w.right, 1e300 * (unit(random) - 0.5), -1e300},
                                   {-0.75, -0.75 + 1e-310, 0.1, 0.1 - 3e-320},
                                   {-2.0, 2.0, 0.0, 0.0},
                                   {0.0, 0.1, 2.0, 2.0}};
        if (const unsigned long pick = random() % 16; pick < 8)
            w = odd[pick];
        clear_to_color(fast.get(), 255);
        ASSERT_EQ(bits(render_view(fast.get(), limit, w.left, w.right, w.top, w.bottom)),
                  bits(render_view_reference(plain.get(), limit, w.left, w.right, w.top, w.bottom)));
        ASSERT_TRUE(same_picture(fast.get(), plain.get()));

        double xs[FRAME_WIDTH] = {w.left};
        for (int column = 1; column < FRAME_WIDTH; ++column)
            xs[column] = xs[column - 1] + (w.right - w.left) / FRAME_WIDTH;
        const int length = random() % 4 ? FRAME_WIDTH : static_cast<int>(random() % FRAME_WIDTH) + 1;
        std::vector<int> expected;
        for (int column = 0; column < length; ++column)
            expected.push_back(escape_count(xs[column], w.top, limit));
        for (row_path path : ROW_PATHS) {
            std::vector<int> counts(length, -1);
            if (row_path_available(path))
                escape_counts_on(path, xs, w.top, length, limit, counts.data());
            ASSERT_TRUE(!row_path_available(path) || counts == expected) << "path " << static_cast<int>(path);
        }
    }
}

// Samples accumulated, not round; members of the set and points starting
// outside both black, the rest their count; limit 0 all black. Inside the
// main cardioid each vector path stops orbits that repeat, counting the limit.
TEST(render_view, StartViewAndRepeatingOrbits)
{
    const bitmap_ptr frame = new_frame(), black = new_frame();
    const view_samples expected = {{-5.0133508455729725e-15, 1.5057399771478686e-15},
                                   {-1.0000000000000036, -0.9999999999999991},
                                   {0.9999999999999936, 1.000000000000002}};
    EXPECT_EQ(bits(render_view(frame.get(), 10, -2.0, 2.0, -2.0, 2.0)), bits(expected));
    for (const auto [x, y, colour] : {std::array{0, 0, 0}, {0, 100, 0}, {120, 100, 0}, {240, 100, 2}, {240, 150, 1}})
        EXPECT_EQ(getpixel(frame.get(), x, y), colour) << x << ", " << y;
    clear_to_color(black.get(), 0);
    render_view(frame.get(), 0, -2.0, 2.0, -2.0, 2.0);
    EXPECT_TRUE(same_picture(frame.get(), black.get()));

    double xs[FRAME_WIDTH];
    for (int i = 0; i < FRAME_WIDTH; ++i)
        xs[i] = -0.5 + i * (0.6 / FRAME_WIDTH);
    for (row_path path : ROW_PATHS) {
        std::vector<int> counts(FRAME_WIDTH, -1);
        const long long steps =
            row_path_available(path) ? escape_counts_on(path, xs, 0.1, FRAME_WIDTH, 254, counts.data()) : -1;
        EXPECT_TRUE(steps < 0 || (counts == std::vector<int>(FRAME_WIDTH, 254) &&
                                  (path == row_path::scalar ? steps == 254 * FRAME_WIDTH : steps < 127 * FRAME_WIDTH)))
            << "path " << static_cast<int>(path);
    }
}

} // namespace
