// escape_count for a run of points on one row, several points at a time.
//
// SSE2 is part of every x86-64 processor, so this needs no special build
// flags. Each lane performs exactly the scalar operations in the scalar order
// (square, subtract, add c; double re, multiply by im, add c), so the counts
// equal escape_count's bit for bit. Four independent vectors are stepped
// together to hide the latency of each multiply-add chain.
#include "fractal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void escape_counts_scalar(const double *c_re, double c_im, int count, int limit, int *counts)
{
    for (int i = 0; i < count; ++i)
        counts[i] = escape_count(c_re[i], c_im, limit);
}

#if defined(__SSE2__)

constexpr int VECTORS = 4;
constexpr int LANES = 2;
constexpr int GROUP = VECTORS * LANES;

// Counts GROUP points starting at c_re. Lanes that have escaped keep being
// stepped (their values run off to infinity) but no longer count.
void escape_group(const double *c_re, double c_im, int limit, int *counts)
{
    const __m128d four = _mm_set1_pd(4.0);
    const __m128d two = _mm_set1_pd(2.0);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d ci = _mm_set1_pd(c_im);

    __m128d cr[VECTORS], zr[VECTORS], zi[VECTORS], active[VECTORS], n[VECTORS];
    for (int v = 0; v < VECTORS; ++v) {
        cr[v] = _mm_loadu_pd(c_re + v * LANES);
        zr[v] = cr[v];
        zi[v] = ci;
        active[v] = _mm_castsi128_pd(_mm_set1_epi32(-1));
        n[v] = _mm_setzero_pd();
    }

    for (int step = 0; step < limit; ++step) {
        __m128d any = _mm_setzero_pd();
        __m128d rr[VECTORS], ii[VECTORS];
        for (int v = 0; v < VECTORS; ++v) {
            rr[v] = _mm_mul_pd(zr[v], zr[v]);
            ii[v] = _mm_mul_pd(zi[v], zi[v]);
            // "Not greater than" keeps a lane going exactly when the scalar
            // test !(magnitude > 4.0) does, NaN included.
            active[v] = _mm_and_pd(active[v], _mm_cmpngt_pd(_mm_add_pd(rr[v], ii[v]), four));
            any = _mm_or_pd(any, active[v]);
        }
        if (_mm_movemask_pd(any) == 0)
            break;
        for (int v = 0; v < VECTORS; ++v) {
            n[v] = _mm_add_pd(n[v], _mm_and_pd(active[v], one));
            const __m128d im = _mm_add_pd(_mm_mul_pd(_mm_mul_pd(two, zr[v]), zi[v]), ci);
            zr[v] = _mm_add_pd(_mm_sub_pd(rr[v], ii[v]), cr[v]);
            zi[v] = im;
        }
    }

    for (int v = 0; v < VECTORS; ++v) {
        double lanes[LANES];
        _mm_storeu_pd(lanes, n[v]);
        for (int l = 0; l < LANES; ++l)
            counts[v * LANES + l] = static_cast<int>(lanes[l]);
    }
}

#endif

} // namespace

void escape_counts(const double *c_re, double c_im, int count, int limit, int *counts)
{
    int done = 0;
#if defined(__SSE2__)
    for (; done + GROUP <= count; done += GROUP)
        escape_group(c_re + done, c_im, limit, counts + done);
#endif
    escape_counts_scalar(c_re + done, c_im, count - done, limit, counts + done);
}
