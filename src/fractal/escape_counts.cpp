// escape_count for a run of points on one row, several points at a time.
//
// Each vector lane performs exactly the scalar operations in the scalar order
// (square, subtract, add c; double re, multiply by im, add c), so the counts
// equal escape_count's bit for bit on every path. Four independent vectors
// are stepped together to hide the latency of each multiply-add chain. The
// widest path the processor has is chosen at run time: AVX2 (4 lanes) where
// present, else two-lane vectors (SSE2 on every x86-64), else one at a time.
#include "fractal.h"

#include <cstring>

namespace {

constexpr double ESCAPE_RADIUS_SQUARED = 4.0;
constexpr int VECTORS = 4;

typedef double double2 __attribute__((vector_size(16)));
typedef long long mask2 __attribute__((vector_size(16)));
typedef double double4 __attribute__((vector_size(32)));
typedef long long mask4 __attribute__((vector_size(32)));

void escape_counts_scalar(const double *c_re, double c_im, int count, int limit, int *counts)
{
    for (int i = 0; i < count; ++i)
        counts[i] = escape_count(c_re[i], c_im, limit);
}

// Counts VECTORS * LANES points starting at c_re. Lanes that have escaped
// keep being stepped (their values run off to infinity) but stop counting.
// Always inlined, so that each caller compiles it for its own instruction set.
template <typename real, typename mask>
[[gnu::always_inline]] inline void escape_group(const double *c_re, double c_im, int limit, int *counts)
{
    constexpr int LANES = sizeof(real) / sizeof(double);
    real cr[VECTORS], zr[VECTORS], zi[VECTORS];
    mask active[VECTORS], n[VECTORS];
    for (int v = 0; v < VECTORS; ++v) {
        std::memcpy(&cr[v], c_re + v * LANES, sizeof(real));
        zr[v] = cr[v];
        zi[v] = real{} + c_im;
        active[v] = ~mask{};
        n[v] = mask{};
    }

    for (int step = 0; step < limit; ++step) {
        real rr[VECTORS], ii[VECTORS];
        mask any = {};
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
        for (int v = 0; v < VECTORS; ++v) {
            n[v] -= active[v];  // a true lane is all ones, that is -1
            zi[v] = (2.0 * zr[v]) * zi[v] + c_im;
            zr[v] = (rr[v] - ii[v]) + cr[v];
        }
    }

    for (int v = 0; v < VECTORS; ++v)
        for (int l = 0; l < LANES; ++l)
            counts[v * LANES + l] = static_cast<int>(n[v][l]);
}

// Runs `group` over as many whole groups of `points` as the row holds and
// leaves the rest to the scalar reference.
template <int points, typename group_function>
void escape_counts_in_groups(group_function group, const double *c_re, double c_im, int count, int limit, int *counts)
{
    int done = 0;
    for (; done + points <= count; done += points)
        group(c_re + done, c_im, limit, counts + done);
    escape_counts_scalar(c_re + done, c_im, count - done, limit, counts + done);
}

void escape_counts_two_lanes(const double *c_re, double c_im, int count, int limit, int *counts)
{
    escape_counts_in_groups<VECTORS * 2>(escape_group<double2, mask2>, c_re, c_im, count, limit, counts);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void escape_group_avx2(const double *c_re, double c_im, int limit, int *counts)
{
    escape_group<double4, mask4>(c_re, c_im, limit, counts);
}

void escape_counts_avx2(const double *c_re, double c_im, int count, int limit, int *counts)
{
    escape_counts_in_groups<VECTORS * 4>(escape_group_avx2, c_re, c_im, count, limit, counts);
}
#endif

} // namespace

bool row_path_available(row_path path)
{
    if (path != row_path::avx2)
        return true;
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

void escape_counts_on(row_path path, const double *c_re, double c_im, int count, int limit, int *counts)
{
#if defined(__x86_64__)
    if (path == row_path::avx2) {
        escape_counts_avx2(c_re, c_im, count, limit, counts);
        return;
    }
#endif
    if (path == row_path::scalar)
        escape_counts_scalar(c_re, c_im, count, limit, counts);
    else
        escape_counts_two_lanes(c_re, c_im, count, limit, counts);
}

void escape_counts(const double *c_re, double c_im, int count, int limit, int *counts)
{
    escape_counts_on(row_path_available(row_path::avx2) ? row_path::avx2 : row_path::two_lanes, c_re, c_im, count,
                     limit, counts);
}
