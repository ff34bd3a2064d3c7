// The escape-time count for one point: the reference every faster path
// (escape_counts) must match bit for bit.
#include "fractal.h"

namespace {
constexpr double ESCAPE_RADIUS_SQUARED = 4.0;
}

complex_value complex_square(complex_value z) { return {z.re * z.re - z.im * z.im, (2.0 * z.re) * z.im}; }

int escape_count(double c_re, double c_im, int limit)
{
    complex_value z = {c_re, c_im};
    int n = 0;
    // The magnitude test comes first, so a point outside the disc costs no step.
    while (!(z.re * z.re + z.im * z.im > ESCAPE_RADIUS_SQUARED) && n < limit) {
        z = complex_square(z);
        z.re += c_re;
        z.im += c_im;
        ++n;
    }
    return n;
}
