// The viewer without a screen: palette, intro, status line, the command
// keys, the paced keyboard, and the screenshot as PNG.
#include "helpers.h"
#include "pacing.h"

#include <sstream>

#include <spng.h>

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
#ifdef _WIN32
                                {150, 63, "MinGW32.s"},
#else
                                {150, 63, "Unix"},
#endif
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
        std::filesystem::remove(DEFAULT_SCREENSHOT.path);
        held_keys keys = {};
        for (int k : held)
            keys.down.set(k);
        const viewer_state state = handle_keys(before, samples, keys, frame.get(), palette, DEFAULT_SCREENSHOT);
        EXPECT_TRUE(bits(state.window) == bits(after.window) && state.max_iterations == after.max_iterations &&
                    state.zoom_count == after.zoom_count && state.redraw == after.redraw)
            << held.size() << " keys from limit " << before.max_iterations << ", zoom " << before.zoom_count;
        EXPECT_EQ(saved(frame.get()), std::ranges::count(held, KEY_S) == 1);
    }
}

// As PNG, named in capitals: an indexed picture whose pixels are the
// frame's and whose palette holds the very bytes of the PCX's palette. A
// picture the encoder refuses (no width) leaves no file.
TEST_F(viewer, SavesAnIndexedPngWithThePcxPalette)
{
    draw_frame(frame.get(), START_STATE);
    ASSERT_TRUE(save_screenshot({"shot.PNG", image_format::png}, frame.get(), palette) &&
                save_screenshot(DEFAULT_SCREENSHOT, frame.get(), palette));
    const std::string png = read_file("shot.PNG"), pcx = read_file("vexilo.pcx");
    spng_ctx *decoder = spng_ctx_new(0);
    spng_ihdr header = {};
    spng_plte colours = {};
    std::vector<unsigned char> pixels(size_t(FRAME_WIDTH) * FRAME_HEIGHT);
    EXPECT_TRUE(spng_set_png_buffer(decoder, png.data(), png.size()) == 0 && spng_get_ihdr(decoder, &header) == 0 &&
                spng_get_plte(decoder, &colours) == 0 &&
                spng_decode_image(decoder, pixels.data(), pixels.size(), SPNG_FMT_PNG, 0) == 0);
    spng_ctx_free(decoder);
    EXPECT_TRUE(header.width == FRAME_WIDTH && header.height == FRAME_HEIGHT &&
                header.color_type == SPNG_COLOR_TYPE_INDEXED && colours.n_entries == PAL_SIZE &&
                std::memcmp(pixels.data(), frame->dat, pixels.size()) == 0);
    for (size_t i = 0; i < PAL_SIZE; ++i) {
        const spng_plte_entry c = colours.entries[i];
        EXPECT_EQ(std::string({char(c.red), char(c.green), char(c.blue)}), pcx.substr(pcx.size() - 768 + 3 * i, 3))
            << i;
    }
    const bitmap_ptr empty(create_bitmap(0, FRAME_HEIGHT));
    EXPECT_TRUE(empty && !save_screenshot({"empty.png", image_format::png}, empty.get(), palette) &&
                files_in(".") == 2);
}

// The paced keyboard, fed events at set times (ms): p presses L, r releases
// it, R is the keyboard's own repeat of it, s and c press Shift and Ctrl, u
// releases Enter, never seen going down (the one that started vexilo from a
// terminal), | a pass (acts on a key or not). Modifiers and that release
// act on nothing, so they end no intro either.
// A tap acts once, at once, wherever it lands: while a frame is drawn (tap 1
// held over a pass and let go in the wait, tap 2 before the next pass
// reads: the three actions two taps once gave), two in one pass (the second
// at the next), between two reads of a wait. A held key repeats 15 times a
// second after a delay of 500 ms, the keyboard's own repeats aside; a repeat
// due before a release still acts, one due during a slow frame once.
TEST(pacing, EveryTapActsOnceAndHeldKeysRepeatAfterTheDelay)
{
    constexpr key_pace PACE = {std::chrono::milliseconds(500), std::chrono::nanoseconds(std::chrono::seconds(1)) / 15};
    const auto acted = [&](const std::string &steps) {
        paced_keyboard keyboard = {};
        std::string acts;
        std::istringstream words(steps);
        char step = 0;
        for (int ms = 0; words >> step >> ms;) {
            const pass_clock::time_point at{std::chrono::milliseconds(ms)};
            const int scancode = step == 's'   ? KEY_LSHIFT
                                 : step == 'c' ? KEY_LCONTROL
                                 : step == 'u' ? KEY_ENTER
                                               : KEY_L;
            if (step == '|')
                acts += take_actions(keyboard, at, PACE).down.any() ? '1' : '0';
            else
                note_key_event(keyboard, {at, scancode, step != 'r' && step != 'u'}, PACE);
        }
        return acts;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"p0 |1 r30 |67 |100", "100"},
        {"p0 |5 r40 p50 |60 r80 |100", "110"},
        {"p0 r10 p20 r30 |40 |41 |42", "110"},
        {"|0 p10 r15 |20", "01"},
        {"p0 |0 r600 |700", "11"},
        {"p0 |0 r560 |700", "10"},
        {"p0 |0 |1200 |1201 |1266 |1267", "11001"},
        {"s0 |10 c20 |700 u800 |810", "000"},
    };
    for (const auto &[steps, acts] : cases)
        EXPECT_EQ(acted(steps), acts) << steps;
    // Held 1.5 s, with the keyboard repeating it every 40 ms from 660 ms on,
    // and a pass every 10 ms: 1 + (1.5 - 0.5) x 15 actions.
    std::string hold;
    for (int ms = 0; ms < 1600; ms += 10)
        hold += (ms == 0                                  ? " p"
                 : ms == 1500                             ? " r"
                 : ms > 600 && ms < 1500 && ms % 40 == 20 ? " R"
                                                          : " |") +
                std::to_string(ms) + " |" + std::to_string(ms + 1);
    EXPECT_EQ(std::ranges::count(acted(hold), '1'), 16) << acted(hold);

    // As the library reports them: a tap of L wakes the wait and acts, timed
    // when it was reported, not when it was read (the first repeat would
    // come late after a slow frame); a quick Escape, two events that `key`
    // never shows, ends even an endless wait, and a key pressed after it in
    // the same read does not take it back.
    new_frame();
    std::string why;
    key_listener *listener = start_listening(&why);
    ASSERT_TRUE(listener) << why;
    paced_keyboard keyboard = {};
    keyboard_lowlevel_callback(KEY_L);
    const pass_clock::time_point reported = pass_clock::now();
    while (pass_clock::now() == reported) { // the read comes strictly later
    }
    keyboard_lowlevel_callback(KEY_L | 0x80);
    wait_for_action(keyboard, PACE, listener);
    EXPECT_LE(keyboard.next_repeat[KEY_L], reported + PACE.delay + PACE.period);
    EXPECT_TRUE(take_actions(keyboard, pass_clock::now(), PACE).down[KEY_L] && !keyboard.escape);
    // A hundred reports at once, more than one take brings: each read once.
    for (int tap = 0; tap < 50; ++tap)
        for (const int released : {0, 0x80})
            keyboard_lowlevel_callback((tap < 32 ? KEY_L : KEY_K) | released);
    paced_keyboard many = {};
    read_key_events(many, PACE, listener);
    EXPECT_TRUE(many.due[KEY_L] == 32 && many.due[KEY_K] == 18) << many.due[KEY_L] << " and " << many.due[KEY_K];
    for (const int scancode : {int(KEY_ESC), int(KEY_L), KEY_ESC | 0x80, KEY_L | 0x80})
        keyboard_lowlevel_callback(scancode);
    read_key_events(keyboard, PACE, listener), take_actions(keyboard, pass_clock::now(), PACE);
    ASSERT_TRUE(keyboard.escape) << "a press after Escape took the quit back";
    wait_for_action(keyboard, PACE, listener);
    EXPECT_TRUE(keyboard.escape && !key[KEY_ESC] && quit_asked(keyboard.escape));
    stop_listening(listener);
}

} // namespace
