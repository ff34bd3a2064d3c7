// escape_count for a run of points on one row, by the widest path the
// processor has, chosen at run time: AVX-512 (8 lanes), AVX2 (4 lanes), else
// two-lane vectors (SSE2 on every x86-64). The vector paths share one kernel
// (escape_kernel.h); the points left over after their whole groups go
// through escape_count itself.
#include "fractal.h"

#include "fractal/escape_kernel.h"

namespace {

typedef double double2 __attribute__((vector_size(16)));

// Two lanes in any instruction set's vectors.
struct two_lanes {
    using real = double2;
    template <typename mask> static unsigned bits_of(mask m) { return (m[0] != 0 ? 1 : 0) | (m[1] != 0 ? 2 : 0); }
    static unsigned less(real a, real b) { return bits_of(a < b); }
    static unsigned greater(real a, real b) { return bits_of(a > b); }
    static unsigned equal(real a, real b) { return bits_of(a == b); }
    static real select(unsigned mask, real yes, real no)
    {
        const decltype(yes < no) lanes = {mask & 1 ? -1 : 0, mask & 2 ? -1 : 0};
        return lanes ? yes : no;
    }
};

long long escape_counts_scalar(const double *c_re, double c_im, int count, int limit, int *counts)
{
    long long steps = 0;
    for (int i = 0; i < count; ++i) {
        counts[i] = escape_count(c_re[i], c_im, limit);
        steps += counts[i];
    }
    return steps;
}

// `groups` takes the whole groups of `group` points; escape_count the rest.
long long escape_counts_by(long long (*groups)(const double *, double, int, int, int *), int group, const double *c_re,
                           double c_im, int count, int limit, int *counts)
{
    const int grouped = count - count % group;
    return groups(c_re, c_im, grouped, limit, counts) +
           escape_counts_scalar(c_re + grouped, c_im, count - grouped, limit, counts + grouped);
}

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
    // No step for a negative limit, as none for 0: every count 0.
    limit = limit < 0 ? 0 : limit;
    switch (path) {
#if defined(__x86_64__)
    case row_path::avx512:
        return escape_counts_by(escape_groups_avx512, AVX512_GROUP, c_re, c_im, count, limit, counts);
    case row_path::avx2:
        return escape_counts_by(escape_groups_avx2, AVX2_GROUP, c_re, c_im, count, limit, counts);
#endif
    case row_path::scalar:
        return escape_counts_scalar(c_re, c_im, count, limit, counts);
    default:
        return escape_counts_by(escape_groups<two_lanes, TWO_LANE_SHAPE>, TWO_LANE_GROUP, c_re, c_im, count, limit,
                                counts);
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
