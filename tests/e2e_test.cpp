// The real program in a virtual X server of its own (xvfb-run with a
// 320 x 200 x 24 screen, so the root window is exactly the frame; the viewer
// dies with it), pressed by real key events (XTest), watched by screen grabs
// and by the DAMAGE extension, which reports every drawing. What it shows and
// saves is compared with what the engine draws in this process. VEXILO_UNDER
// (a command and its options, say valgrind) runs the viewer under that
// command.
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "helpers.h"

// After the test framework: the X headers define None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

extern char **environ;

namespace {

using namespace std::chrono_literals;

// The first frame: -2 ... 2 both ways, limit 10, zoom 1.
constexpr viewer_state FIRST = {{-2.0, 2.0, -2.0, 2.0}, 10, 1, true};

// Polls until `condition` holds; false after a generous minute.
template <typename condition_function> bool eventually(condition_function condition)
{
    for (const auto deadline = std::chrono::steady_clock::now() + 60s; !condition(); std::this_thread::sleep_for(5ms))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

struct e2e : with_frame {
    // In a process group of its own (setsid), as a shell starts a job, with
    // `options`. VEXILO_UNDER is read by the shell, quotes and all.
    void start_viewer(const std::string &options = "")
    {
        const std::string script = "eval \"exec setsid $VEXILO_UNDER '" VEXILO "' " + options + " 2>stderr\"";
        const char *argv[] = {"sh", "-c", script.c_str(), nullptr};
        posix_spawn(&viewer, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ);
    }

    // How the viewer ended, once it has (its exit status, or the signal
    // that ended it, "SIGTERM" say), and what it said.
    std::string ended_with()
    {
        int status = -1;
        eventually([&] { return waitpid(viewer, &status, WNOHANG) == viewer; });
        const std::string how = WIFEXITED(status)     ? std::to_string(WEXITSTATUS(status))
                                : WIFSIGNALED(status) ? std::string("SIG") + sigabbrev_np(WTERMSIG(status))
                                                      : "-1";
        return how + ":" + read_file("stderr");
    }

    void press(KeySym symbol, bool down = true)
    {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), down, CurrentTime);
        XFlush(display);
    }
    // As short as XTest makes it: the press and the release back to back.
    void tap(KeySym symbol)
    {
        press(symbol);
        press(symbol, false);
    }

    // The screen shows `expected` through `colours`, every pixel a `scale` x
    // `scale` block from (`left`, `top`): a displayed 8-bit component
    // carries the 6-bit one in its top six bits.
    bool screen_shows(BITMAP *expected, const RGB *colours)
    {
        const std::unique_ptr<XImage, int (*)(XImage *)> image(XGetImage(display, DefaultRootWindow(display), left, top,
                                                                         FRAME_WIDTH * scale, FRAME_HEIGHT * scale,
                                                                         AllPlanes, ZPixmap),
                                                               [](XImage *grabbed) { return XDestroyImage(grabbed); });
        bool same = image != nullptr;
        for (int y = 0; same && y < FRAME_HEIGHT * scale; ++y)
            for (int x = 0; same && x < FRAME_WIDTH * scale; ++x) {
                const RGB &c = colours[getpixel(expected, x / scale, y / scale)];
                const unsigned long pixel = XGetPixel(image.get(), x, y);
                same = (pixel >> 18 & 63) == c.r && (pixel >> 10 & 63) == c.g && (pixel >> 2 & 63) == c.b;
            }
        return same;
    }

    // How many drawings the server reported since the last call, asked
    // after waiting `a_while`. None for 300 ms: the screen has settled (the
    // library goes on redrawing its new window for a moment after the intro
    // shows, and the viewer draws for as long as it sees a command key held).
    int drawings(std::chrono::milliseconds a_while = 0ms)
    {
        std::this_thread::sleep_for(a_while);
        XSync(display, False);
        int count = 0;
        for (XEvent event; XCheckTypedEvent(display, damage_event + XDamageNotify, &event);)
            ++count;
        return count;
    }

    // Waits until the screen has settled; how many drawings that took, -1 if
    // it never did.
    int settled()
    {
        int total = 0;
        return eventually([&] {
            const int count = drawings(300ms);
            total += count;
            return count == 0;
        })
                   ? total
                   : -1;
    }

    void start_at_the_intro(const std::string &options = "")
    {
        start_viewer(options);
        draw_intro(frame.get());
        ASSERT_TRUE(watching && eventually([&] { return screen_shows(frame.get(), palette); }) && settled() >= 0)
            << "no intro, or no DAMAGE extension to watch it with; the viewer said: " << read_file("stderr");
        // Without a window manager, keys go to the window under the pointer.
        XTestFakeMotionEvent(display, -1, left + 1, top + 1, CurrentTime);
    }

    // The processor time the viewer has used, in seconds.
    double processor_time()
    {
        const std::string stat = read_file(("/proc/" + std::to_string(viewer) + "/stat").c_str());
        long user = 0, system = 0; // after the name: state, then 10 fields, then these two
        std::sscanf(stat.c_str() + stat.rfind(')'), ") %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &user,
                    &system);
        return double(user + system) / double(sysconf(_SC_CLK_TCK));
    }

    // Asks the window under the pointer to close, as a window manager does
    // when its close button is pressed; false unless its class is vexilo.
    bool close_window()
    {
        Window root = 0, window = 0;
        int at = 0;
        unsigned int buttons = 0;
        XClassHint hint = {};
        XQueryPointer(display, DefaultRootWindow(display), &root, &window, &at, &at, &at, &at, &buttons);
        XEvent event = {
            .xclient = {ClientMessage, 0, True, display, window, XInternAtom(display, "WM_PROTOCOLS", 0), 32, {}}};
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", 0));
        const bool named = XGetClassHint(display, window, &hint) && hint.res_class == std::string("vexilo");
        XFree(hint.res_name);
        XFree(hint.res_class);
        return named && XSendEvent(display, window, False, NoEventMask, &event) && XFlush(display);
    }

    // Whether a thread of the viewer waits on the X server, polling for a
    // reply, as in a call to a stopped server (idle, they sleep in select).
    bool waiting_on_x()
    {
        const std::string tasks = "/proc/" + std::to_string(viewer) + "/task";
        for (const auto &task : std::filesystem::directory_iterator(tasks, std::filesystem::directory_options::none))
            if (std::atoi(read_file((task.path() / "syscall").c_str()).c_str()) == SYS_poll)
                return true;
        return false;
    }

    // Connects to the X server `name` (DISPLAY's when null) and watches its
    // drawings.
    bool watch(const char *name)
    {
        display = XOpenDisplay(name);
        return display && XDamageQueryExtension(display, &damage_event, &damage_error) &&
               XDamageCreate(display, DefaultRootWindow(display), XDamageReportRawRectangles);
    }

    // Where the picture is on the screen, and how many times larger.
    int left = 0, top = 0, scale = 1;
    Display *display = nullptr;
    int damage_event = 0, damage_error = 0;
    bool watching = watch(nullptr);
    pid_t viewer = -1;
};

// An X server of the test's own, which it can stop and kill: Xvfb on a free
// display, 320 x 200 x 24. Its process and display name.
std::pair<pid_t, std::string> start_x_server()
{
    int ready[2] = {};
    pid_t server = -1;
    const std::string fd = pipe(ready) == 0 ? std::to_string(ready[1]) : "";
    const char *argv[] = {"Xvfb",       "-displayfd", fd.c_str(), "-screen",  "0",
                          "320x200x24", "-nolisten",  "tcp",      "-noreset", nullptr};
    posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char **>(argv), environ);
    close(ready[1]);
    char number[16] = {};
    const bool told = read(ready[0], number, sizeof number - 1) > 0;
    close(ready[0]);
    std::string name = ":";
    name += told ? std::to_string(std::atoi(number)) : "";
    return {server, name};
}

// Escape held as the intro ends: the viewer quits and never draws a frame,
// not even one shown and gone within a millisecond; the only drawings are
// the library's own at shutdown: a strip and the whole window, and the root
// window uncovered (a frame would be a fourth). Then a whole session: the
// intro, the first frame, O held until the screen changes, S held, SIGTERM
// to the viewer's process group. The screen shows the engine's frames (after
// O, one of the frames zoomed in again and again, each time into the corners
// the frame before recorded), S saves exactly the screen and draws nothing,
// and the signal, while S saves on every pass, ends the viewer by that
// signal, quietly, leaving the saved picture whole and nothing else behind.
// (A failed start: e2e.without_a_display, e2e.without_the_graphics_mode.)
TEST_F(e2e, ARealSession)
{
    for (const bool by_signal : {false, true}) {
        ASSERT_NO_FATAL_FAILURE(start_at_the_intro());
        if (by_signal)
            kill(-viewer, SIGTERM);
        else
            press(XK_Escape);
        EXPECT_EQ(ended_with(), by_signal ? "SIGTERM:" : "0:");
        EXPECT_LE(drawings(), 3) << "a frame was drawn after " << (by_signal ? "SIGTERM" : "Escape") << " at the intro";
        press(XK_Escape, false);
    }

    // Leaves the intro as a person does, with Space.
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro());
    press(XK_space);
    press(XK_space, false);
    view_samples samples = draw_frame(frame.get(), FIRST);
    ASSERT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << "no first frame";
    ASSERT_GT(drawings(), 0) << "drawings go unreported: the test of Escape at the intro proves nothing";
    press(XK_o);
    ASSERT_TRUE(eventually([&] { return !screen_shows(frame.get(), palette); }));
    press(XK_o, false);
    ASSERT_GE(settled(), 0);
    viewer_state state = FIRST;
    do {
        state.window = {samples.corner_a.re, samples.corner_b.re, samples.corner_a.im, samples.corner_b.im};
        samples = draw_frame(frame.get(), {state.window, 10, ++state.zoom_count, true});
    } while (!screen_shows(frame.get(), palette) && state.zoom_count < 20000);
    EXPECT_LT(state.zoom_count, 20000) << "O did not zoom into the corners each frame recorded";
    press(XK_s);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists("vexilo.pcx"); }));
    PALETTE saved_palette;
    const bitmap_ptr saved(load_pcx("vexilo.pcx", saved_palette));
    EXPECT_TRUE(saved && screen_shows(saved.get(), saved_palette)) << "vexilo.pcx is not what the screen shows";
    EXPECT_EQ(drawings(), 0) << "holding S drew";
    kill(-viewer, SIGTERM);
    EXPECT_EQ(ended_with(), "SIGTERM:");
    EXPECT_TRUE(eventually([&] { return kill(-viewer, 0) != 0; })) << "a process of the viewer's group lives on";
    EXPECT_TRUE(files_in(".") == 2 && same_picture(bitmap_ptr(load_pcx("vexilo.pcx", nullptr)).get(), saved.get()));
}

// Paced at 15 passes a second: a quick tap of Escape at the intro quits
// without a frame; idle, at the intro and in the frame loop, the viewer
// sleeps; each of 20 quick taps of L acts once; a held key acts 15 times a
// second, give or take two; a quick tap of Escape quits.
TEST_F(e2e, PacedAtFifteenPassesASecond)
{
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro("--rate 15"));
    tap(XK_Escape);
    EXPECT_EQ(ended_with(), "0:");
    EXPECT_LE(drawings(), 3) << "a frame was drawn after a tap of Escape at the intro";

    const auto idle_share = [&] {
        const double before = processor_time();
        std::this_thread::sleep_for(2s);
        return (processor_time() - before) / 2.0;
    };
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro("--rate 15"));
    EXPECT_LT(idle_share(), 0.1) << "at the intro";
    tap(XK_space);
    draw_frame(frame.get(), FIRST);
    ASSERT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); }) && settled() >= 0);
    EXPECT_LT(idle_share(), 0.1) << "in the frame loop";
    for (int i = 0; i < 20; ++i, std::this_thread::sleep_for(200ms))
        tap(XK_l);
    EXPECT_EQ(settled(), 20) << "frames drawn for 20 taps";
    draw_frame(frame.get(), {FIRST.window, 30, 1, true});
    EXPECT_TRUE(screen_shows(frame.get(), palette)) << "20 taps of L did not take the limit to 30";
    press(XK_Right);
    const auto pressed = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    press(XK_Right, false);
    const std::chrono::duration<double> held = std::chrono::steady_clock::now() - pressed;
    EXPECT_NEAR(settled(), 15 * held.count(), 2) << "frames drawn while Right was held " << held.count() << " s";
    tap(XK_Escape);
    EXPECT_EQ(ended_with(), "0:");
}

// Scaled, in a window and full screen, on a screen larger than the picture:
// the intro and the first frame with every pixel an N x N block, the frame
// reaching the screen in one drawing; S saves the 320 x 200 frame itself;
// the window's class is vexilo, and its close button quits as Escape does.
TEST_F(e2e, ScaledOnALargerScreen)
{
    for (const auto &[options, n, x, y] : {std::tuple{"--window --scale 2", 2, 0, 0}, {"--scale 3", 3, 160, 100}}) {
        scale = n, left = x, top = y;
        ASSERT_NO_FATAL_FAILURE(start_at_the_intro(options));
        tap(XK_space);
        draw_frame(frame.get(), FIRST);
        EXPECT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << options;
        EXPECT_EQ(settled(), 1) << options << ": the first frame did not reach the screen in one drawing";
        press(XK_s);
        EXPECT_TRUE(
            eventually([&] { return same_picture(bitmap_ptr(load_pcx("vexilo.pcx", nullptr)).get(), frame.get()); }));
        press(XK_s, false);
        if (n == 2)
            EXPECT_TRUE(close_window()) << "no window of class vexilo";
        else
            press(XK_Escape);
        EXPECT_EQ(ended_with(), "0:") << options;
        press(XK_Escape, false);
    }
}

} // namespace

// SIGTERM during the shutdown that Escape began (the viewer stops itself as
// it begins), and the X server killed during the shutdown that SIGTERM began
// at the intro (the server stopped first, the viewer waiting on it), as at a
// logout; without and with the desktop entry's options. The first ends the
// viewer by that signal, the second with status 1, as Xlib ends a program
// whose display has gone; never with a hang or a crash.
TEST_F(e2e, SignalOrDisplayGoneInShutdown)
{
    for (const char *options : {"", "--window --scale auto --rate 15"})
        for (const bool gone : {false, true}) {
            const auto [server, name] = start_x_server();
            ASSERT_TRUE((watching = watch(name.c_str())) && setenv("DISPLAY", name.c_str(), 1) == 0 &&
                        setenv("VEXILO_UNDER", gone ? "" : "env LD_PRELOAD=" PAUSE_SHUTDOWN, 1) == 0);
            ASSERT_NO_FATAL_FAILURE(start_at_the_intro(options));
            int status = 0;
            if (gone) {
                XCloseDisplay(display); // the test's own connection must not die with the server
                kill(server, SIGSTOP);
                kill(-viewer, SIGTERM);
                EXPECT_TRUE(eventually([&] { return waiting_on_x(); })) << options << ": not in an X call";
                kill(server, SIGKILL);
            } else {
                press(XK_Escape);
                EXPECT_TRUE(eventually([&] { return waitpid(viewer, &status, WNOHANG | WUNTRACED) == viewer; }));
                kill(-viewer, SIGTERM);
                kill(-viewer, SIGCONT);
            }
            const std::string ended = ended_with();
            EXPECT_EQ(ended.substr(0, ended.find(':') + 1), gone ? "1:" : "SIGTERM:") << options << ": " << ended;
            if (!gone)
                XCloseDisplay(display);
            kill(-viewer, SIGKILL);
            kill(server, SIGKILL);
            waitpid(server, nullptr, 0);
        }
}
