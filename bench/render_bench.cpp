// How long a frame takes: the renderer against the plain per-pixel reference
// on the same scenes, in one run so that their ratio survives a noisy
// machine, and each scene's rows through each row path.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include "fractal/fractal.h"
#include "fractal/reference.h"

namespace {

struct scene {
    const char *name;
    double left, right, top, bottom;
    int limit;
};

const scene SCENES[] = {
    {"start10", -2.0, 2.0, -2.0, 2.0, 10},
    {"start254", -2.0, 2.0, -2.0, 2.0, 254},
    {"inside254", -0.5, 0.1, -0.3, 0.3, 254},
    {"seahorse254", -0.76, -0.72, 0.08, 0.12, 254},
    {"deep254", -0.7436438870372, -0.7436438870370, 0.1318259042124, 0.1318259042126, 254},
};

// Counts every row of the scene's frame through `path`, as render_view does;
// returns the iterations the frame really needs (the sum of its counts) and
// the lane-steps the path takes for it (every lane of a vector stepped until
// the last is done).
std::pair<double, double> count_frame(const scene &s, row_path path)
{
    double xs[FRAME_WIDTH], x = s.left;
    for (double &column : xs) {
        column = x;
        x += (s.right - s.left) / FRAME_WIDTH;
    }
    double needed = 0.0, stepped = 0.0, y = s.top;
    for (int row = 0; row < FRAME_HEIGHT; ++row, y += (s.bottom - s.top) / FRAME_HEIGHT) {
        int counts[FRAME_WIDTH];
        stepped += static_cast<double>(escape_counts_on(path, xs, y, FRAME_WIDTH, s.limit, counts));
        for (int count : counts)
            needed += count;
    }
    return {needed, stepped};
}

template <view_samples (*renderer)(BITMAP *, int, double, double, double, double)>
void bm_frame(benchmark::State &state, const scene &s)
{
    BITMAP *buffer = create_bitmap(FRAME_WIDTH, FRAME_HEIGHT);
    if (!buffer) {
        state.SkipWithError("no bitmap");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer(buffer, s.limit, s.left, s.right, s.top, s.bottom));
    destroy_bitmap(buffer);
    const auto [needed, stepped] = count_frame(s, fastest_row_path());
    const double frames = static_cast<double>(state.iterations());
    state.counters["useful_iterations"] = benchmark::Counter(needed * frames, benchmark::Counter::kIsRate);
    if (renderer == render_view)
        state.counters["lane_steps"] = benchmark::Counter(stepped * frames, benchmark::Counter::kIsRate);
}

// The rows of a whole frame through one row path, so that every path's
// progress shows, not only the fastest one's.
void bm_rows(benchmark::State &state, row_path path, const scene &s)
{
    if (!row_path_available(path)) {
        state.SkipWithError("not on this processor");
        return;
    }
    double stepped = 0.0;
    for (auto _ : state)
        stepped = count_frame(s, path).second;
    state.counters["lane_steps"] =
        benchmark::Counter(stepped * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void register_benchmarks()
{
    for (const scene &s : SCENES) {
        benchmark::RegisterBenchmark((std::string("BM_reference/") + s.name).c_str(), bm_frame<render_view_reference>,
                                     s)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BM_render_view/") + s.name).c_str(), bm_frame<render_view>, s)
            ->Unit(benchmark::kMillisecond);
    }
    const struct {
        const char *name;
        row_path path;
    } paths[] = {{"avx512", row_path::avx512},
                 {"avx2", row_path::avx2},
                 {"two_lanes", row_path::two_lanes},
                 {"scalar", row_path::scalar}};
    for (const auto &p : paths)
        for (const scene &s : SCENES)
            benchmark::RegisterBenchmark((std::string("BM_rows/") + p.name + "/" + s.name).c_str(), bm_rows, p.path, s)
                ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    // Memory bitmaps need the library but no display.
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0)
        return 1;
    set_color_depth(8);
    register_benchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
