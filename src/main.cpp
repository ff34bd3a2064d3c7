// vexilo: a keyboard-driven viewer of the Mandelbrot set, 320 x 200 in a
// 256-colour palette mode. The main routine owns everything that lives for
// the whole run (the state, the back buffer, the palette, the keyboard) and
// reads in three parts: start-up, the frame loop, shutdown.
#include <allegro.h>

#include <cerrno>
#include <string>

#include "close_button.h"
#include "console.h"
#include "desktop.h"
#include "fractal/fractal.h"
#include "hud.h"
#include "intro.h"
#include "keys.h"
#include "options.h"
#include "pacing.h"
#include "palette.h"
#include "present.h"
#include "screen_mode.h"
#include "termination.h"
#include "viewer_state.h"
#include "window.h"

namespace {

constexpr int COLOUR_DEPTH = 8;

// What start-up makes, for the frame loop and the shutdown.
struct viewer_run {
    screen_layout layout;
    BITMAP *buffer; // the back buffer
    BITMAP *scaled; // the frame stretched, where the layout's scale is over 1
    PALETTE palette;
    loop_keyboard keyboard;
};

// `what` could not be done, with the library's own reason where it has one.
std::string failed(const std::string &what)
{
    return what + (allegro_error[0] ? std::string(": ") + allegro_error : "");
}

// The whole screen's size, every monitor, {0, 0} where the library cannot
// tell.
screen_size desktop_size()
{
    screen_size desktop = {};
    if (get_desktop_resolution(&desktop.width, &desktop.height) != 0)
        desktop = {};
    return desktop;
}

// Starts the library, the keyboard and the graphics mode the options ask
// for, makes the back buffer and sets the palette; why it could not, in one
// line, or nothing.
std::string start_up(const viewer_options &options, termination_signals held, viewer_run &run)
{
    name_window();
    // Not allegro_init(), which has exit() shut the library down again: when
    // the display goes during shutdown, Xlib calls exit() with the library's
    // lock held, and a second shutdown would wait for it for ever. Every way
    // out of main shuts the library down itself.
    if (install_allegro(SYSTEM_AUTODETECT, &errno, nullptr) != 0)
        return failed(std::string("cannot start the Allegro library (no usable ") + display_needed() + ")");
    install_timer();
    if (install_keyboard() != 0)
        return failed("cannot install the keyboard");

    const desktop_facts desktop = read_desktop();
    const screen_choice choice = choose_screen(options, desktop_size(), desktop);
    if (!choice.refusal.empty())
        return failed(choice.refusal);
    run.layout = choice.layout;

    set_color_depth(COLOUR_DEPTH);
    run.buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    const bool scaled_up = run.layout.scale > 1;
    run.scaled = scaled_up ? create_bitmap(FRAME_WIDTH * run.layout.scale, FRAME_HEIGHT * run.layout.scale) : nullptr;
    if (!run.buffer || (scaled_up && !run.scaled))
        return failed("cannot create the back buffer");
    clear_bitmap(run.buffer);

    if (set_gfx_mode(run.layout.driver, run.layout.mode.width, run.layout.mode.height, 0, 0) != 0)
        return failed(cannot_set(run.layout.mode));
    if (options.screen == screen_kind::window)
        watch_close_button();
    // Started, the library has its own handlers in place of ignored signals.
    keep_ignored(held);

    build_palette(run.palette);
    set_palette(run.palette);

    std::string why;
    if (!open_keyboard(options.rate, desktop.repeat_delay, &run.keyboard, &why))
        return failed("cannot listen to the keyboard: " + why);
    return "";
}

// Releases what start-up made, whatever it got to.
void shut_down(viewer_run &run)
{
    before_the_library_shuts_down();
    destroy_bitmap(run.scaled);
    destroy_bitmap(run.buffer);
    allegro_exit();
    close_keyboard(run.keyboard);
}

} // namespace

int main(int argc, char *argv[])
{
    // Start-up
    find_the_console();
    const command_line line = read_command_line(argc, argv);
    if (line.what != command::run)
        return answer_command_line(line);
    const termination_signals held = hold_termination_signals();
    viewer_run run = {};
    if (const std::string why = start_up(line.options, held, run); !why.empty()) {
        tell_the_user("vexilo: " + why);
        shut_down(run);
        return 1;
    }
    draw_intro(run.buffer);
    present_frame(run.buffer, run.scaled, run.layout.left, run.layout.top);
    wait_at_the_intro(run.keyboard);

    // Frame loop: a termination request ends it as Escape does, between two
    // passes.
    viewer_state state = START_STATE;
    view_samples samples = {};
    while (!asked_to_quit(run.keyboard)) {
        if (state.redraw) {
            samples = draw_frame(run.buffer, state);
            present_frame(run.buffer, run.scaled, run.layout.left, run.layout.top);
        }
        state.redraw = false;
        const held_keys keys = keys_of_the_pass(run.keyboard);
        state = handle_keys(state, samples, keys, run.buffer, run.palette, line.options.screenshot);
        wait_for_the_next_pass(run.keyboard, state.redraw);
    }

    // Shutdown. A termination request that came, even with Escape or during
    // the shutdown, then ends the viewer as the system ends a program for it.
    shut_down(run);
    release_termination_signals(held);
    return 0;
}
END_OF_MAIN()
