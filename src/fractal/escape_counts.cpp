// escape_count for a run of points on one row, several points at a time.
//
// Each vector lane performs exactly the scalar operations in the scalar order
// (square, subtract, add c; double re, multiply by im, add c), so the counts
// equal escape_count's bit for bit on every path. Four independent vectors
// are stepped together to hide the latency of each multiply-add chain. The
// widest path the processor has is chosen at run time: AVX-512 (8 lanes),
// AVX2 (4 lanes), else two-lane vectors (SSE2 on every x86-64).
//
// Orbits that fall into a cycle are cut short: when a point of the orbit is
// bit for bit a point met earlier on it, every later point repeats what came
// between, all of which stayed in the disc, so the count is the limit.
// Brent's doubling window keeps the cost to one saved point per lane.
#include "fractal.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr double ESCAPE_RADIUS_SQUARED = 4.0;
constexpr int VECTORS = 4;

typedef double double2 __attribute__((vector_size(16)));
typedef long long bits2 __attribute__((vector_size(16)));
typedef double double4 __attribute__((vector_size(32)));
typedef long long bits4 __attribute__((vector_size(32)));
typedef double double8 __attribute__((vector_size(64)));
typedef long long bits8 __attribute__((vector_size(64)));

long long escape_counts_scalar(const double *c_re, double c_im, int count, int limit, int *counts)
{
    long long steps = 0;
    for (int i = 0; i < count; ++i) {
        counts[i] = escape_count(c_re[i], c_im, limit);
        steps += counts[i];
    }
    return steps;
}

// Counts VECTORS * LANES points starting at c_re and returns the steps it
// took. Lanes that have escaped keep being stepped (their values run off to
// infinity) but stop counting. `bits` is the integer vector of the same
// shape, for lane masks and exact comparisons. Always inlined, so that each
// caller compiles it for its own instruction set.
template <typename real, typename bits>
[[gnu::always_inline]] inline long long escape_group(const double *c_re, double c_im, int limit, int *counts)
{
    constexpr int LANES = sizeof(real) / sizeof(double);
    real cr[VECTORS], zr[VECTORS], zi[VECTORS];
    bits active[VECTORS], n[VECTORS], cycled[VECTORS], saved_re[VECTORS], saved_im[VECTORS];
    for (int v = 0; v < VECTORS; ++v) {
        std::memcpy(&cr[v], c_re + static_cast<std::ptrdiff_t>(v) * LANES, sizeof(real));
        zr[v] = cr[v];
        zi[v] = real{} + c_im;
        active[v] = ~bits{};
        n[v] = cycled[v] = bits{};
        saved_re[v] = reinterpret_cast<bits>(zr[v]);
        saved_im[v] = reinterpret_cast<bits>(zi[v]);
    }

    int step = 0;
    for (; step < limit; ++step) {
        real rr[VECTORS], ii[VECTORS];
        bits any = {};
        for (int v = 0; v < VECTORS; ++v) {
            rr[v] = zr[v] * zr[v];
            ii[v] = zi[v] * zi[v];
            // Negating "greater than" keeps a lane going exactly when the
            // scalar test !(magnitude > 4.0) does, NaN included.
            active[v] &= ~(rr[v] + ii[v] > ESCAPE_RADIUS_SQUARED);
            any |= active[v];
        }
        bool going = false;
        for (int l = 0; l < LANES; ++l)
            going |= any[l] != 0;
        if (!going)
            break;
        // The window doubles: a new point is saved after steps 1, 2, 4, 8 ...
        const bool save = ((step + 1) & step) == 0;
        for (int v = 0; v < VECTORS; ++v) {
            n[v] -= active[v]; // a true lane is all ones, that is -1
            zi[v] = (2.0 * zr[v]) * zi[v] + c_im;
            zr[v] = (rr[v] - ii[v]) + cr[v];
            const bits re = reinterpret_cast<bits>(zr[v]), im = reinterpret_cast<bits>(zi[v]);
            const bits repeated = active[v] & (((re ^ saved_re[v]) | (im ^ saved_im[v])) == 0);
            cycled[v] |= repeated;
            active[v] &= ~repeated;
            if (save) {
                saved_re[v] = re;
                saved_im[v] = im;
            }
        }
    }

    for (int v = 0; v < VECTORS; ++v)
        for (int l = 0; l < LANES; ++l)
            counts[v * LANES + l] = cycled[v][l] ? limit : static_cast<int>(n[v][l]);
    return static_cast<long long>(step) * VECTORS * LANES;
}

// Runs `group` over as many whole groups of `points` as the row holds and
// leaves the rest to the scalar reference.
template <int points, typename group_function>
long long escape_counts_in_groups(group_function group, const double *c_re, double c_im, int count, int limit,
                                  int *counts)
{
    long long steps = 0;
    int done = 0;
    for (; done + points <= count; done += points)
        steps += group(c_re + done, c_im, limit, counts + done);
    return steps + escape_counts_scalar(c_re + done, c_im, count - done, limit, counts + done);
}

long long escape_counts_two_lanes(const double *c_re, double c_im, int count, int limit, int *counts)
{
    return escape_counts_in_groups<VECTORS * 2>(escape_group<double2, bits2>, c_re, c_im, count, limit, counts);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) long long escape_group_avx2(const double *c_re, double c_im, int limit, int *counts)
{
    return escape_group<double4, bits4>(c_re, c_im, limit, counts);
}

__attribute__((target("avx512f"))) long long escape_group_avx512(const double *c_re, double c_im, int limit,
                                                                 int *counts)
{
    return escape_group<double8, bits8>(c_re, c_im, limit, counts);
}
#endif

} // namespace

bool row_path_available(row_path path)
{
#if defined(__x86_64__)
    if (path == row_path::avx512)
        return __builtin_cpu_supports("avx512f");
    if (path == row_path::avx2)
        return __builtin_cpu_supports("avx2");
    return true;
#else
    return path == row_path::two_lanes || path == row_path::scalar;
#endif
}

long long escape_counts_on(row_path path, const double *c_re, double c_im, int count, int limit, int *counts)
{
    switch (path) {
#if defined(__x86_64__)
    case row_path::avx512:
        return escape_counts_in_groups<VECTORS * 8>(escape_group_avx512, c_re, c_im, count, limit, counts);
    case row_path::avx2:
        return escape_counts_in_groups<VECTORS * 4>(escape_group_avx2, c_re, c_im, count, limit, counts);
#endif
    case row_path::scalar:
        return escape_counts_scalar(c_re, c_im, count, limit, counts);
    default:
        return escape_counts_two_lanes(c_re, c_im, count, limit, counts);
    }
}

row_path fastest_row_path()
{
    if (row_path_available(row_path::avx512))
        return row_path::avx512;
    if (row_path_available(row_path::avx2))
        return row_path::avx2;
    return row_path::two_lanes;
}
