// The vector row paths' common kernel: escape_count for groups of points,
// several vectors of lanes at a time, written once over a lane type and its
// comparisons, and compiled by each path's own file for its instruction set.
// The kernel is private to each file that includes it, so that no code built
// for one instruction set can stand in for another's.
//
// Each lane performs exactly the scalar operations in the scalar order
// (square, subtract, add c; double re, multiply by im, add c), so the counts
// equal escape_count's bit for bit. Independent vectors are stepped side by
// side to hide the latency of each step's chain; between two steps a vector
// keeps only re and im (the squares are formed at the top of each step), so
// that more vectors fit in the registers.
//
// After a first block of `first` steps tested one by one, orbits are stepped
// in blocks of `block` steps with no test inside a block, so that a step is
// its seven floating-point operations and nothing else. At a block's end, a
// lane whose |z|^2 (formed once more for the test) is not clearly inside the
// disc (below CLEARLY_INSIDE; NaN never is) may have left the disc during the
// block: the block is stepped again from its start for that vector, with the
// exact test at every step, and each such lane's first step outside is its
// count. No escape is missed: a lane that left (|z|^2 > 4 as the test
// computes it, so |z| > 2 less a rounding) has |c| at most 2 plus a
// rounding, or it left at its first test; then each step takes |z| to at
// least |z|^2 - |c| less a few roundings, so that its shortfall from 2 at
// most quadruples a step, from about 1e-16, and is still below 1e-6 after
// 16 steps (no path's block is longer): it cannot be back below
// CLEARLY_INSIDE at the block's end.
//
// Orbits that fall into a cycle are cut short: when a point of the orbit
// equals a point met earlier on it, every later point repeats (in value; a
// zero's sign aside) what came between, all of which stayed in the disc, so
// the count is the limit. Each block's end compares with one point, saved at
// the end of blocks 1, 2, 4, 8 ... (after Brent): a cycle is found some
// blocks after it starts, and never where there is none.
//
// How many vectors, and how long the blocks, differs by path (kernel_shape):
// each path's figures were chosen by measurement (docs/performance.md#measured).
#pragma once

#include <cstddef>

// How a path runs the kernel: `vectors` stepped side by side, a first block
// of `first` tested steps, then blocks of `block` steps (at most 16).
struct kernel_shape {
    int vectors, first, block;
};

namespace {

// `lanes` supplies the lane type `real` (a GCC vector of doubles); less,
// greater and equal, each a bit mask of the lanes where the ordered
// comparison holds (lane l in bit l; false where either side is NaN); and
// select(mask, yes, no), the lanes of `yes` in `mask` and of `no` elsewhere.

// Steps the N vectors from zr, zi `length` times with the escape test
// before every step. A lane of `watched` outside the disc at the k-th test
// leaves: it joins `left`, with `first + k` in `left_at`. Stops early once
// every watched lane has left; returns the steps taken.
template <typename lanes, int N, typename real>
[[gnu::always_inline]] inline int tested_steps(real *zr, real *zi, const real *cr, const real &ci,
                                               const unsigned *watched, int first, int length, unsigned *left,
                                               real *left_at)
{
    const real four = real{} + 4.0;
    for (int k = 0; k < length; ++k) {
        unsigned in = 0;
        for (int v = 0; v < N; ++v) {
            const real rr = zr[v] * zr[v], ii = zi[v] * zi[v];
            // Negating "greater than" keeps a lane in exactly when the scalar
            // test !(magnitude > 4.0) does, NaN included.
            const unsigned leaving = watched[v] & ~left[v] & lanes::greater(rr + ii, four);
            left_at[v] = lanes::select(leaving, real{} + (first + k), left_at[v]);
            left[v] |= leaving;
            in |= watched[v] & ~left[v];
            zi[v] = (2.0 * zr[v]) * zi[v] + ci;
            zr[v] = (rr - ii) + cr[v];
        }
        if (in == 0)
            return k + 1;
    }
    return length;
}

// The block just stepped, stepped again from its start for the lanes of
// `unclear`, with the test; kept out of line, away from the stepping loop's
// registers.
template <typename lanes, typename real>
[[gnu::noinline]] void replay(real start_re, real start_im, real cr, real ci, unsigned unclear, int first, int length,
                              unsigned *left, real *left_at)
{
    tested_steps<lanes, 1>(&start_re, &start_im, &cr, ci, &unclear, first, length, left, left_at);
}

// Counts the VECTORS * lanes points from c_re (imaginary part c_im) into
// `counts`, with a first block of FIRST tested steps and blocks of BLOCK
// steps, and returns the orbit steps it took (blocks stepped again not
// counted), lanes of a vector alike. Lanes that are done keep being stepped
// (their values run off to infinity) but are no longer looked at.
template <typename lanes, int VECTORS, int FIRST, int BLOCK>
long long escape_group(const double *c_re, double c_im, int limit, int *counts)
{
    using real = typename lanes::real;
    constexpr int LANES = sizeof(real) / sizeof(double);
    static_assert(BLOCK <= 16, "the test at a block's end misses no escape within 16 steps");
    constexpr unsigned ALL = (1u << LANES) - 1;
    constexpr double CLEARLY_INSIDE = 3.999;
    const real ci = real{} + c_im, clearly_inside = real{} + CLEARLY_INSIDE;
    real cr[VECTORS], zr[VECTORS], zi[VECTORS], saved_re[VECTORS], saved_im[VECTORS];
    real left_at[VECTORS] = {};
    unsigned everyone[VECTORS], left[VECTORS] = {}, done[VECTORS];
    for (int v = 0; v < VECTORS; ++v) {
        __builtin_memcpy(&cr[v], c_re + static_cast<std::ptrdiff_t>(v) * LANES, sizeof(real));
        zr[v] = cr[v];
        zi[v] = ci;
        everyone[v] = ALL;
    }

    // The first block has the test at every step: where most lanes leave
    // early (small limits, far from the set) that costs less than replays.
    int step = tested_steps<lanes, VECTORS>(zr, zi, cr, ci, everyone, 0, limit < FIRST ? limit : FIRST, left, left_at);
    bool going = false;
    for (int v = 0; v < VECTORS; ++v) {
        done[v] = left[v];
        going |= done[v] != ALL;
        saved_re[v] = zr[v];
        saved_im[v] = zi[v];
    }

    while (going && step < limit) {
        const int length = limit - step < BLOCK ? limit - step : BLOCK;
        real start_re[VECTORS], start_im[VECTORS];
        for (int v = 0; v < VECTORS; ++v) {
            start_re[v] = zr[v];
            start_im[v] = zi[v];
        }
        const auto step_all = [&] {
            for (int v = 0; v < VECTORS; ++v) {
                const real rr = zr[v] * zr[v], ii = zi[v] * zi[v];
                zi[v] = (2.0 * zr[v]) * zi[v] + ci;
                zr[v] = (rr - ii) + cr[v];
            }
        };
        if (length == BLOCK)
            for (int k = 0; k < BLOCK; ++k)
                step_all();
        else
            for (int k = 0; k < length; ++k)
                step_all();

        going = false;
        for (int v = 0; v < VECTORS; ++v) {
            const real magnitude = zr[v] * zr[v] + zi[v] * zi[v];
            const unsigned unclear = ~done[v] & ~lanes::less(magnitude, clearly_inside) & ALL;
            if (unclear != 0)
                replay<lanes>(start_re[v], start_im[v], cr[v], ci, unclear, step, length, &left[v], &left_at[v]);
            done[v] |= left[v] | (lanes::equal(zr[v], saved_re[v]) & lanes::equal(zi[v], saved_im[v]));
            going |= done[v] != ALL;
        }
        step += length;
        const int blocks = step / BLOCK;
        if ((blocks & (blocks - 1)) == 0)
            for (int v = 0; v < VECTORS; ++v) {
                saved_re[v] = zr[v];
                saved_im[v] = zi[v];
            }
    }

    // Lanes still in at the end, or caught in a cycle, count the limit.
    for (int v = 0; v < VECTORS; ++v)
        for (int l = 0; l < LANES; ++l)
            counts[v * LANES + l] = left[v] >> l & 1 ? static_cast<int>(left_at[v][l]) : limit;
    return static_cast<long long>(step) * VECTORS * LANES;
}

// Counts `count` points, a whole number of groups, and returns the steps.
template <typename lanes, kernel_shape shape>
long long escape_groups(const double *c_re, double c_im, int count, int limit, int *counts)
{
    constexpr int GROUP = shape.vectors * sizeof(typename lanes::real) / sizeof(double);
    long long steps = 0;
    for (int done = 0; done < count; done += GROUP)
        steps += escape_group<lanes, shape.vectors, shape.first, shape.block>(c_re + done, c_im, limit, counts + done);
    return steps;
}

} // namespace

// Each path's shape (docs/performance.md#measured) and so its group of
// points, which divide a 320-point row.
constexpr kernel_shape AVX512_SHAPE = {4, 8, 8}, AVX2_SHAPE = {5, 4, 12}, TWO_LANE_SHAPE = {4, 8, 8};
constexpr int AVX512_GROUP = AVX512_SHAPE.vectors * 8, AVX2_GROUP = AVX2_SHAPE.vectors * 4,
              TWO_LANE_GROUP = TWO_LANE_SHAPE.vectors * 2;

// The paths built for wider instruction sets, each in a file of its own:
// `count` must be a whole number of the path's groups of points.
long long escape_groups_avx512(const double *c_re, double c_im, int count, int limit, int *counts);
long long escape_groups_avx2(const double *c_re, double c_im, int count, int limit, int *counts);
