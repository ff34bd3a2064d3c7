// vexilo: a keyboard-driven viewer of the Mandelbrot set, 320 x 200 in a
// 256-colour palette mode. The main routine owns everything that lives for
// the whole run (the state, the back buffer, the palette) and reads in three
// parts: start-up, the frame loop, shutdown.
#include <allegro.h>

#include <cerrno>
#include <string>

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

// Says on stderr, in one line, why the viewer cannot go on, releases what
// start-up made and gives the exit status. The bitmaps may be null.
int give_up(const std::string &what, BITMAP *buffer, BITMAP *scaled)
{
    tell_the_user("vexilo: " + what + (allegro_error[0] ? std::string(": ") + allegro_error : ""));
    stop_following_focus();
    destroy_bitmap(scaled);
    destroy_bitmap(buffer);
    allegro_exit();
    return 1;
}

// The whole X screen's size, every monitor, {0, 0} where the library
// cannot tell.
screen_size desktop_size()
{
    screen_size desktop = {};
    if (get_desktop_resolution(&desktop.width, &desktop.height) != 0)
        desktop = {};
    return desktop;
}

} // namespace

int main(int argc, char *argv[])
{
    // Start-up
    find_the_console();
    const command_line line = read_command_line(argc, argv);
    if (line.what != command::run)
        return answer_command_line(line);
    const viewer_options options = line.options;

    const termination_signals held = hold_termination_signals();
    name_window();
    // Not allegro_init(), which has exit() shut the library down again: when
    // the display goes during shutdown, Xlib calls exit() with the library's
    // lock held, and a second shutdown would wait for it for ever. Every way
    // out of main shuts the library down itself.
    if (install_allegro(SYSTEM_AUTODETECT, &errno, nullptr) != 0)
        return give_up("cannot start the Allegro library (no usable X display or console)", nullptr, nullptr);
    install_timer();
    if (install_keyboard() != 0)
        return give_up("cannot install the keyboard", nullptr, nullptr);

    const desktop_facts desktop = read_desktop();
    const screen_choice choice = choose_screen(options, desktop_size(), desktop);
    if (!choice.refusal.empty())
        return give_up(choice.refusal, nullptr, nullptr);
    const screen_layout layout = choice.layout;

    set_color_depth(COLOUR_DEPTH);
    BITMAP *buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    const bool scaled_up = layout.scale > 1;
    BITMAP *scaled = scaled_up ? create_bitmap(FRAME_WIDTH * layout.scale, FRAME_HEIGHT * layout.scale) : nullptr;
    if (!buffer || (scaled_up && !scaled))
        return give_up("cannot create the back buffer", buffer, scaled);
    clear_bitmap(buffer);

    if (set_gfx_mode(layout.driver, layout.mode.width, layout.mode.height, 0, 0) != 0)
        return give_up(cannot_set(layout.mode), buffer, scaled);
    if (options.screen == screen_kind::window)
        watch_close_button();

    // Started, the library has its own handlers in place of ignored signals.
    keep_ignored(held);

    PALETTE palette;
    build_palette(palette);
    set_palette(palette);

    // With a rate, the keyboard's events reach the loop, and held keys
    // repeat after the desktop's own delay.
    const bool paced = options.rate != UNLIMITED_RATE;
    std::string why;
    key_listener *listener = paced ? start_listening(&why) : nullptr;
    if (paced && !listener)
        return give_up("cannot listen to the keyboard: " + why, buffer, scaled);
    const key_pace pace = {desktop.repeat_delay, paced ? pass_clock::duration(std::chrono::seconds(1)) / options.rate
                                                       : pass_clock::duration()};
    paced_keyboard keyboard = {};

    draw_intro(buffer);
    present_frame(buffer, scaled, layout.left, layout.top);
    // Without a rate, the key that ends the intro stays in the key buffer on
    // purpose: only held keys matter from here on. With one, its press is an
    // action of the first pass.
    if (paced)
        wait_for_action(keyboard, pace, listener);
    else
        while (!keypressed() && !quit_asked(key[KEY_ESC]))
            let_the_window_run();

    // Frame loop
    viewer_state state = START_STATE;
    view_samples samples = {};
    // A termination signal ends the loop as Escape does, between two passes.
    for (;;) {
        if (paced)
            read_key_events(keyboard, pace, listener);
        if (quit_asked(paced ? keyboard.escape : key[KEY_ESC] != 0))
            break;
        if (state.redraw) {
            samples = draw_frame(buffer, state);
            present_frame(buffer, scaled, layout.left, layout.top);
        }
        state.redraw = false;
        const held_keys keys = paced ? take_actions(keyboard, pass_clock::now(), pace) : keys_down();
        state = handle_keys(state, samples, keys, buffer, palette, options.screenshot);
        // Paced, the loop sleeps until a key asks for something.
        if (paced && !state.redraw)
            wait_for_action(keyboard, pace, listener);
        else if (!paced)
            let_the_window_run();
    }

    // Shutdown
    stop_following_focus();
    destroy_bitmap(scaled);
    destroy_bitmap(buffer);
    allegro_exit();
    if (paced)
        stop_listening(listener);
    // A termination signal that came, even with Escape or during shutdown,
    // ends the viewer here.
    release_termination_signals(held);
    return 0;
}
END_OF_MAIN()
