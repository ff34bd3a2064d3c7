// The status line and the centre marker drawn over every frame, and the
// whole frame they belong to.
#pragma once

#include <allegro.h>
#include <string>

#include "fractal/fractal.h"
#include "viewer_state.h"

// "<centre.re> + <centre.im>i Zoom=<zoom> i=<limit>", numbers as printf's %f
// and %d; a negative imaginary part keeps its sign after the plus.
std::string status_text(complex_value centre, int zoom_count, int max_iterations);

// Draws the status line centred at the top and the one-pixel marker on the
// centre pixel, both in the HUD colour, over whatever `buffer` holds.
void draw_hud(BITMAP *buffer, complex_value centre, int zoom_count, int max_iterations);

// The frame the viewer shows for `state`: its window rendered at its limit,
// then the status line and marker over it. Returns the render's samples.
view_samples draw_frame(BITMAP *buffer, const viewer_state &state);
