// The viewer without a screen: palette, intro, status line, and the command
// keys driven through the library's `key` array.
#include "helpers.h"
#include "pacing.h"

namespace {

using viewer = with_frame;

// The palette's blue ramps, black and green; each intro line centred on
// x = 160 in its colour (the 32-character help lines thus all start at
// x = 32); a frame: the picture, then over it the status line at the top
// (a negative imaginary part after the plus) and the marker on the centre
// pixel.
TEST_F(viewer, PaletteIntroAndStatusLine)
{
    const int entries[][4] = {{0, 0, 0, 0},    {63, 0, 0, 63},  {64, 0, 0, 63}, {127, 0, 0, 0}, {128, 0, 0, 0},
                              {191, 0, 0, 63}, {192, 0, 0, 63}, {253, 0, 0, 2}, {254, 0, 0, 0}, {255, 15, 45, 15}};
    for (const auto [index, r, g, b] : entries)
        EXPECT_TRUE(palette[index].r == r && palette[index].g == g && palette[index].b == b) << "entry " << index;
    const intro_line lines[] = {{60, 63, "Fractale de Mandelbrot !"},
                                {80, 50, "Les fleches       : Translation "},
                                {90, 50, "O : Zoom        I : De-Zoom     "},
                                {100, 50, "L : Iteration+  K : Iteration-  "},
                                {110, 50, "S : Capture d'ecran (vexilo.pcx)"},
                                {120, 63, "Appuyez sur une touche pour continuer"},
                                {130, 63, "(ESC): quitter"},
                                {150, 63, "Unix"},
                                {160, 63, "4.4.3"}};
    const bitmap_ptr expected = new_frame();
    clear_to_color(expected.get(), 0);
    for (const intro_line &line : lines)
        textprintf_centre_ex(expected.get(), font, 160, line.y, line.colour, -1, "%s", line.text);
    draw_intro(frame.get());
    EXPECT_TRUE(same_picture(frame.get(), expected.get()));
    render_view(expected.get(), 254, -1.0, 2.0, -1.25, 0.75);
    textprintf_centre_ex(expected.get(), font, 160, 0, 255, -1, "0.500000 + -0.250000i Zoom=3 i=254");
    putpixel(expected.get(), 160, 100, 255);
    draw_frame(frame.get(), {{-1.0, 2.0, -1.25, 0.75}, 254, 3, true});
    EXPECT_TRUE(same_picture(frame.get(), expected.get()));
}

// One pass from the start view with keys held together: effects, their
// fixed order, clamps, the zoom counter's ceiling, each window exact. Zoom in
// takes the start samples' corners, zoom out centres on their centre; S
// saves the frame, also with an arrow that asks for a redraw before it.
TEST_F(viewer, KeysInOnePassFromTheStartView)
{
    constexpr view_window START = {-2.0, 2.0, -2.0, 2.0},
                          ZOOMED_IN = {-1.0000000000000036, 0.9999999999999936, -0.9999999999999991, 1.000000000000002},
                          ZOOMED_OUT = {-2.000000000000005, 1.999999999999995, 2.0000000000000013, -1.9999999999999984};
    // Keys held, the state before and after.
    const std::tuple<std::vector<int>, viewer_state, viewer_state> cases[] = {
        {{KEY_DOWN}, {START, 10, 1, false}, {{-2.0, 2.0, -1.9, 2.1}, 10, 1, true}},
        {{KEY_LEFT, KEY_UP}, {START, 10, 1, false}, {{-2.0625, 1.9375, -2.1, 1.9}, 10, 1, true}},
        {{KEY_RIGHT, KEY_DOWN, KEY_L}, {START, 10, 1, false}, {{-1.9375, 2.0625, -1.9, 2.1}, 11, 1, true}},
        {{KEY_L}, {START, 254, 1, false}, {START, 254, 1, true}},
        {{KEY_K}, {START, 0, 1, false}, {START, 0, 1, true}},
        {{KEY_L, KEY_K}, {START, 10, 1, false}, {START, 10, 1, true}},
        {{KEY_L, KEY_K}, {START, 254, 1, false}, {START, 253, 1, true}},
        {{KEY_RIGHT, KEY_O}, {START, 10, 1, false}, {ZOOMED_IN, 10, 2, true}},
        {{KEY_O}, {START, 10, INT_MAX, false}, {ZOOMED_IN, 10, INT_MAX, true}},
        {{KEY_I}, {START, 10, 7, false}, {ZOOMED_OUT, 10, 1, true}},
        {{KEY_O, KEY_I}, {START, 10, 7, false}, {ZOOMED_OUT, 10, 1, true}},
        {{KEY_S, KEY_A, KEY_SPACE, KEY_ESC}, {START, 10, 1, false}, {START, 10, 1, false}},
        {{KEY_S, KEY_A, KEY_ESC, KEY_RIGHT}, {START, 10, 1, false}, {{-1.9375, 2.0625, -2.0, 2.0}, 10, 1, true}},
    };
    const view_samples samples = draw_frame(frame.get(), {START, 10, 1, true});
    for (const auto &[held, before, after] : cases) {
        std::filesystem::remove(SCREENSHOT_FILE);
        held_keys keys = {};
        for (int k : held)
            keys.down.set(k);
        const viewer_state state = handle_keys(before, samples, keys, frame.get(), palette);
        EXPECT_TRUE(bits(state.window) == bits(after.window) && state.max_iterations == after.max_iterations &&
                    state.zoom_count == after.zoom_count && state.redraw == after.redraw)
            << held.size() << " keys from limit " << before.max_iterations << ", zoom " << before.zoom_count;
        EXPECT_EQ(saved(frame.get()), std::ranges::count(held, KEY_S) == 1);
    }
}

// The key buffer as the paced loop sees it: L pressed `buffered` times.
int buffered = 0;

// A paced key of L, wherever it lands, acts once: p presses it (in `key` and
// the key buffer), k shows it in `key` before its press reaches the buffer,
// b puts that press there, r releases it; | is a pass reading the keys (one
// act or none), w the wait after it, which empties the buffer. A key held
// across passes acts on each, a quick Escape ends the wait.
TEST(pacing, APressActsOnceWhereverItLands)
{
    new_frame();
    install_keyboard_hooks([] { return int(buffered > 0); }, [] { return --buffered, KEY_L << 8 | 'l'; });
    const std::pair<std::string, std::string> cases[] = {
        {"p|wr|w|", "010"},       // pressed while a frame is drawn
        {"|pwr|w|", "010"},       // pressed and released in a wait
        {"k|bwr|w|", "010"},      // seen in `key` before the buffer has it
        {"|pw|w|w|rw|", "01110"}, // held over three passes
        {"|pw|rpw|rw|", "0110"},  // tapped again before a pass saw it let go
        {"|pprw|w|", "010"},      // two taps in one wait: one act
    };
    for (const auto &[steps, acts] : cases) {
        std::string acted;
        held_keys pressed = {}, down = {}, down_before = {};
        for (const char step : steps) {
            key[KEY_L] = char(step == 'p' || step == 'k' ? -1 : step == 'r' ? 0 : key[KEY_L]);
            buffered += step == 'p' || step == 'b';
            if (step == '|')
                down_before = down,
                acted += paced_keys(pressed, down = keys_down(), down_before).down[KEY_L] ? '1' : '0';
            if (step == 'w')
                pressed = wait_for_keys(pass_clock::now(), false);
        }
        EXPECT_EQ(acted, acts) << steps;
    }
    key[KEY_ESC] = -1;
    EXPECT_TRUE(wait_for_keys(pass_clock::time_point::max(), false).down.none() && quit_asked({}));
    key[KEY_ESC] = 0;
}

} // namespace
