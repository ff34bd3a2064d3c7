// The state the viewer keeps for the whole run: which part of the plane is
// shown, at what iteration limit, and whether the next pass must render.
#pragma once

// The part of the complex plane on screen. `left`/`right` are the real parts
// at columns 0 and 320, `top`/`bottom` the imaginary parts at rows 0 and 200;
// `top` may be numerically above or below `bottom`.
struct view_window {
    double left;
    double right;
    double top;
    double bottom;
};

struct viewer_state {
    view_window window;
    int max_iterations; // 0 ... MAX_ITERATIONS_CAP
    int zoom_count;     // zoom-ins since the last zoom-out, starting at 1
    bool redraw;        // render at the start of the next pass
};

// The highest iteration limit: the renderer then writes indices up to 253,
// leaving 255 to the status line.
constexpr int MAX_ITERATIONS_CAP = 254;

// The view at start-up: -2 ... 2 both ways, the imaginary part growing
// downwards on the screen, limit 10.
constexpr viewer_state START_STATE = {{-2.0, 2.0, -2.0, 2.0}, 10, 1, true};
