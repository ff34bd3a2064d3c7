// The frame loop's logic without a screen, driven by tens of thousands of
// passes of random held command keys: after every pass the state stays in
// range and defined, and every frame's samples are the values its window
// gives. The generator starts from a fixed value, printed with any failure.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fractal/fractal.h"
#include "hud.h"
#include "keys.h"
#include "palette.h"
#include "pixels.h"
#include "scratch_directory.h"

namespace {

constexpr unsigned long long GENERATOR_START = 1207;
const int COMMAND_KEYS[] = {KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_L, KEY_K, KEY_S, KEY_O, KEY_I};

// `start` advanced by `step` added `times` times, as the renderer does.
double accumulated(double start, double step, int times)
{
    for (int i = 0; i < times; ++i)
        start += step;
    return start;
}

class random_commands_test : public testing::Test {
protected:
    void SetUp() override
    {
        buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
        ASSERT_NE(buffer, nullptr);
        build_palette(palette);
    }

    void TearDown() override { destroy_bitmap(buffer); }

    // Holds `held` for `passes` passes of the frame loop (everything but the
    // Escape test and the copy to the screen), checking after each one.
    void hold(const std::vector<int> &held, int passes)
    {
        for (int k : held)
            key[k] = 1;
        for (int i = 0; i < passes && !HasFatalFailure(); ++i)
            one_pass();
        for (int k : held)
            key[k] = 0;
    }

    void one_pass()
    {
        if (state.redraw) {
            const view_window &w = state.window;
            samples = render_view(buffer, state.max_iterations, w.left, w.right, w.top, w.bottom);
            check_samples();
            draw_hud(buffer, samples.centre, state.zoom_count, state.max_iterations);
        }
        state.redraw = false;
        state = handle_keys(state, samples, buffer, palette);
        ++pass_number;
        const view_window &w = state.window;
        ASSERT_GE(state.max_iterations, 0) << where();
        ASSERT_LE(state.max_iterations, MAX_ITERATIONS_CAP) << where();
        ASSERT_GE(state.zoom_count, 1) << where();
        ASSERT_TRUE(std::isfinite(w.left) && std::isfinite(w.right) && std::isfinite(w.top) && std::isfinite(w.bottom))
            << where();
    }

    void check_samples()
    {
        const view_window &w = state.window;
        const double dx = (w.right - w.left) / FRAME_WIDTH, dy = (w.bottom - w.top) / FRAME_HEIGHT;
        const struct {
            complex_value view_samples::*sample;
            int column, row;
        } pixels[] = {{&view_samples::centre, CENTRE_COLUMN, CENTRE_ROW},
                      {&view_samples::corner_a, CORNER_A_COLUMN, CORNER_A_ROW},
                      {&view_samples::corner_b, CORNER_B_COLUMN, CORNER_B_ROW}};
        for (const auto &p : pixels) {
            const complex_value expected = {accumulated(w.left, dx, p.column), accumulated(w.top, dy, p.row)};
            ASSERT_TRUE(same_bits(samples.*p.sample, expected)) << where();
        }
    }

    std::string where() const
    {
        return "pass " + std::to_string(pass_number) + ", generator start " + std::to_string(GENERATOR_START);
    }

    BITMAP *buffer = nullptr;
    PALETTE palette;
    scratch_directory directory; // where screenshots land
    viewer_state state = START_STATE;
    view_samples samples = {};
    long pass_number = 0;
};

TEST_F(random_commands_test, RandomHeldKeysKeepTheStateInRange)
{
    std::mt19937_64 random(GENERATOR_START);
    while (pass_number < 20000 && !HasFatalFailure()) {
        std::vector<int> held;
        for (int k : COMMAND_KEYS)
            if (random() % (k == KEY_S ? 40 : 4) == 0)
                held.push_back(k);
        // Mostly short taps; now and then a long hold that runs the limit
        // into a clamp or pans far.
        const int passes = random() % 16 == 0 ? static_cast<int>(random() % 400) : static_cast<int>(random() % 8) + 1;
        hold(held, passes);
    }
    EXPECT_TRUE(std::filesystem::exists("vexilo.pcx")) << "S was never held";
}

// Hundreds of zoom-ins shrink the window until its edges are the same double
// and the whole frame is one point; the viewer must stay defined there and
// find its way out with a zoom-out.
TEST_F(random_commands_test, ZoomingInUntilTheWindowCollapses)
{
    hold({KEY_O}, 1200);
    ASSERT_EQ(state.zoom_count, 1201);
    EXPECT_EQ(state.window.left, state.window.right);
    EXPECT_EQ(state.window.top, state.window.bottom);
    hold({KEY_RIGHT, KEY_DOWN}, 2000);
    hold({KEY_I}, 1);
    EXPECT_EQ(state.zoom_count, 1);
    EXPECT_EQ(state.window.right - state.window.left, 4.0);
}

// Thousands of passes of one arrow move the view steadily and come back.
TEST_F(random_commands_test, LongPansStayDefinedAndReturn)
{
    hold({KEY_K}, 20);
    hold({KEY_RIGHT, KEY_UP}, 2000);
    EXPECT_GT(state.window.left, 120.0);
    hold({KEY_LEFT, KEY_DOWN}, 2000);
    EXPECT_NEAR(state.window.left, -2.0, 1e-9);
    EXPECT_NEAR(state.window.top, -2.0, 1e-9);
}

} // namespace
