// The command keys, driven through the library's `key` array: each key's
// effect, keys held together in one pass, clamps, and the exact zoom windows.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "fractal/fractal.h"
#include "keys.h"
#include "palette.h"

namespace {

class handle_keys_test : public testing::Test {
protected:
    void SetUp() override
    {
        release_all_keys();
        buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
        build_palette(palette);
        start_samples = render_view(buffer, START_STATE.max_iterations, -2.0, 2.0, -2.0, 2.0);
        // Any screenshot lands in a directory of the test's own.
        char pattern[] = "/tmp/vexilo-keys-XXXXXX";
        directory = mkdtemp(pattern);
        ASSERT_EQ(chdir(directory.c_str()), 0);
    }

    void TearDown() override
    {
        release_all_keys();
        destroy_bitmap(buffer);
        ASSERT_EQ(chdir("/"), 0);
        std::filesystem::remove_all(directory);
    }

    static void release_all_keys()
    {
        for (int k = 0; k < KEY_MAX; ++k)
            key[k] = 0;
    }

    // One pass of the frame loop's key handling with exactly `held` down.
    viewer_state pass(viewer_state state, std::initializer_list<int> held, view_samples samples)
    {
        for (int k : held)
            key[k] = 1;
        state.redraw = false;
        const viewer_state after = handle_keys(state, samples, buffer, palette);
        release_all_keys();
        return after;
    }

    viewer_state pass(viewer_state state, std::initializer_list<int> held) { return pass(state, held, start_samples); }

    BITMAP *buffer = nullptr;
    PALETTE palette;
    view_samples start_samples;
    std::string directory;
};

TEST_F(handle_keys_test, EachArrowMovesTheViewFivePixels)
{
    // Five pixels of the start window are 4 / 320 * 5 = 0.0625 across and
    // 4 / 200 * 5 = 0.1 (rounded) down.
    struct arrow_case {
        const char *name;
        int scancode;
        double left, right, top, bottom;
    };
    const arrow_case cases[] = {
        {"down", KEY_DOWN, -2.0, 2.0, -1.9, 2.1},
        {"left", KEY_LEFT, -2.0625, 1.9375, -2.0, 2.0},
        {"right", KEY_RIGHT, -1.9375, 2.0625, -2.0, 2.0},
        {"up", KEY_UP, -2.0, 2.0, -2.1, 1.9},
    };
    for (const arrow_case &c : cases) {
        SCOPED_TRACE(c.name);
        const viewer_state after = pass(START_STATE, {c.scancode});
        EXPECT_DOUBLE_EQ(after.window.left, c.left);
        EXPECT_DOUBLE_EQ(after.window.right, c.right);
        EXPECT_DOUBLE_EQ(after.window.top, c.top);
        EXPECT_DOUBLE_EQ(after.window.bottom, c.bottom);
        EXPECT_TRUE(after.redraw);
        EXPECT_EQ(after.zoom_count, 1);
        EXPECT_EQ(after.max_iterations, 10);
    }
}

// After a zoom-out the window runs upwards; Down must still move the view
// towards the bottom of the screen, that is towards smaller imaginary parts.
TEST_F(handle_keys_test, DownFollowsTheScreenWhenTheWindowRunsUpwards)
{
    const viewer_state zoomed_out = pass(START_STATE, {KEY_I});
    ASSERT_GT(zoomed_out.window.top, zoomed_out.window.bottom);
    const viewer_state after = pass(zoomed_out, {KEY_DOWN});
    EXPECT_LT(after.window.top, zoomed_out.window.top);
    EXPECT_LT(after.window.bottom, zoomed_out.window.bottom);
}

TEST_F(handle_keys_test, DownThenUpReturnsToTheWindow)
{
    viewer_state state = START_STATE;
    state.window = {-0.75, -0.5, 0.1, 0.3};
    const viewer_state back = pass(pass(state, {KEY_DOWN}), {KEY_UP});
    EXPECT_DOUBLE_EQ(back.window.top, state.window.top);
    EXPECT_DOUBLE_EQ(back.window.bottom, state.window.bottom);
    EXPECT_EQ(back.window.left, state.window.left);
    EXPECT_EQ(back.window.right, state.window.right);
}

TEST_F(handle_keys_test, IterationLimitStepsAndClamps)
{
    struct limit_case {
        const char *name;
        int start;
        std::initializer_list<int> held;
        int expected;
    };
    const limit_case cases[] = {
        {"L raises", 10, {KEY_L}, 11},
        {"K lowers", 10, {KEY_K}, 9},
        {"L at 253 reaches the cap", 253, {KEY_L}, 254},
        {"L at 254 stays", 254, {KEY_L}, 254},
        {"K at 0 stays", 0, {KEY_K}, 0},
        {"K at 1 reaches 0", 1, {KEY_K}, 0},
        {"L and K cancel", 10, {KEY_L, KEY_K}, 10},
        {"L and K at 254: L clamps first, then K", 254, {KEY_L, KEY_K}, 253},
        {"L and K at 0", 0, {KEY_L, KEY_K}, 0},
    };
    for (const limit_case &c : cases) {
        SCOPED_TRACE(c.name);
        viewer_state state = START_STATE;
        state.max_iterations = c.start;
        const viewer_state after = pass(state, c.held);
        EXPECT_EQ(after.max_iterations, c.expected);
        EXPECT_TRUE(after.redraw);
    }
}

TEST_F(handle_keys_test, ZoomInFromTheStartTakesTheRecordedCorners)
{
    const viewer_state after = pass(START_STATE, {KEY_O});
    EXPECT_EQ(after.window.left, -1.0000000000000036);
    EXPECT_EQ(after.window.top, -0.9999999999999991);
    EXPECT_EQ(after.window.right, 0.9999999999999936);
    EXPECT_EQ(after.window.bottom, 1.000000000000002);
    EXPECT_EQ(after.zoom_count, 2);
    EXPECT_EQ(after.max_iterations, 10);
    EXPECT_TRUE(after.redraw);
}

TEST_F(handle_keys_test, ZoomOutCentresAFourByFourWindowOnTheCentre)
{
    viewer_state state = START_STATE;
    state.zoom_count = 7;
    state.max_iterations = 99;
    const view_samples samples = {{-0.743, 0.131}, {-0.75, 0.12}, {-0.74, 0.14}};
    const viewer_state after = pass(state, {KEY_I}, samples);
    EXPECT_EQ(after.window.left, -0.743 - 2.0);
    EXPECT_EQ(after.window.right, -0.743 + 2.0);
    EXPECT_EQ(after.window.top, 0.131 + 2.0);
    EXPECT_EQ(after.window.bottom, 0.131 - 2.0);
    EXPECT_DOUBLE_EQ(after.window.top - after.window.bottom, 4.0);
    EXPECT_DOUBLE_EQ(after.window.right - after.window.left, 4.0);
    EXPECT_EQ(after.zoom_count, 1);
    EXPECT_EQ(after.max_iterations, 99);
    EXPECT_TRUE(after.redraw);
}

TEST_F(handle_keys_test, KeysHeldTogetherActInTheirFixedOrder)
{
    // O replaces the window an arrow of the same pass moved...
    const viewer_state arrow_and_o = pass(START_STATE, {KEY_RIGHT, KEY_DOWN, KEY_O});
    EXPECT_EQ(arrow_and_o.window.left, start_samples.corner_a.re);
    EXPECT_EQ(arrow_and_o.window.top, start_samples.corner_a.im);
    EXPECT_EQ(arrow_and_o.window.right, start_samples.corner_b.re);
    EXPECT_EQ(arrow_and_o.window.bottom, start_samples.corner_b.im);
    EXPECT_EQ(arrow_and_o.zoom_count, 2);

    // ...and I replaces what O set, so the zoom counter ends at 1.
    const viewer_state o_and_i = pass(START_STATE, {KEY_O, KEY_I});
    EXPECT_EQ(o_and_i.zoom_count, 1);
    EXPECT_EQ(o_and_i.window.left, start_samples.centre.re - 2.0);
    EXPECT_EQ(o_and_i.window.top, start_samples.centre.im + 2.0);

    // Both pans of one pass use steps from the window before the pass.
    const viewer_state diagonal = pass(START_STATE, {KEY_DOWN, KEY_RIGHT, KEY_L});
    EXPECT_EQ(diagonal.window.left, -1.9375);
    EXPECT_DOUBLE_EQ(diagonal.window.top, -1.9);
    EXPECT_EQ(diagonal.max_iterations, 11);
}

TEST_F(handle_keys_test, ScreenshotSavesWithoutRedrawOrChange)
{
    const viewer_state after = pass(START_STATE, {KEY_S});
    EXPECT_FALSE(after.redraw);
    EXPECT_EQ(after.window.left, START_STATE.window.left);
    EXPECT_EQ(after.window.top, START_STATE.window.top);
    EXPECT_EQ(after.max_iterations, START_STATE.max_iterations);
    EXPECT_EQ(after.zoom_count, START_STATE.zoom_count);
    EXPECT_EQ(access(SCREENSHOT_FILE, R_OK), 0) << "S wrote no " << SCREENSHOT_FILE;
}

// S with an arrow saves the frame already rendered, before the pan shows.
TEST_F(handle_keys_test, ScreenshotWithAnArrowSavesTheFrameBeforeThePan)
{
    const viewer_state after = pass(START_STATE, {KEY_S, KEY_RIGHT});
    EXPECT_TRUE(after.redraw);
    EXPECT_EQ(after.window.left, -1.9375);
    PALETTE loaded_palette;
    BITMAP *saved = load_pcx(SCREENSHOT_FILE, loaded_palette);
    ASSERT_NE(saved, nullptr);
    int differing = 0;
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        for (int x = 0; x < FRAME_WIDTH; ++x)
            differing += getpixel(saved, x, y) != getpixel(buffer, x, y);
    EXPECT_EQ(differing, 0);
    destroy_bitmap(saved);
}

TEST_F(handle_keys_test, NoKeyChangesNothing)
{
    const viewer_state after = pass(START_STATE, {KEY_A, KEY_SPACE, KEY_ENTER});
    EXPECT_FALSE(after.redraw);
    EXPECT_EQ(after.window.left, START_STATE.window.left);
    EXPECT_EQ(after.window.bottom, START_STATE.window.bottom);
    EXPECT_EQ(access(SCREENSHOT_FILE, F_OK), -1);
}

} // namespace
