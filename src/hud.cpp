// Draws the status line and the centre marker.
#include "hud.h"

#include <cstdio>

#include "palette.h"

namespace {
constexpr int STATUS_CENTRE_X = 160, STATUS_Y = 0;
} // namespace

std::string status_text(complex_value centre, int zoom_count, int max_iterations)
{
    // %f of a double needs at most 309 digits before the point, plus the rest.
    char text[800];
    std::snprintf(text, sizeof text, "%f + %fi Zoom=%d i=%d", centre.re, centre.im, zoom_count, max_iterations);
    return text;
}

void draw_hud(BITMAP *buffer, complex_value centre, int zoom_count, int max_iterations)
{
    const std::string text = status_text(centre, zoom_count, max_iterations);
    textprintf_centre_ex(buffer, font, STATUS_CENTRE_X, STATUS_Y, HUD_COLOUR, -1, "%s", text.c_str());
    // The marker sits on the pixel whose value the status line shows.
    putpixel(buffer, CENTRE_COLUMN, CENTRE_ROW, HUD_COLOUR);
}

view_samples draw_frame(BITMAP *buffer, const viewer_state &state)
{
    const view_window &w = state.window;
    const view_samples samples = render_view(buffer, state.max_iterations, w.left, w.right, w.top, w.bottom);
    draw_hud(buffer, samples.centre, state.zoom_count, state.max_iterations);
    return samples;
}
