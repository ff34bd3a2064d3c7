// What a person feels of the keys: how long a key takes to change the
// screen, how often a tap or a hold acts, and how often the idle viewer's
// threads wake. It drives the built viewer ($VEXILO, or the one built
// beside it) in the X server that $DISPLAY names, with real key events
// (XTest), and watches the screen with the DAMAGE extension, which reports
// each drawing as the server makes it. Run it in a 1280 x 800 server:
//   xvfb-run -s '-screen 0 1280x800x24 -noreset' build/bench/vexilo_keys_bench
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

extern char **environ;

namespace {

using namespace std::chrono_literals;
using bench_clock = std::chrono::steady_clock;

// The desktop entry's window without and with its pace.
constexpr const char *SPINNING = "--window --scale auto";

// A viewer started past its intro, and the X connection that drives it.
struct session {
    Display *display;
    int damage_event;
    pid_t viewer;
};

// Waits up to `timeout` for the next drawing; whether one came.
bool next_drawing(session &s, bench_clock::duration timeout)
{
    const auto deadline = bench_clock::now() + timeout;
    for (XEvent event;;) {
        while (XPending(s.display))
            if (XNextEvent(s.display, &event), event.type == s.damage_event + XDamageNotify)
                return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - bench_clock::now());
        pollfd connection = {ConnectionNumber(s.display), POLLIN, 0};
        if (left <= 0ms || poll(&connection, 1, int(left.count())) == 0)
            return false;
    }
}

// Counts the drawings until none has come for `quiet`.
int drawings_until_quiet(session &s, bench_clock::duration quiet = 300ms)
{
    int count = 0;
    while (next_drawing(s, quiet))
        ++count;
    return count;
}

void key(session &s, KeySym sym, bool down)
{
    XTestFakeKeyEvent(s.display, XKeysymToKeycode(s.display, sym), down, 0);
    XFlush(s.display);
}

void hold(session &s, KeySym sym, bench_clock::duration how_long)
{
    key(s, sym, true), std::this_thread::sleep_for(how_long), key(s, sym, false);
}

// Starts the viewer with `options` and leaves its intro with Space; the
// first frame drawn and the screen quiet. No display: a null one.
session start(const std::string &options)
{
    session s = {XOpenDisplay(nullptr), 0, -1};
    int error = 0;
    if (!s.display || !XDamageQueryExtension(s.display, &s.damage_event, &error))
        return {};
    XDamageCreate(s.display, DefaultRootWindow(s.display), XDamageReportRawRectangles);
    const char *own = std::getenv("VEXILO");
    const std::string command = "exec '" + std::string(own ? own : VEXILO) + "' " + options;
    const char *argv[] = {"sh", "-c", command.c_str(), nullptr};
    posix_spawn(&s.viewer, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ);
    next_drawing(s, 10s), drawings_until_quiet(s);
    // Without a window manager, keys go to the window under the pointer.
    XTestFakeMotionEvent(s.display, -1, 10, 10, CurrentTime);
    hold(s, XK_space, 30ms);
    drawings_until_quiet(s);
    return s;
}

void stop(session &s)
{
    kill(s.viewer, SIGTERM), waitpid(s.viewer, nullptr, 0);
    XCloseDisplay(s.display);
}

double quantile(std::vector<double> values, double q)
{
    std::ranges::sort(values);
    return values[size_t(std::lround(q * double(values.size() - 1)))];
}

// From a key's press until the screen changes, over 25 taps of 30 ms at
// the start view (Right and Left by turns, so the view stays there), in ms.
void bm_key_to_frame(benchmark::State &state, const std::string &options)
{
    session s = start(options);
    if (!s.display)
        return state.SkipWithError("no X display with the DAMAGE extension");
    std::vector<double> latencies;
    // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
    for (auto _ : state) {
        for (int tap = 0; tap < 25; ++tap) {
            const KeySym sym = tap % 2 ? XK_Left : XK_Right;
            const auto pressed = bench_clock::now();
            key(s, sym, true);
            if (next_drawing(s, 1s))
                latencies.push_back(std::chrono::duration<double, std::milli>(bench_clock::now() - pressed).count());
            std::this_thread::sleep_until(pressed + 30ms);
            key(s, sym, false);
            drawings_until_quiet(s, 150ms);
        }
        state.SetIterationTime(latencies.empty() ? 0 : quantile(latencies, 0.5) / 1000);
    }
    stop(s);
    if (latencies.size() < 25)
        return state.SkipWithError("a tap changed nothing on the screen");
    for (const auto &[name, q] : {std::pair{"min_ms", 0.0}, {"median_ms", 0.5}, {"p90_ms", 0.9}, {"max_ms", 1.0}})
        state.counters[name] = quantile(latencies, q);
}

// How many times a tap of each length acts, on average over ten, and a
// hold of one second: the frames each draws.
void bm_taps(benchmark::State &state, const std::string &options)
{
    session s = start(options);
    if (!s.display)
        return state.SkipWithError("no X display with the DAMAGE extension");
    // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
    for (auto _ : state) {
        for (const int ms : {30, 60, 80, 100, 150, 200}) {
            int frames = 0;
            for (int tap = 0; tap < 10; ++tap)
                hold(s, tap % 2 ? XK_Left : XK_Right, std::chrono::milliseconds(ms)), frames += drawings_until_quiet(s);
            state.counters["tap_" + std::to_string(ms) + "ms"] = frames / 10.0;
        }
        hold(s, XK_Right, 1s);
        state.counters["hold_1s"] = drawings_until_quiet(s);
        state.SetIterationTime(0);
    }
    stop(s);
}

// Per thread of the viewer: how often it went to sleep and woke, and its
// processor time, so far.
struct thread_use {
    long wakes;
    double cpu_seconds;
};

std::map<int, thread_use> use_by_thread(pid_t viewer)
{
    std::map<int, thread_use> use;
    const std::string tasks = "/proc/" + std::to_string(viewer) + "/task/";
    DIR *folder = opendir(tasks.c_str());
    for (dirent *entry; folder && (entry = readdir(folder));) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream status(tasks + entry->d_name + "/status"), schedstat(tasks + entry->d_name + "/schedstat");
        thread_use &thread = use[std::atoi(entry->d_name)] = {};
        for (std::string field; status >> field;)
            if (long count = 0; field.ends_with("ctxt_switches:") && status >> count)
                thread.wakes += count;
        double nanoseconds = 0;
        schedstat >> nanoseconds;
        thread.cpu_seconds = nanoseconds / 1e9;
    }
    if (folder)
        closedir(folder);
    return use;
}

// Each thread's wakes a second and share of a core over `seconds` (the
// main thread first, then the library's, by age), as counters named after
// `what`, while `stir` is called every 10 ms.
template <typename stir_function>
void count_use(benchmark::State &state, const session &s, const std::string &what, int seconds, stir_function stir)
{
    const auto before = use_by_thread(s.viewer);
    const auto start = bench_clock::now();
    for (int tick = 0; tick < seconds * 100; ++tick)
        stir(tick), XFlush(s.display), std::this_thread::sleep_until(start + tick * 10ms);
    const auto after = use_by_thread(s.viewer);
    int index = 0;
    for (const auto &[thread, used] : after) {
        const thread_use &was = before.contains(thread) ? before.at(thread) : thread_use{};
        const std::string name = what + (index++ == 0 ? "main" : "library" + std::to_string(index - 1));
        state.counters[name + "_wakes/s"] = double(used.wakes - was.wakes) / seconds;
        state.counters[name + "_cpu%"] = (used.cpu_seconds - was.cpu_seconds) * 100 / seconds;
    }
}

// Idle at the start view for 10 s; then for 5 s each, events that are not
// keys: the pointer moved over the window 100 times a second, and the
// window covered and uncovered by another (exposed) and its keyboard focus
// taken and given back, 10 times a second each; then with Right held for
// 5 s (from a second into the hold, when it repeats).
void bm_idle(benchmark::State &state, const std::string &options)
{
    session s = start(options);
    if (!s.display)
        return state.SkipWithError("no X display with the DAMAGE extension");
    Window viewer = 0, cover = XCreateSimpleWindow(s.display, DefaultRootWindow(s.display), 0, 0, 100, 100, 0, 0, 0);
    int revert = 0;
    XSetWindowAttributes unmanaged = {};
    unmanaged.override_redirect = True;
    XChangeWindowAttributes(s.display, cover, CWOverrideRedirect, &unmanaged);
    // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
    for (auto _ : state) {
        count_use(state, s, "idle_", 10, [](int) {});
        count_use(state, s, "pointer_", 5,
                  [&](int tick) { XTestFakeMotionEvent(s.display, -1, 10 + tick % 50, 10, CurrentTime); });
        XGetInputFocus(s.display, &viewer, &revert);
        count_use(state, s, "exposed_", 5, [&](int tick) {
            if (tick % 10 == 0)
                XMapRaised(s.display, cover), XSetInputFocus(s.display, cover, RevertToParent, CurrentTime);
            else if (tick % 10 == 5)
                XUnmapWindow(s.display, cover), XSetInputFocus(s.display, viewer, RevertToParent, CurrentTime);
        });
        key(s, XK_Right, true), std::this_thread::sleep_for(1s);
        count_use(state, s, "held_", 5, [](int) {});
        key(s, XK_Right, false);
        state.SetIterationTime(25);
    }
    stop(s);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string entry = SPINNING + std::string(" --rate 15");
    const std::tuple<std::string, void (*)(benchmark::State &, const std::string &), std::string> runs[] = {
        {"BM_key_to_frame/spinning", bm_key_to_frame, SPINNING},
        {"BM_key_to_frame/rate 15", bm_key_to_frame, entry},
        {"BM_key_to_frame/rate 60", bm_key_to_frame, SPINNING + std::string(" --rate 60")},
        {"BM_taps/rate 15", bm_taps, entry},
        {"BM_idle/rate 15", bm_idle, entry},
    };
    // The library keeps what it registers until the program ends.
    for (const auto &[name, run, options] : runs)
        // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
        benchmark::RegisterBenchmark(name.c_str(), run, options)->Iterations(1)->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
