// vexilo: a keyboard-driven viewer of the Mandelbrot set, 320 x 200 in a
// 256-colour palette mode. The main routine owns everything that lives for
// the whole run (the state, the back buffer, the palette) and reads in three
// parts: start-up, the frame loop, shutdown.
#include <allegro.h>

#include <cstdio>

#include "fractal/fractal.h"
#include "hud.h"
#include "intro.h"
#include "keys.h"
#include "palette.h"
#include "present.h"
#include "termination.h"
#include "viewer_state.h"

namespace {

constexpr int COLOUR_DEPTH = 8;

// Says on stderr, in one line, why the viewer cannot go on, releases what
// start-up made and gives the exit status. `buffer` may be null.
int give_up(const char *what, BITMAP *buffer)
{
    if (allegro_error[0])
        std::fprintf(stderr, "vexilo: %s: %s\n", what, allegro_error);
    else
        std::fprintf(stderr, "vexilo: %s\n", what);
    if (buffer)
        destroy_bitmap(buffer);
    allegro_exit();
    return 1;
}

} // namespace

int main()
{
    // Start-up
    const termination_signals held = hold_termination_signals();
    if (allegro_init() != 0)
        return give_up("cannot start the Allegro library (no usable X display or console)", nullptr);
    install_timer();
    if (install_keyboard() != 0)
        return give_up("cannot install the keyboard", nullptr);

    set_color_depth(COLOUR_DEPTH);
    BITMAP *buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    if (!buffer)
        return give_up("cannot create the back buffer", nullptr);
    clear_bitmap(buffer);

    if (set_gfx_mode(GFX_AUTODETECT, FRAME_WIDTH, FRAME_HEIGHT, 0, 0) != 0)
        return give_up("cannot set the 320x200 256-colour mode", buffer);

    // Started, the library has its own handlers in place of ignored signals.
    keep_ignored(held);

    PALETTE palette;
    build_palette(palette);
    set_palette(palette);

    draw_intro(buffer);
    present_frame(buffer);
    // The key that ends the intro stays in the key buffer on purpose: only
    // held keys matter from here on.
    while (!keypressed() && pending_termination() == 0) {
    }

    // Frame loop
    viewer_state state = START_STATE;
    view_samples samples = {};
    // A termination signal ends the loop as Escape does, between two passes.
    int caught = 0;
    while (!key[KEY_ESC] && (caught = pending_termination()) == 0) {
        if (state.redraw) {
            samples = draw_frame(buffer, state);
            present_frame(buffer);
        }
        state.redraw = false;
        state = handle_keys(state, samples, buffer, palette);
    }

    // Shutdown
    destroy_bitmap(buffer);
    allegro_exit();
    if (caught != 0)
        end_by(caught);
    return 0;
}
END_OF_MAIN()
