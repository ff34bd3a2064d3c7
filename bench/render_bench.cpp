// How long a frame takes: the renderer against the plain per-pixel reference
// on the same scenes, in one run so that their ratio survives a noisy
// machine, and each scene's rows through each row path.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
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

// The core's clock in cycles a second, timed on a chain of dependent integer
// adds (one a cycle on any x86-64 core); 0 where it cannot be timed.
double cycles_a_second()
{
#if defined(__x86_64__)
    constexpr long ADDS = 400'000'000;
    long chain = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < ADDS; i += 8)
        asm volatile("add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\t"
                     "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0"
                     : "+r"(chain));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return ADDS / took.count();
#else
    return 0.0;
#endif
}

// Lane-steps a second, and a cycle where the clock is known, over the
// `seconds` the benchmark's loop took.
void count_lane_steps(benchmark::State &state, double lane_steps_a_frame, std::chrono::duration<double> seconds)
{
    static const double clock = cycles_a_second();
    const double stepped = lane_steps_a_frame * static_cast<double>(state.iterations());
    state.counters["lane_steps"] = benchmark::Counter(stepped, benchmark::Counter::kIsRate);
    if (clock > 0.0)
        state.counters["a_cycle"] = stepped / seconds.count() / clock;
}

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
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer(buffer, s.limit, s.left, s.right, s.top, s.bottom));
    const auto took = std::chrono::steady_clock::now() - start;
    destroy_bitmap(buffer);
    const auto [needed, stepped] = count_frame(s, fastest_row_path());
    const double frames = static_cast<double>(state.iterations());
    state.counters["useful_iterations"] = benchmark::Counter(needed * frames, benchmark::Counter::kIsRate);
    if (renderer == render_view)
        count_lane_steps(state, stepped, took);
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
    const auto start = std::chrono::steady_clock::now();
    // The library's loop variable is unused by design.
    // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
    for (auto _ : state)
        stepped = count_frame(s, path).second;
    count_lane_steps(state, stepped, std::chrono::steady_clock::now() - start);
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
