// The AVX-512 row path: the common kernel on 8-lane vectors, whose
// comparisons land in mask registers. This file alone is built for AVX-512.
#include <immintrin.h>

#include "fractal/escape_kernel.h"

namespace {

struct avx512_lanes {
    using real = __m512d;
    static unsigned less(real a, real b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static unsigned greater(real a, real b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static unsigned equal(real a, real b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
    static real select(unsigned mask, real yes, real no) { return _mm512_mask_blend_pd(mask, no, yes); }
};

} // namespace

long long escape_groups_avx512(const double *c_re, double c_im, int count, int limit, int *counts)
{
    return escape_groups<avx512_lanes, AVX512_SHAPE>(c_re, c_im, count, limit, counts);
}
