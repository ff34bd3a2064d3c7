// How long the engine takes: a row through each path against the one-point
// reference, and whole frames of the views a user meets.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "fractal/fractal.h"

namespace {

// A row across the main cardioid, where most points use the whole limit.
std::vector<double> row_across_the_set()
{
    std::vector<double> xs(FRAME_WIDTH);
    for (int i = 0; i < FRAME_WIDTH; ++i)
        xs[i] = -2.0 + i * (2.5 / FRAME_WIDTH);
    return xs;
}

// One row through each path: range(0) is the path (0 AVX2, 1 two lanes,
// 2 one point at a time), range(1) the limit.
void bm_escape_counts_row(benchmark::State &state)
{
    const row_path path = static_cast<row_path>(state.range(0));
    if (!row_path_available(path)) {
        state.SkipWithError("not on this processor");
        return;
    }
    const std::vector<double> xs = row_across_the_set();
    const int limit = static_cast<int>(state.range(1));
    std::vector<int> counts(FRAME_WIDTH);
    for (auto _ : state) {
        escape_counts_on(path, xs.data(), 0.1, FRAME_WIDTH, limit, counts.data());
        benchmark::DoNotOptimize(counts.data());
    }
    state.SetItemsProcessed(state.iterations() * FRAME_WIDTH);
}

// A whole frame of the window range(0) at limit range(1). Window 0 is the
// start view (at limit 10 what a user first sees); window 1 lies wholly
// inside the main cardioid, where every pixel runs the whole limit: at 254
// the slowest frame there is.
void bm_render_view(benchmark::State &state)
{
    const double half = state.range(0) == 0 ? 2.0 : 0.2;
    const int limit = static_cast<int>(state.range(1));
    BITMAP *buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    for (auto _ : state)
        benchmark::DoNotOptimize(render_view(buffer, limit, -half, half, -half, half));
    destroy_bitmap(buffer);
    state.SetItemsProcessed(state.iterations() * FRAME_WIDTH * FRAME_HEIGHT);
}

} // namespace

BENCHMARK(bm_escape_counts_row)->ArgsProduct({{0, 1, 2}, {10, 254}});
BENCHMARK(bm_render_view)->Args({0, 10})->Args({0, 254})->Args({1, 254})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // Memory bitmaps need the library but no display.
    install_allegro(SYSTEM_NONE, &errno, std::atexit);
    set_color_depth(8);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
