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

// The start view at the given limit: limit 10 is what a user first sees,
// 254 the slowest frame the viewer can ask for.
void bm_render_start_view(benchmark::State &state)
{
    BITMAP *buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    const int limit = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(render_view(buffer, limit, -2.0, 2.0, -2.0, 2.0));
    destroy_bitmap(buffer);
    state.SetItemsProcessed(state.iterations() * FRAME_WIDTH * FRAME_HEIGHT);
}

// A window wholly inside the main cardioid: every pixel runs the whole limit,
// the slowest frame there is.
void bm_render_inside_the_set(benchmark::State &state)
{
    BITMAP *buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    const int limit = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(render_view(buffer, limit, -0.2, 0.2, -0.2, 0.2));
    destroy_bitmap(buffer);
    state.SetItemsProcessed(state.iterations() * FRAME_WIDTH * FRAME_HEIGHT);
}

} // namespace

BENCHMARK(bm_escape_counts_row)->ArgsProduct({{0, 1, 2}, {10, 254}});
BENCHMARK(bm_render_start_view)->Arg(10)->Arg(254)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_render_inside_the_set)->Arg(254)->Unit(benchmark::kMillisecond);

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
