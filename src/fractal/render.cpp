// Renders one whole frame into the back buffer and records the three sample
// pixels on the way.
#include "fractal.h"

namespace {

// Points that stay in for the whole limit are members of the set: black, as
// are points that start outside (count 0). Everything else shows its count.
int colour_of(int count, int limit) { return count == limit ? 0 : count; }

} // namespace

view_samples render_view(BITMAP *buffer, int limit, double left, double right, double top, double bottom)
{
    const double dx = (right - left) / FRAME_WIDTH;
    const double dy = (bottom - top) / FRAME_HEIGHT;

    // Every row restarts at `left` and adds dx the same number of times, so
    // the real parts are the same for all rows: accumulate them once.
    double xs[FRAME_WIDTH];
    double x = left;
    for (int column = 0; column < FRAME_WIDTH; ++column) {
        xs[column] = x;
        x += dx;
    }

    const row_path path = fastest_row_path();
    view_samples samples = {};
    int counts[FRAME_WIDTH];
    double y = top;
    for (int row = 0; row < FRAME_HEIGHT; ++row) {
        escape_counts_on(path, xs, y, FRAME_WIDTH, limit, counts);
        // Straight into the bitmap's row: a call of putpixel a pixel would
        // cost more than the counting at small limits.
        unsigned char *pixels = buffer->line[row];
        for (int column = 0; column < FRAME_WIDTH; ++column)
            pixels[column] = static_cast<unsigned char>(colour_of(counts[column], limit));

        if (row == CENTRE_ROW)
            samples.centre = {xs[CENTRE_COLUMN], y};
        if (row == CORNER_A_ROW)
            samples.corner_a = {xs[CORNER_A_COLUMN], y};
        if (row == CORNER_B_ROW)
            samples.corner_b = {xs[CORNER_B_COLUMN], y};
        y += dy;
    }
    return samples;
}
