// The escape-time count: the radius-2 boundary, the limit, known points and
// the squaring step.
#include <gtest/gtest.h>

#include <cmath>

#include "fractal/fractal.h"

namespace {

struct escape_case {
    const char *name;
    double re, im;
    int limit;
    int expected;
};

TEST(escape_count, BoundaryAndKnownPoints)
{
    const escape_case cases[] = {
        {"outside at the start: no step", 3.0, 0.0, 10, 0},
        {"|c|^2 exactly 4 stays in for one step", 2.0, 0.0, 10, 1},
        {"-2 stays on the circle forever", -2.0, 0.0, 10, 10},
        {"-2 at the largest limit", -2.0, 0.0, 254, 254},
        {"origin", 0.0, 0.0, 10, 10},
        {"origin at limit 0", 0.0, 0.0, 0, 0},
        {"limit 0 outside", 3.0, 0.0, 0, 0},
        {"limit 0 on the circle", 2.0, 0.0, 0, 0},
        {"1 reaches exactly 2, then 5", 1.0, 0.0, 10, 2},
        {"1 with limit 1", 1.0, 0.0, 1, 1},
        {"i falls into the cycle -1+i, -i", 0.0, 1.0, 254, 254},
        {"2i on the circle for one step", 0.0, 2.0, 10, 1},
        {"-1 has period 2", -1.0, 0.0, 254, 254},
        {"-1.5 on the real segment of the set", -1.5, 0.0, 254, 254},
        {"0.5+0.5i leaves on the fourth step", 0.5, 0.5, 254, 4},
        {"far away", -1.0e300, 1.0e300, 254, 0},
    };
    for (const escape_case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(escape_count(c.re, c.im, c.limit), c.expected);
    }
}

TEST(complex_square, KnownSquares)
{
    struct square_case {
        complex_value z, expected;
    };
    const square_case cases[] = {
        {{3.0, 4.0}, {-7.0, 24.0}},
        {{0.0, -1.0}, {-1.0, -0.0}},
        {{-2.0, 0.0}, {4.0, -0.0}},
        {{0.5, 0.5}, {0.0, 0.5}},
    };
    for (const square_case &c : cases) {
        const complex_value got = complex_square(c.z);
        EXPECT_EQ(got.re, c.expected.re);
        EXPECT_EQ(got.im, c.expected.im);
        EXPECT_EQ(std::signbit(got.im), std::signbit(c.expected.im)) << c.z.re << "," << c.z.im;
    }
}

} // namespace
