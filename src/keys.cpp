// Turns the held command keys into changes of the viewer's state.
#include "keys.h"

#include <climits>

namespace {

constexpr int PAN_PIXELS = 5;
constexpr int MIN_ITERATIONS = 0;
constexpr double ZOOM_OUT_HALF_SIZE = 2.0;

int clamp_iterations(int limit)
{
    if (limit > MAX_ITERATIONS_CAP)
        return MAX_ITERATIONS_CAP;
    if (limit < MIN_ITERATIONS)
        return MIN_ITERATIONS;
    return limit;
}

} // namespace

viewer_state handle_keys(viewer_state state, view_samples samples, held_keys held, BITMAP *buffer,
                         const PALETTE palette, screenshot_file file)
{
    view_window &w = state.window;
    // In screen terms each arrow moves the view its own way whichever way the
    // window runs: pan_y is negative when `top` is the larger.
    const double pan_x = (w.right - w.left) / FRAME_WIDTH * PAN_PIXELS;
    const double pan_y = (w.bottom - w.top) / FRAME_HEIGHT * PAN_PIXELS;

    // The arrows in their fixed order, each moving one pair of edges. Adding
    // the negated step is the same IEEE operation as subtracting it.
    const struct {
        int scancode;
        double *low, *high, step;
    } arrows[] = {{KEY_DOWN, &w.top, &w.bottom, pan_y},
                  {KEY_LEFT, &w.left, &w.right, -pan_x},
                  {KEY_RIGHT, &w.left, &w.right, pan_x},
                  {KEY_UP, &w.top, &w.bottom, -pan_y}};
    for (const auto &arrow : arrows)
        if (held.down[arrow.scancode]) {
            *arrow.low += arrow.step;
            *arrow.high += arrow.step;
            state.redraw = true;
        }
    if (held.down[KEY_L]) {
        state.max_iterations = clamp_iterations(state.max_iterations + 1);
        state.redraw = true;
    }
    if (held.down[KEY_K]) {
        state.max_iterations = clamp_iterations(state.max_iterations - 1);
        state.redraw = true;
    }
    // The picture on screen is already the one to save: no redraw. A failed
    // save changes nothing and the viewer carries on.
    if (held.down[KEY_S])
        save_screenshot(file, buffer, palette);
    if (held.down[KEY_O]) {
        w = {samples.corner_a.re, samples.corner_b.re, samples.corner_a.im, samples.corner_b.im};
        // Held for ever, the counter stops at its largest value rather than
        // overflowing.
        if (state.zoom_count < INT_MAX)
            state.zoom_count += 1;
        state.redraw = true;
    }
    if (held.down[KEY_I]) {
        const complex_value c = samples.centre;
        w = {c.re - ZOOM_OUT_HALF_SIZE, c.re + ZOOM_OUT_HALF_SIZE, c.im + ZOOM_OUT_HALF_SIZE,
             c.im - ZOOM_OUT_HALF_SIZE};
        state.zoom_count = 1;
        state.redraw = true;
    }
    return state;
}
