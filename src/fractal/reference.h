// The frame renderer in its plainest form: one escape_count per pixel, the
// coordinates accumulated column by column and row by row. Nothing in the
// viewer uses it; it is the yardstick render_view is held to, pixel for pixel
// in the tests and in time in the benchmark.
#pragma once

#include "fractal/fractal.h"

view_samples render_view_reference(BITMAP *buffer, int limit, double left, double right, double top, double bottom);
