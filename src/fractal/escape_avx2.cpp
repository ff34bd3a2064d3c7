// The AVX2 row path: the common kernel on 4-lane vectors. This file alone is
// built for AVX2.
#include <immintrin.h>

#include "fractal/escape_kernel.h"

namespace {

struct avx2_lanes {
    using real = __m256d;
    static unsigned less(real a, real b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_LT_OQ)); }
    static unsigned greater(real a, real b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_GT_OQ)); }
    static unsigned equal(real a, real b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_EQ_OQ)); }
    static real select(unsigned mask, real yes, real no)
    {
        const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
        const __m256i lane = _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_set1_epi64x(mask), bit), bit);
        return _mm256_blendv_pd(no, yes, _mm256_castsi256_pd(lane));
    }
};

} // namespace

long long escape_groups_avx2(const double *c_re, double c_im, int count, int limit, int *counts)
{
    return escape_groups<avx2_lanes, AVX2_SHAPE>(c_re, c_im, count, limit, counts);
}
