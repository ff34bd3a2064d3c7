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
#include <sstream>
#include <thread>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "helpers.h"

// After the test framework: the X headers define None and Bool as macros.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
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

// A field of the desktop entry, "Exec" say.
std::string desktop_entry(const std::string &field)
{
    const std::string entry = read_file(DESKTOP_ENTRY);
    const size_t at = entry.find("\n" + field + "=") + field.size() + 2;
    return entry.substr(at, entry.find('\n', at) - at);
}

// The PNG picture in `file`, decoded by gdk-pixbuf, GNOME's own image
// loader, is `expected` through `colours`, in the 8-bit values the PCX
// writer gives them.
bool png_shows(const char *file, BITMAP *expected, const RGB *colours)
{
    GdkPixbuf *png = gdk_pixbuf_new_from_file(file, nullptr);
    bool same = png && gdk_pixbuf_get_width(png) == FRAME_WIDTH && gdk_pixbuf_get_height(png) == FRAME_HEIGHT;
    for (int y = 0; same && y < FRAME_HEIGHT; ++y)
        for (int x = 0; same && x < FRAME_WIDTH; ++x) {
            const guchar *p = gdk_pixbuf_get_pixels(png) + ptrdiff_t(y) * gdk_pixbuf_get_rowstride(png) +
                              ptrdiff_t(x) * gdk_pixbuf_get_n_channels(png);
            const RGB c = colours[getpixel(expected, x, y)];
            same = p[0] == _rgb_scale_6[c.r] && p[1] == _rgb_scale_6[c.g] && p[2] == _rgb_scale_6[c.b];
        }
    if (png)
        g_object_unref(png);
    return same;
}

// Polls until `condition` holds; false after a generous minute.
template <typename condition_function> bool eventually(condition_function condition)
{
    for (const auto deadline = std::chrono::steady_clock::now() + 60s; !condition(); std::this_thread::sleep_for(5ms))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

struct e2e : with_frame {
    // How the viewer ended, once it has (its exit status, 255 if it never
    // did, or the signal that ended it, "SIGTERM" say), and what it said.
    std::string ended_with()
    {
        int status = 255 << 8;
        eventually([&] { return waitpid(viewer, &status, WNOHANG) == viewer; });
        const bool killed = WIFSIGNALED(status);
        return (killed ? std::string("SIG") + sigabbrev_np(WTERMSIG(status)) : std::to_string(WEXITSTATUS(status))) +
               ":" + read_file(directory / "stderr");
    }

    void press(KeySym sym, bool down = true) { XTestFakeKeyEvent(display, XKeysymToKeycode(display, sym), down, 0); }
    // As short as XTest makes it: the press and the release back to back.
    void tap(KeySym sym) { press(sym), press(sym, false); }

    // The screen shows `expected` through `colours`, every pixel a `scale` x
    // `scale` block from (`left`, `top`), and, with `black_borders`, nothing
    // but black around it: a displayed 8-bit component carries the 6-bit one
    // in its top six bits.
    bool screen_shows(BITMAP *expected, const RGB *colours)
    {
        const int width = DisplayWidth(display, 0), height = DisplayHeight(display, 0);
        const std::unique_ptr<XImage, int (*)(XImage *)> image(
            XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap),
            [](XImage *grabbed) { return XDestroyImage(grabbed); });
        bool same = image != nullptr;
        for (int y = 0; same && y < height; ++y)
            for (int x = 0; same && x < width; ++x) {
                const int column = (x - left) / scale, row = (y - top) / scale;
                const bool inside = x >= left && y >= top && column < FRAME_WIDTH && row < FRAME_HEIGHT;
                const RGB &c = inside ? colours[getpixel(expected, column, row)] : RGB{0, 0, 0, 0};
                const unsigned long pixel = XGetPixel(image.get(), x, y);
                same = (!inside && !black_borders) ||
                       ((pixel >> 18 & 63) == c.r && (pixel >> 10 & 63) == c.g && (pixel >> 2 & 63) == c.b);
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
        int total = 0, count = 0;
        return eventually([&] { return (total += count = drawings(300ms), count == 0); }) ? total : -1;
    }

    // Starts the viewer with `options`, in a process group of its own
    // (setsid) as a shell starts a job, under `under` and VEXILO_UNDER (read
    // by the shell, quotes and all), and waits for its intro.
    void start_at_the_intro(const std::string &options = "", const std::string &under = "")
    {
        const std::string script = "cd '" + start_folder + "' && eval \"exec setsid " + under + " $VEXILO_UNDER '" +
                                   program + "' " + options + " 2>'" + (directory / "stderr").string() + "'\"";
        const char *argv[] = {"sh", "-c", script.c_str(), nullptr};
        posix_spawn(&viewer, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ);
        draw_intro(frame.get());
        if (managed) { // the Windows build, which names its own platform
            rectfill(frame.get(), 0, 150, FRAME_WIDTH - 1, 157, 0);
            textprintf_centre_ex(frame.get(), font, 160, 150, 63, -1, "MinGW32.s");
        }
        ASSERT_TRUE(!managed || eventually([&] { return activated(); })) << "no window made active";
        ASSERT_TRUE(watching && eventually([&] { return screen_shows(frame.get(), palette); }) && settled() >= 0)
            << "no intro, or no DAMAGE extension to watch it with; the viewer said: "
            << read_file(directory / "stderr");
        // Without a window manager, keys go to the window under the pointer.
        XTestFakeMotionEvent(display, -1, left + 1, top + 1, CurrentTime);
    }

    // Asks the window manager to make the viewer's window active, as a task
    // bar does when it is clicked; whether it is, the picture's size a whole
    // multiple of the frame's, and the picture then where that window is.
    bool activated()
    {
        // Wine's windows come and go as it starts: one may be gone when asked.
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
        const Window root = DefaultRootWindow(display);
        const auto windows = [&](const char *name) { // a property of the root window
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, left_over = 0;
            unsigned char *value = nullptr;
            XGetWindowProperty(display, root, XInternAtom(display, name, False), 0, 1000, False, XA_WINDOW, &type,
                               &format, &items, &left_over, &value);
            std::vector<Window> list(value ? items : 0);
            std::memcpy(list.data(), value, list.size() * sizeof(Window)), XFree(value);
            return list;
        };
        Window active = 0, child = 0;
        char *name = nullptr;
        for (const Window window : windows("_NET_CLIENT_LIST")) // those the window manager manages
            if (XFetchName(display, window, &name) && name)
                active = std::string(name) == "vexilo" ? window : active, XFree(name);
        // As a task bar asks (source 2).
        const Atom activate = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
        XEvent event = {.xclient = {ClientMessage, 0, True, display, active, activate, 32, {.l = {2}}}};
        managed_window = active;
        if (!active || !XSendEvent(display, root, False, SubstructureRedirectMask, &event) ||
            windows("_NET_ACTIVE_WINDOW") != std::vector{active})
            return false;
        XWindowAttributes shown = {};
        if (black_borders) // full screen: the picture where the test expects it
            return true;
        scale = XTranslateCoordinates(display, active, root, 0, 0, &left, &top, &child) &&
                        XGetWindowAttributes(display, active, &shown)
                    ? shown.width / FRAME_WIDTH
                    : 0;
        return scale > 0 && shown.width == scale * FRAME_WIDTH && shown.height == scale * FRAME_HEIGHT;
    }

    // Asks the window under the pointer to close, as a window manager does
    // when its close button is pressed; false unless its class is the one
    // the desktop entry names.
    bool close_window()
    {
        Window window = managed_window; // or, without a window manager, the one under the pointer
        int at = 0;
        XClassHint hint = {};
        if (!managed)
            XTranslateCoordinates(display, DefaultRootWindow(display), DefaultRootWindow(display), left + 1, top + 1,
                                  &at, &at, &window);
        XEvent event = {
            .xclient = {ClientMessage, 0, True, display, window, XInternAtom(display, "WM_PROTOCOLS", 0), 32, {}}};
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", 0));
        const bool named = XGetClassHint(display, window, &hint) && hint.res_class == window_class;
        XFree(hint.res_name), XFree(hint.res_class);
        return named && XSendEvent(display, window, False, NoEventMask, &event);
    }

    // The desktop entry's options, after the program's name.
    const std::string paced = desktop_entry("Exec").substr(7);
    // The program, where it starts, and whether a window manager places its
    // window.
    std::string program = VEXILO, start_folder = ".", window_class = desktop_entry("StartupWMClass");
    bool managed = false;
    Window managed_window = 0;
    // Where the picture is on the screen, and how many times larger.
    int left = 0, top = 0, scale = 1;
    bool black_borders = false;
    // Synchronous: each request (a key event, say) reaches the server before
    // the call returns.
    Display *display = XOpenDisplay(nullptr);
    int damage_event = 0, damage_error = 0;
    const bool watching = display &&
                          (XSynchronize(display, True), XDamageQueryExtension(display, &damage_event, &damage_error)) &&
                          XDamageCreate(display, DefaultRootWindow(display), XDamageReportRawRectangles);
    pid_t viewer = -1;

    // Starts the viewer with `options`, every pixel an `n` x `n` block from
    // (`x`, `y`), black around it unless in a window: the intro, the first
    // frame in one drawing, and S saving the frame itself (the desktop
    // entry's command, as PNG).
    void show_scaled(const std::string &options, int n, int x, int y)
    {
        scale = n, left = x, top = y, black_borders = options[2] != 'w';
        std::filesystem::remove("vexilo.pcx"), std::filesystem::remove("vexilo.png");
        ASSERT_NO_FATAL_FAILURE(start_at_the_intro(options));
        tap(XK_space);
        draw_frame(frame.get(), FIRST);
        EXPECT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << options;
        EXPECT_EQ(settled(), 1) << options << ": the first frame did not reach the screen in one drawing";
        press(XK_s);
        EXPECT_TRUE(eventually([&] {
            return options == paced ? png_shows("vexilo.png", frame.get(), palette) : saved(frame.get());
        })) << options;
        press(XK_s, false);
    }

    // How many times the viewer's main thread has slept and woken.
    long main_thread_wakes() const
    {
        std::istringstream status(
            read_file("/proc/" + std::to_string(viewer) + "/task/" + std::to_string(viewer) + "/status"));
        long total = 0, count = 0;
        for (std::string field; status >> field;)
            if (field.ends_with("ctxt_switches:") && status >> count)
                total += count;
        return total;
    }
};

// Endings at the intro: Escape held as it ends quits; SIGTERM, or SIGTERM
// that comes during the shutdown Escape began (the viewer, preloaded with
// pause_shutdown, stops itself there), ends the viewer by that signal
// itself. With the desktop entry's pace, a quick tap of Escape and the close
// button (of the window whose class the entry names) quit too, and SIGTERM
// ends it (each fails if the paced wait does not end on it). None draws a
// frame, not even one shown and gone within a millisecond; the only drawings
// are the library's own at shutdown: a strip and the whole window, and the
// root window uncovered (a frame would be a fourth). Then a whole session:
// the intro, the first frame, O held until the screen changes, S held,
// SIGTERM to the viewer's process group. The screen shows the engine's frames (after
// O, one of the frames zoomed in again and again, each time into the corners
// the frame before recorded), S saves exactly the screen and draws nothing,
// and the signal, while S saves on every pass, ends the viewer by that
// signal, quietly, leaving the saved picture whole and nothing else behind.
// Last, the display gone in the shutdown: status 1, not a hang.
// (A failed start: e2e.without_a_display, e2e.without_the_graphics_mode.)
TEST_F(e2e, ARealSession)
{
    enum : std::uint8_t { ESCAPE, TAP, CLOSE, SIGNAL, SIGNAL_IN_SHUTDOWN };
    const std::pair<std::string, int> endings[] = {{"", ESCAPE}, {"", SIGNAL},   {"", SIGNAL_IN_SHUTDOWN},
                                                   {paced, TAP}, {paced, CLOSE}, {paced, SIGNAL}};
    for (const auto &[options, ending] : endings) {
        ASSERT_NO_FATAL_FAILURE(
            start_at_the_intro(options, ending == SIGNAL_IN_SHUTDOWN ? "env LD_PRELOAD=" PAUSE_SHUTDOWN : ""));
        EXPECT_TRUE(ending != CLOSE || close_window()) << "no window of the desktop entry's class";
        ending == TAP ? tap(XK_Escape) : press(XK_Escape, ending == ESCAPE || ending == SIGNAL_IN_SHUTDOWN);
        if (ending == SIGNAL || (ending == SIGNAL_IN_SHUTDOWN &&
                                 eventually([&] { return waitpid(viewer, nullptr, WNOHANG | WUNTRACED) == viewer; })))
            kill(-viewer, SIGTERM), kill(-viewer, SIGCONT);
        EXPECT_EQ(ended_with(), ending >= SIGNAL ? "SIGTERM:" : "0:") << "ending " << ending << " " << options;
        EXPECT_LE(drawings(), 3) << "a frame was drawn after ending " << ending << " at the intro";
        press(XK_Escape, false);
    }

    // Paced, ten quick taps of L, 5 ms apart, the first ending the intro,
    // act once each, one frame each (under valgrind, many land while a
    // frame is drawn); a tap of S saves that frame as the desktop entry's
    // PNG; a quick Escape then quits.
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro(paced));
    for (int i = 0; i < 10; ++i, std::this_thread::sleep_for(5ms))
        tap(XK_l);
    EXPECT_EQ(settled(), 11) << "frames drawn for ten taps";
    draw_frame(frame.get(), {FIRST.window, 20, 1, true});
    EXPECT_TRUE(screen_shows(frame.get(), palette)) << "ten taps of L did not take the limit to 20";
    tap(XK_s);
    EXPECT_TRUE(eventually([&] { return png_shows("vexilo.png", frame.get(), palette); }));
    tap(XK_Escape), std::filesystem::remove("vexilo.png");
    EXPECT_EQ(ended_with(), "0:");

    // Leaves the intro as a person does, with Space.
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro());
    tap(XK_space);
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
    const bitmap_ptr picture(load_pcx("vexilo.pcx", saved_palette));
    EXPECT_TRUE(picture && screen_shows(picture.get(), saved_palette)) << "vexilo.pcx is not what the screen shows";
    EXPECT_EQ(drawings(), 0) << "holding S drew";
    kill(-viewer, SIGTERM), press(XK_s, false); // held, S would end the next viewer's intro
    EXPECT_EQ(ended_with(), "SIGTERM:");
    EXPECT_TRUE(eventually([&] { return kill(-viewer, 0) != 0; })) << "a process of the viewer's group lives on";
    EXPECT_TRUE(files_in(".") == 2 && saved(picture.get()));

    // The display gone in a shutdown: the viewer shuts down after SIGTERM at
    // the intro while the X server, stopped, holds it in an X call, and the
    // server is then killed, as at a logout. The server is this test's
    // (xvfb-run's), found through its lock file.
    const pid_t server = std::atoi(read_file("/tmp/.X" + std::string(getenv("DISPLAY") + 1) + "-lock").c_str());
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro());
    XCloseDisplay(display); // the test's own connection must not die with the server
    kill(server, SIGSTOP), kill(-viewer, SIGTERM);
    // Until a thread of the viewer polls for a reply (idle, they sleep in select).
    const std::string polling =
        "grep -qs '^" + std::to_string(SYS_poll) + " ' /proc/" + std::to_string(viewer) + "/task/*/syscall";
    eventually([&] { return std::system(polling.c_str()) == 0; });
    kill(server, SIGKILL);
    EXPECT_EQ(ended_with().substr(0, 2), "1:");
}

// Scaled, in a window and full screen, on a screen larger than the picture
// (of several modes, where e2e.ScaledOnAScreenOfSeveralModes runs it): the
// window the picture's size; full screen in the screen's own mode, never
// switched (the library's full-screen window covers the X screen, and the
// picture's window in it is moved by half the difference between the video
// mode and the size asked for, so a switched mode shows the picture out of
// place), the picture centred and black around it. The intro and the first
// frame with every pixel an N x N block, the frame reaching the screen in
// one drawing; S saves the 320 x 200 frame itself; SIGTERM in the frame
// loop ends the viewer by that signal. The window is the desktop entry's
// command, paced at 15 a second (its endings at the intro are in
// ARealSession), with the server's repeat delay set to 300 ms: idle in the
// frame loop (its waits those of the intro too), the viewer's main thread
// sleeps; each of 20 quick taps of L acts once; a held key acts once, then
// from the delay on 15 times a second, the server's own repeats aside.
TEST_F(e2e, ScaledOnALargerScreen)
{
    // Keys held 300 ms repeat (X's default is 660 ms), every 40 ms.
    ASSERT_TRUE(XkbSetAutoRepeatRate(display, XkbUseCoreKbd, 300, 40));
    for (const auto &[options, n, x, y] : {std::tuple{paced, 3, 0, 0},
                                           {"--scale 3", 3, 160, 100},
                                           {"--fullscreen --scale 2", 2, 320, 200},
                                           {"--fullscreen", 4, 0, 0}}) {
        ASSERT_NO_FATAL_FAILURE(show_scaled(options, n, x, y));
        if (options == paced) {
            const long wakes = (settled(), main_thread_wakes());
            std::this_thread::sleep_for(2s);
            EXPECT_EQ(main_thread_wakes(), wakes) << "the idle viewer's main thread woke";
            for (int i = 0; i < 20; ++i, std::this_thread::sleep_for(200ms))
                tap(XK_l);
            EXPECT_EQ(settled(), 20) << "frames drawn for 20 taps";
            draw_frame(frame.get(), {FIRST.window, 30, 1, true});
            EXPECT_TRUE(screen_shows(frame.get(), palette)) << "20 taps of L did not take the limit to 30";
            // Held at least from the press's return to the release's call,
            // at most from the press's call to the release's return.
            std::chrono::steady_clock::time_point at[4];
            at[0] = std::chrono::steady_clock::now(), press(XK_Right), at[1] = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(1s);
            at[2] = std::chrono::steady_clock::now(), press(XK_Right, false), at[3] = std::chrono::steady_clock::now();
            const auto acts = [](auto held) {
                return 1 + std::floor((std::chrono::duration<double>(held).count() - 0.3) * 15);
            };
            const int frames = settled();
            EXPECT_TRUE(frames >= acts(at[2] - at[1]) - 1 && frames <= acts(at[3] - at[0]) + 1)
                << frames << " frames drawn in a hold of " << std::chrono::duration<double>(at[2] - at[1]).count()
                << " to " << std::chrono::duration<double>(at[3] - at[0]).count() << " s";
        }
        kill(-viewer, SIGTERM);
        EXPECT_EQ(ended_with(), "SIGTERM:") << options;
    }
}

// Two monitors of 1280 x 600, one above the other (Xorg's dummy driver, set
// up with xrandr by e2e.ScaledOnTwoMonitors): full screen, the picture
// centred on the top one, the one whose mode the video mode reports, at the
// largest scale that fits it, black over both; the desktop entry's window
// sized for 90% of the primary, the top one.
TEST_F(e2e, ScaledOnTwoMonitors)
{
    for (const auto &[options, n, x, y] : {std::tuple{std::string("--fullscreen"), 3, 160, 0}, {paced, 2, 0, 0}}) {
        ASSERT_NO_FATAL_FAILURE(show_scaled(options, n, x, y));
        kill(-viewer, SIGTERM);
        EXPECT_EQ(ended_with(), "SIGTERM:") << options;
    }
}

// vexilo.exe, the Windows build (VEXILO_WINDOWS_PROGRAM), under Wine
// (VEXILO_UNDER), on a desktop whose window manager gives it the keyboard
// once made active (with a rate, e2e.InstalledOnWindows). Full screen in
// the desktop's mode (1024 x 768), the intro three times larger in the
// middle, black around (its keys are not checked: under Wine, the
// library's full screen does not always get the keyboard once active).
// Without a rate, in a window, the first frame pixel for pixel; Space and S
// held, the frame saved as the PCX; the close button quits, status 0.
TEST_F(e2e, OnWindows)
{
    const char *windows_program = std::getenv("VEXILO_WINDOWS_PROGRAM");
    if (!windows_program)
        GTEST_SKIP() << "no VEXILO_WINDOWS_PROGRAM";
    program = windows_program, managed = true;
    scale = 3, left = 32, top = 84, black_borders = true;
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro("--fullscreen --rate 15"));
    kill(-viewer, SIGKILL);
    EXPECT_EQ(ended_with().substr(0, 7), "SIGKILL");

    black_borders = false;
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro("--window"));
    press(XK_space);
    draw_frame(frame.get(), FIRST);
    EXPECT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << "no first frame";
    press(XK_space, false), press(XK_s);
    EXPECT_TRUE(eventually([&] { return saved(frame.get()); })) << "vexilo.pcx is not the frame";
    press(XK_s, false), window_class = "vexilo.exe";
    EXPECT_TRUE(close_window()) << "no window of Wine's class for vexilo.exe";
    EXPECT_EQ(ended_with().substr(0, 2), "0:");
}

} // namespace

namespace {

// The shortcut's target and strings, read from the
// .lnk file as Microsoft's Shell Link format lays it out: a header, the
// target's item list (skipped), the link's information (the target's
// local path) and counted UTF-16 strings (ASCII here).
std::array<std::string, 6> shortcut(const std::string &lnk) // target, name, relative path, folder, arguments, icon
{
    const std::string bytes = read_file(lnk);
    const auto u16 = [&](size_t at) {
        return at + 2 <= bytes.size() ? size_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8) : 0;
    };
    const size_t flags = u16(0x14);
    size_t at = 0x4c + (flags & 0x1 ? 2 + u16(0x4c) : 0);
    std::array<std::string, 6> fields;
    if (flags & 0x2) // the link's information, its size first, the local path's place at 16
        fields[0] = bytes.c_str() + std::min(bytes.size(), at + u16(at + 16)), at += u16(at);
    for (size_t field = 1; field < fields.size(); at += (flags >> (field + 1) & 1) ? 2 + 2 * u16(at) : 0, ++field)
        for (size_t i = 0; (flags >> (field + 1) & 1) && i < u16(at) && u16(at + 2 + 2 * i); ++i) // Wine counts a NUL
            fields[field] += char(u16(at + 2 + 2 * i));
    return fields;
}

// What a shell command prints, its lines' ends as Unix's.
std::string output_of(const std::string &command)
{
    [[maybe_unused]] const int status = std::system((command + " >output 2>&1").c_str());
    std::string text = read_file("output");
    return std::erase(text, '\r'), text;
}

// The Windows installer (VEXILO_WINDOWS_SETUP), run silently in a fresh
// Wine prefix: the program in the user's own programs folder; a Start-menu
// shortcut named vexilo that starts it with the desktop entry's options in
// the user's Pictures folder, with its icon; an entry in the list of
// installed programs. The program the shortcut names, started as it says,
// counts quick taps exactly, and S puts the frame as vexilo.png in the
// Pictures folder; a quick Escape quits, with status 0.
// The uninstaller, run as that list says, then leaves nothing the
// installer made, but the picture.
TEST_F(e2e, InstalledOnWindows)
{
    const char *setup = std::getenv("VEXILO_WINDOWS_SETUP");
    if (!setup)
        GTEST_SKIP() << "no VEXILO_WINDOWS_SETUP";
    ASSERT_EQ(std::system(("wine '" + std::string(setup) + "' /S").c_str()), 0);
    const std::string named = output_of("wine cmd /c echo %USERNAME%"), user = named.substr(0, named.find('\n'));
    const std::string home = "C:\\users\\" + user, folder = home + "\\AppData\\Local\\Programs\\vexilo";
    const auto unix_path = [](const std::string &path) {
        const std::string unix = output_of("winepath -u '" + path + "'");
        return unix.substr(0, unix.find('\n'));
    };
    const std::string lnk =
        unix_path(home + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\vexilo.lnk");
    const auto [target, name, path, start, arguments, icon] = shortcut(lnk);
    EXPECT_EQ(target, folder + "\\vexilo.exe");
    EXPECT_EQ(start, home + "\\Pictures");
    EXPECT_EQ(arguments, paced);
    EXPECT_EQ(icon, target);
    const std::string key = "'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vexilo'";
    const std::string entry = output_of("wine reg query " + key);
    for (const std::string &value : std::vector<std::string>{
             "DisplayName    REG_SZ    vexilo\n", "DisplayVersion    REG_SZ    1.0.0\n",
             "Publisher    REG_SZ    vexilo developers\n", "DisplayIcon    REG_SZ    " + target + ",0\n"})
        EXPECT_NE(entry.find(value), entry.npos) << value << " not in " << entry;

    // Ten quick taps of L, 5 ms apart, the first ending the intro, take the
    // limit to exactly 20.
    program = unix_path(target), start_folder = unix_path(start), managed = true;
    ASSERT_NO_FATAL_FAILURE(start_at_the_intro(arguments));
    for (int i = 0; i < 10; ++i, std::this_thread::sleep_for(5ms))
        tap(XK_l);
    draw_frame(frame.get(), {FIRST.window, 20, 1, true});
    EXPECT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << "ten taps of L did not make 20";
    const std::string picture = start_folder + "/vexilo.png";
    tap(XK_s);
    EXPECT_TRUE(eventually([&] { return png_shows(picture.c_str(), frame.get(), palette); }));
    tap(XK_Escape);
    EXPECT_EQ(ended_with().substr(0, 2), "0:");

    const std::string quiet = entry.substr(entry.find("QuietUninstallString    REG_SZ    ") + 34);
    ASSERT_EQ(std::system(("wine " + quiet.substr(0, quiet.find('\n'))).c_str()), 0);
    EXPECT_TRUE(eventually([&] {
        return !std::filesystem::exists(unix_path(folder)) && !std::filesystem::exists(lnk) &&
               output_of("wine reg query " + key + " 2>&1").find("DisplayName") == std::string::npos;
    })) << "the uninstaller left some of what the installer made";
    EXPECT_TRUE(png_shows(picture.c_str(), frame.get(), palette)) << "the uninstaller took the picture";
}

} // namespace
