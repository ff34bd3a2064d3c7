// The fractal engine: how long a point of the complex plane takes to leave
// the radius-2 disc under z -> z^2 + c, and a whole 320 x 200 picture of the
// Mandelbrot set drawn from those counts.
//
// Every coordinate is an IEEE double and every result is reproducible bit for
// bit: columns and rows advance by repeated addition, never by multiplication,
// and nothing here may be built with contracted (fused) multiply-adds.
#pragma once

#include <allegro.h>

#include <cstdint>

// A point of the complex plane. Plain value, copied freely.
struct complex_value {
    double re;
    double im;
};

// The complex values the renderer met at three fixed pixels of its frame.
// The viewer reads them instead of converting pixels to coordinates itself.
struct view_samples {
    complex_value centre;   // pixel (160, 100): the status line, the zoom-out
    complex_value corner_a; // pixel (80, 50): new left and top of the zoom-in
    complex_value corner_b; // pixel (240, 150): new right and bottom of the zoom-in
};

constexpr int FRAME_WIDTH = 320;
constexpr int FRAME_HEIGHT = 200;

// The pixels whose complex values view_samples records.
constexpr int CENTRE_COLUMN = 160, CENTRE_ROW = 100;
constexpr int CORNER_A_COLUMN = 80, CORNER_A_ROW = 50;
constexpr int CORNER_B_COLUMN = 240, CORNER_B_ROW = 150;

// z squared: re = re*re - im*im, im = (2.0*re)*im (the 2 multiplies re first).
complex_value complex_square(complex_value z);

// Steps of z -> z^2 + c, starting from z = c, taken before |z|^2 > 4.0
// (strictly greater: a point exactly on the circle stays in), at most
// `limit`. Returns 0 ... limit; `limit` means "did not escape" and 0 also
// comes back for any point already outside the disc or for limit <= 0.
int escape_count(double c_re, double c_im, int limit);

// escape_count for `count` points sharing one imaginary part `c_im`, with the
// real parts in `c_re`; writes count results to `counts`, bit for bit those of
// escape_count, by one of these paths: AVX-512 (8 lanes), AVX2 (4 lanes), two
// lanes (SSE2 on x86-64), or escape_count point by point. The vector paths
// stop an orbit as soon as it repeats a point exactly, which cannot change a
// count. Any limit, negative ones included, gives escape_count's counts; a
// point that is not a number stays in for the whole limit, as there. Returns
// the orbit steps computed (0 or more), lanes of a vector counted alike
// whether or not they were still needed. fastest_row_path is the widest path
// this processor has.
enum class row_path : std::uint8_t { avx512, avx2, two_lanes, scalar };
bool row_path_available(row_path path);
row_path fastest_row_path();
long long escape_counts_on(row_path path, const double *c_re, double c_im, int count, int limit, int *counts);

// Draws the window [left, right) x [top, bottom) into `buffer`, a 320 x 200
// 8-bit memory bitmap: pixel (column, row) samples left + column steps of
// (right - left) / 320 and top + row steps of (bottom - top) / 200, each
// accumulated by addition. `top` may lie above or below `bottom`. A pixel
// whose count equals `limit` (or is 0) gets index 0, any other its count, so
// a limit of 0 ... 254 writes indices 0 ... 253 only. Every pixel is
// written; returns the values met at the three sample pixels.
view_samples render_view(BITMAP *buffer, int limit, double left, double right, double top, double bottom);
