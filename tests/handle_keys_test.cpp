// The command keys, driven through the library's `key` array: each key's
// effect, keys held together in one pass, clamps, and the exact zoom windows.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>

#include "fractal/fractal.h"
#include "keys.h"
#include "palette.h"
#include "pixels.h"
#include "scratch_directory.h"

namespace {

class handle_keys_test : public testing::Test {
protected:
    void SetUp() override
    {
        buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
        build_palette(palette);
        start_samples = render_view(buffer, START_STATE.max_iterations, -2.0, 2.0, -2.0, 2.0);
    }

    void TearDown() override { destroy_bitmap(buffer); }

    // One pass of the frame loop's key handling with exactly `held` down.
    viewer_state pass(viewer_state state, std::initializer_list<int> held)
    {
        for (int k : held)
            key[k] = 1;
        state.redraw = false;
        const viewer_state after = handle_keys(state, start_samples, buffer, palette);
        for (int k : held)
            key[k] = 0;
        return after;
    }

    BITMAP *buffer = nullptr;
    PALETTE palette;
    view_samples start_samples;
    scratch_directory directory; // where screenshots land
};

// From the start window five pixels are 4 / 320 * 5 = 0.0625 across and
// 4 / 200 * 5 = 0.1 (rounded) down; the start samples' centre is 0 up to
// 1e-14 and their corners are +-1 up to a few ulps.
TEST_F(handle_keys_test, EachKeyFromTheStartView)
{
    struct key_case {
        const char *name;
        std::initializer_list<int> held;
        view_window window;
        int limit, zoom;
        bool redraw;
    };
    const key_case cases[] = {
        {"down", {KEY_DOWN}, {-2.0, 2.0, -1.9, 2.1}, 10, 1, true},
        {"left", {KEY_LEFT}, {-2.0625, 1.9375, -2.0, 2.0}, 10, 1, true},
        {"right", {KEY_RIGHT}, {-1.9375, 2.0625, -2.0, 2.0}, 10, 1, true},
        {"up", {KEY_UP}, {-2.0, 2.0, -2.1, 1.9}, 10, 1, true},
        {"two arrows and L act together", {KEY_DOWN, KEY_RIGHT, KEY_L}, {-1.9375, 2.0625, -1.9, 2.1}, 11, 1, true},
        {"zoom in", {KEY_O}, {-1.0, 1.0, -1.0, 1.0}, 10, 2, true},
        {"O replaces what an arrow moved", {KEY_RIGHT, KEY_DOWN, KEY_O}, {-1.0, 1.0, -1.0, 1.0}, 10, 2, true},
        {"zoom out: 4 x 4, top the larger", {KEY_I}, {-2.0, 2.0, 2.0, -2.0}, 10, 1, true},
        {"I replaces what O set", {KEY_O, KEY_I}, {-2.0, 2.0, 2.0, -2.0}, 10, 1, true},
        {"S changes nothing and asks no redraw", {KEY_S}, {-2.0, 2.0, -2.0, 2.0}, 10, 1, false},
        {"other keys do nothing", {KEY_A, KEY_SPACE, KEY_ESC}, {-2.0, 2.0, -2.0, 2.0}, 10, 1, false},
    };
    for (const key_case &c : cases) {
        SCOPED_TRACE(c.name);
        const viewer_state after = pass(START_STATE, c.held);
        EXPECT_NEAR(after.window.left, c.window.left, 1e-13);
        EXPECT_NEAR(after.window.right, c.window.right, 1e-13);
        EXPECT_NEAR(after.window.top, c.window.top, 1e-13);
        EXPECT_NEAR(after.window.bottom, c.window.bottom, 1e-13);
        EXPECT_EQ(after.max_iterations, c.limit);
        EXPECT_EQ(after.zoom_count, c.zoom);
        EXPECT_EQ(after.redraw, c.redraw);
    }
}

TEST_F(handle_keys_test, ZoomWindowsComeExactlyFromTheSamples)
{
    const viewer_state in = pass(START_STATE, {KEY_O});
    EXPECT_EQ(in.window.left, -1.0000000000000036);
    EXPECT_EQ(in.window.top, -0.9999999999999991);
    EXPECT_EQ(in.window.right, 0.9999999999999936);
    EXPECT_EQ(in.window.bottom, 1.000000000000002);

    const viewer_state out = pass(START_STATE, {KEY_I});
    EXPECT_EQ(out.window.left, start_samples.centre.re - 2.0);
    EXPECT_EQ(out.window.right, start_samples.centre.re + 2.0);
    EXPECT_EQ(out.window.top, start_samples.centre.im + 2.0);
    EXPECT_EQ(out.window.bottom, start_samples.centre.im - 2.0);
    EXPECT_EQ(out.window.top - out.window.bottom, 4.0);
}

// The limit steps and clamps to 0 ... 254, L before K; the zoom counter counts
// zoom-ins, stops at its largest value instead of overflowing, and I resets it.
TEST_F(handle_keys_test, CountersStepAndClamp)
{
    constexpr int viewer_state::*LIMIT = &viewer_state::max_iterations;
    constexpr int viewer_state::*ZOOM = &viewer_state::zoom_count;
    struct counter_case {
        int viewer_state::*counter;
        int start;
        std::initializer_list<int> held;
        int expected;
    };
    const counter_case cases[] = {
        {LIMIT, 10, {KEY_L}, 11},
        {LIMIT, 10, {KEY_K}, 9},
        {LIMIT, 253, {KEY_L}, 254},
        {LIMIT, 254, {KEY_L}, 254},
        {LIMIT, 0, {KEY_K}, 0},
        {LIMIT, 1, {KEY_K}, 0},
        {LIMIT, 10, {KEY_L, KEY_K}, 10},
        {LIMIT, 254, {KEY_L, KEY_K}, 253},
        {LIMIT, 0, {KEY_L, KEY_K}, 0},
        {ZOOM, 1, {KEY_O}, 2},
        {ZOOM, INT_MAX - 1, {KEY_O}, INT_MAX},
        {ZOOM, INT_MAX, {KEY_O}, INT_MAX},
        {ZOOM, INT_MAX, {KEY_I}, 1},
        {ZOOM, 7, {KEY_O, KEY_I}, 1},
    };
    for (const counter_case &c : cases) {
        viewer_state state = START_STATE;
        state.*c.counter = c.start;
        EXPECT_EQ(pass(state, c.held).*c.counter, c.expected)
            << (c.counter == LIMIT ? "limit" : "zoom") << " from " << c.start;
    }
}

// Panning follows the screen whichever way the window runs, and undoes.
TEST_F(handle_keys_test, PanningFollowsTheScreenAndReturns)
{
    viewer_state upwards = START_STATE;
    upwards.window = {-0.75, -0.5, 0.3, 0.1};
    const viewer_state down = pass(upwards, {KEY_DOWN});
    EXPECT_LT(down.window.top, upwards.window.top) << "Down goes towards the bottom row";
    const viewer_state back = pass(down, {KEY_UP});
    EXPECT_DOUBLE_EQ(back.window.top, upwards.window.top);
    EXPECT_DOUBLE_EQ(back.window.bottom, upwards.window.bottom);
}

// S saves the frame already rendered, even with an arrow in the same pass.
TEST_F(handle_keys_test, ScreenshotSavesTheFrameBeforeThePan)
{
    const viewer_state after = pass(START_STATE, {KEY_S, KEY_RIGHT});
    EXPECT_EQ(after.window.left, -1.9375);
    PALETTE loaded_palette;
    BITMAP *saved = load_pcx(SCREENSHOT_FILE, loaded_palette);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(count_differing_pixels(saved, buffer), 0);
    destroy_bitmap(saved);
}

} // namespace
