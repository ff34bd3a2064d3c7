// The engine: every row path and render_view against the plain per-pixel
// loop on random windows (the generator starts from a fixed value, printed
// with any failure); orbits that repeat cut short; counts on the radius-2
// circle; the start view's samples and colours.
#include "helpers.h"

#ifdef _WIN32
#include <cpuid.h>
#else
#include <sys/utsname.h>
#endif

namespace {

#ifdef _WIN32
// As the processor tells it (CPUID), where the system saves its vector
// registers (XGETBV): Wine does not say AVX-512 through Windows' calls.
std::array<bool, 2> processor_has_avx512_and_avx2()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return {false, false};
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    const bool ymm = (low & 0x6) == 0x6, zmm = (low & 0xe6) == 0xe6;
    return {zmm && (b & bit_AVX512F), ymm && (b & bit_AVX2)};
}
#else
// As /proc/cpuinfo lists it; off x86-64, neither, whatever /proc/cpuinfo
// says (an emulator shows its host's).
std::array<bool, 2> processor_has_avx512_and_avx2()
{
    utsname system = {};
    const bool x86_64 = uname(&system) == 0 && system.machine == std::string("x86_64");
    const std::string cpu = x86_64 ? read_file("/proc/cpuinfo") : "";
    return {cpu.find(" avx512f ") != cpu.npos, cpu.find(" avx2 ") != cpu.npos};
}
#endif

struct each_path : testing::TestWithParam<row_path> {};

// Windows of every scale about the set, also upside down and leftwards, and
// degenerate ones: no width, no height, one point, huge (infinite steps),
// points that are not numbers (a row of them, or an infinite start and then
// NaN sums), subnormal steps, rows through the radius-2 circle and along the
// antenna near -2, whose orbits leave the disc slowly. Limits mostly at the
// ends of the range, and below it. The path counts eight rows of each
// window, of any length, against escape_count, which never looks for cycles,
// and never counts fewer than no steps; render_view, which takes the fastest
// path, draws each window as the plain per-pixel loop does. Inside the main
// cardioid, orbits that repeat are cut short. fastest_row_path is the widest
// path the kernel's flags say the processor has; a path it lacks is skipped.
TEST_P(each_path, EqualsThePlainLoopOnRandomWindows)
{
    const row_path path = GetParam();
    const std::array<bool, 2> wide = processor_has_avx512_and_avx2();
    const bool has[] = {wide[0], wide[1], true, true};
    EXPECT_EQ(fastest_row_path(), has[0] ? row_path::avx512 : has[1] ? row_path::avx2 : row_path::two_lanes);
    if (!row_path_available(path))
        GTEST_SKIP() << "this processor lacks the path";
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const bitmap_ptr fast = new_frame(), plain = new_frame();
    for (int i = 0; i < 2000; ++i) {
        SCOPED_TRACE(testing::Message() << "window " << i << " from generator start 20261207");
        const int limit =
            random() % 2 ? std::array{-3, 0, 1, 2, 253, 254}[random() % 6] : static_cast<int>(random() % 255);
        const double re = -2.5 + 4.0 * unit(random), im = -1.5 + 3.0 * unit(random);
        const double w = std::pow(10.0, -15.0 + 16.0 * unit(random)), h = w * (0.25 + 1.5 * unit(random));
        const double a = re, b = re + w, c = im, d = im + h, e = c * 1e-12, f = 2 * e, sub = -0.75 + 1e-310;
        const double distant = 1e300 * (unit(random) - 0.5), wide = DBL_MAX * unit(random), sub_im = 0.1 - 3e-320;
        const double nan = std::nan(""), inf = HUGE_VAL;
        const double windows[][4] = {{a, b, c, d},
                                     {b, a, d, c},
                                     {a, a, c, d},
                                     {a, b, c, c},
                                     {a, a, c, c},
                                     {-DBL_MAX, wide, c, d},
                                     {a, b, distant, -1e300},
                                     {-0.75, sub, 0.1, sub_im},
                                     {-2.0, 2.0, 0.0, 0.0},
                                     {0.0, 0.1, 2.0, 2.0},
                                     {-2.0, -1.99, e, f},
                                     {-1.99, -2.0, -e, 0.0},
                                     {a, b, nan, d},
                                     {-inf, inf, c, d}};
        const size_t pick = random() % 2 ? 0 : random() % std::size(windows);
        const auto [left, right, top, bottom] = windows[pick];
        clear_to_color(fast.get(), 255);
        // Points that are not numbers stay in for the whole limit: their rows alone, not whole frames.
        if (path == fastest_row_path() && pick < std::size(windows) - 2) {
            ASSERT_TRUE(bits(render_view(fast.get(), limit, left, right, top, bottom)) ==
                            bits(render_view_reference(plain.get(), limit, left, right, top, bottom)) &&
                        same_picture(fast.get(), plain.get()));
        }

        double xs[FRAME_WIDTH] = {left};
        for (int column = 1; column < FRAME_WIDTH; ++column)
            xs[column] = xs[column - 1] + (right - left) / FRAME_WIDTH;
        const int length = random() % 4 ? FRAME_WIDTH : static_cast<int>(random() % FRAME_WIDTH) + 1;
        for (int row = 0; row < FRAME_HEIGHT; row += 25) {
            const double y = top + row * ((bottom - top) / FRAME_HEIGHT);
            int counts[FRAME_WIDTH];
            ASSERT_GE(escape_counts_on(path, xs, y, length, limit, counts), 0);
            for (int column = 0; column < length; ++column)
                ASSERT_EQ(counts[column], escape_count(xs[column], y, limit)) << "column " << column << ", row " << row;
        }
    }
    double xs[FRAME_WIDTH] = {-0.5};
    for (int i = 1; i < FRAME_WIDTH; ++i)
        xs[i] = xs[i - 1] + 0.6 / FRAME_WIDTH;
    int counts[FRAME_WIDTH] = {};
    const long long steps = escape_counts_on(path, xs, 0.1, FRAME_WIDTH, 254, counts);
    EXPECT_TRUE((path == row_path::scalar || steps < 127LL * FRAME_WIDTH) &&
                std::count(counts, counts + FRAME_WIDTH, 254) == FRAME_WIDTH);
}

constexpr row_path PATHS[] = {row_path::avx512, row_path::avx2, row_path::two_lanes, row_path::scalar};
constexpr const char *PATH_NAMES[] = {"avx512", "avx2", "two_lanes", "scalar"};
INSTANTIATE_TEST_SUITE_P(engine, each_path, testing::ValuesIn(PATHS),
                         [](const auto &info) { return std::string(PATH_NAMES[info.index]); });

// Counts on and about the radius-2 circle, known points, a limit below the
// range, a point that is not a number (in for the whole limit: NaN is never
// greater than 4) and an infinite one. The start view:
// samples accumulated, not round; members of the set and points starting
// outside both black, the rest their count (at limit 0 every point is black,
// as the plain loop above shows).
TEST(engine, KnownCountsAndTheStartView)
{
    // Point, limit, count.
    const double cases[][4] = {{3.0, 0.0, 10, 0}, {2.0, 0.0, 10, 1},           {std::nextafter(2.0, 3.0), 0.0, 10, 0},
                               {0.0, 2.0, 10, 1}, {-2.0, 0.0, 254, 254},       {0.0, 0.0, 10, 10},
                               {1.0, 0.0, 10, 2}, {0.5, 0.5, 254, 4},          {2.0, 0.0, 0, 0},
                               {0.0, 0.0, -3, 0}, {std::nan(""), 0.0, 10, 10}, {0.0, -HUGE_VAL, 10, 0}};
    for (const auto [re, im, limit, count] : cases)
        EXPECT_EQ(escape_count(re, im, static_cast<int>(limit)), count) << re << " + " << im << "i, limit " << limit;
    const bitmap_ptr frame = new_frame();
    const view_samples expected = {{-5.0133508455729725e-15, 1.5057399771478686e-15},
                                   {-1.0000000000000036, -0.9999999999999991},
                                   {0.9999999999999936, 1.000000000000002}};
    EXPECT_EQ(bits(render_view(frame.get(), 10, -2.0, 2.0, -2.0, 2.0)), bits(expected));
    for (const auto [x, y, colour] : {std::array{0, 0, 0}, {0, 100, 0}, {120, 100, 0}, {240, 100, 2}, {240, 150, 1}})
        EXPECT_EQ(getpixel(frame.get(), x, y), colour) << x << ", " << y;
}

} // namespace
