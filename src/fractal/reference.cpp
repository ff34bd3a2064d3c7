// The straightforward per-pixel renderer, kept as the reference.
#include "fractal/reference.h"

view_samples render_view_reference(BITMAP *buffer, int limit, double left, double right, double top, double bottom)
{
    const double dx = (right - left) / FRAME_WIDTH;
    const double dy = (bottom - top) / FRAME_HEIGHT;
    view_samples samples = {};
    double y = top;
    for (int row = 0; row < FRAME_HEIGHT; ++row) {
        double x = left;
        for (int column = 0; column < FRAME_WIDTH; ++column) {
            const int n = escape_count(x, y, limit);
            putpixel(buffer, column, row, n == limit ? 0 : n);
            if (column == CENTRE_COLUMN && row == CENTRE_ROW)
                samples.centre = {x, y};
            if (column == CORNER_A_COLUMN && row == CORNER_A_ROW)
                samples.corner_a = {x, y};
            if (column == CORNER_B_COLUMN && row == CORNER_B_ROW)
                samples.corner_b = {x, y};
            x += dx;
        }
        y += dy;
    }
    return samples;
}
