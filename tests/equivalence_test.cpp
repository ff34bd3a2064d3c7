// The fast renderer against the plain per-pixel loop on thousands of random
// windows and limits: every pixel and every sample must be the same bits.
// The generator starts from a fixed value, printed with any failure, so a
// failing window can be replayed.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <sstream>
#include <vector>

#include "fractal/fractal.h"
#include "fractal/reference.h"
#include "pixels.h"

namespace {

constexpr unsigned long long GENERATOR_START = 20261207;

struct window_case {
    double left, right, top, bottom;
    int limit;
};

std::string describe(const window_case &w)
{
    std::ostringstream out;
    out << std::hexfloat << "generator start " << GENERATOR_START << ", window left " << w.left << " right " << w.right
        << " top " << w.top << " bottom " << w.bottom << std::defaultfloat << " limit " << w.limit;
    return out.str();
}

// Mostly the limits at the ends of the range, where off-by-one faults live.
int random_limit(std::mt19937_64 &random)
{
    const int edges[] = {0, 1, 2, 253, 254};
    if (random() % 2 == 0)
        return edges[random() % 5];
    return static_cast<int>(random() % 255);
}

// Windows of every scale about the set, in either orientation, with
// degenerate, huge and tiny ones mixed in.
window_case random_window(std::mt19937_64 &random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    window_case w = {};
    w.limit = random_limit(random);
    const double centre_re = -2.5 + 4.0 * unit(random), centre_im = -1.5 + 3.0 * unit(random);
    const double width = std::pow(10.0, -15.0 + 16.0 * unit(random));
    const double height = width * (0.25 + 1.5 * unit(random));
    w.left = centre_re - width / 2;
    w.right = centre_re + width / 2;
    w.top = centre_im - height / 2;
    w.bottom = centre_im + height / 2;
    if (random() % 4 == 0)
        std::swap(w.top, w.bottom);
    if (random() % 8 == 0)
        std::swap(w.left, w.right);
    switch (random() % 16) {
    case 0: // no width: every column samples the same point
        w.right = w.left;
        break;
    case 1: // no height
        w.bottom = w.top;
        break;
    case 2: // a single point
        w.right = w.left;
        w.bottom = w.top;
        break;
    case 3: // huge: steps overflow to infinity and sums to NaN
        w.left = -DBL_MAX;
        w.right = DBL_MAX * unit(random);
        break;
    case 4:
        w.top = 1e300 * (unit(random) - 0.5);
        w.bottom = -1e300;
        break;
    case 5: // tiny: subnormal steps
        w.left = -0.75;
        w.right = -0.75 + 1e-310;
        w.top = 0.1;
        w.bottom = 0.1 - 3e-320;
        break;
    default:
        break;
    }
    return w;
}

TEST(render_view, EqualsThePlainLoopOnRandomWindows)
{
    std::mt19937_64 random(GENERATOR_START);
    frame_bitmap fast, plain;
    for (int i = 0; i < 2000; ++i) {
        const window_case w = random_window(random);
        clear_to_color(fast.bitmap, 255);
        clear_to_color(plain.bitmap, 254);
        const view_samples fast_samples = render_view(fast.bitmap, w.limit, w.left, w.right, w.top, w.bottom);
        const view_samples plain_samples =
            render_view_reference(plain.bitmap, w.limit, w.left, w.right, w.top, w.bottom);
        ASSERT_EQ(count_differing_pixels(fast.bitmap, plain.bitmap), 0) << "window " << i << ": " << describe(w);
        ASSERT_TRUE(same_bits(fast_samples, plain_samples)) << "window " << i << ": " << describe(w);
    }
}

// Each path on its own, on rows of every length, so that the path the
// renderer does not pick on this processor is held to the reference too.
// Equality with escape_count, which never looks for cycles, is what shows
// that cutting cycles short changes no count.
TEST(escape_counts, EveryPathEqualsTheReferenceOnRandomRows)
{
    std::mt19937_64 random(GENERATOR_START + 1);
    for (int i = 0; i < 3000; ++i) {
        window_case w = random_window(random);
        const int length = random() % 4 == 0 ? static_cast<int>(random() % FRAME_WIDTH) + 1 : FRAME_WIDTH;
        std::vector<double> xs(length);
        const double dx = (w.right - w.left) / FRAME_WIDTH;
        double x = w.left;
        for (double &column : xs) {
            column = x;
            x += dx;
        }
        // Now and then points right on the radius-2 circle and a hair
        // outside it, on a row through 0 or +-2i.
        if (i % 8 == 0) {
            const double on_the_circle[] = {-2.0, 2.0, 1.0, std::nextafter(2.0, 3.0)};
            for (int k = 0; k < 4 && k < length; ++k)
                xs[k] = on_the_circle[k];
            const double rows[] = {0.0, 2.0, -2.0};
            w.top = rows[i / 8 % 3];
        }
        std::vector<int> expected(length);
        for (int column = 0; column < length; ++column)
            expected[column] = escape_count(xs[column], w.top, w.limit);
        for (row_path path : {row_path::avx512, row_path::avx2, row_path::two_lanes, row_path::scalar}) {
            if (!row_path_available(path))
                continue;
            std::vector<int> counts(length, -1);
            escape_counts_on(path, xs.data(), w.top, length, w.limit, counts.data());
            ASSERT_EQ(counts, expected) << "row " << i << ", path " << static_cast<int>(path) << ", length " << length
                                        << ": " << describe(w);
        }
    }
}

// Points deep inside the set settle on a fixed point or a short cycle long
// before the limit: the vector paths must notice and stop early.
TEST(escape_counts, VectorPathsStopOrbitsThatRepeat)
{
    std::vector<double> xs(FRAME_WIDTH);
    for (int i = 0; i < FRAME_WIDTH; ++i)
        xs[i] = -0.5 + i * (0.6 / FRAME_WIDTH);
    const long long full_work = 254LL * FRAME_WIDTH;
    std::vector<int> counts(FRAME_WIDTH);
    EXPECT_EQ(escape_counts_on(row_path::scalar, xs.data(), 0.1, FRAME_WIDTH, 254, counts.data()), full_work);
    for (row_path path : {row_path::avx512, row_path::avx2, row_path::two_lanes}) {
        if (!row_path_available(path))
            continue;
        std::fill(counts.begin(), counts.end(), -1);
        EXPECT_LT(escape_counts_on(path, xs.data(), 0.1, FRAME_WIDTH, 254, counts.data()), full_work / 2)
            << "path " << static_cast<int>(path);
        EXPECT_EQ(counts, std::vector<int>(FRAME_WIDTH, 254)) << "path " << static_cast<int>(path);
    }
}

} // namespace
