// The real program in a virtual X server of its own (xvfb-run with a
// 320 x 200 x 24 screen, so the root window is exactly the frame), pressed by
// real key events (XTest), watched by screen grabs and by the DAMAGE
// extension, which reports every drawing. What it shows and saves is compared
// with what the engine draws in this process. VEXILO_UNDER (a command and its
// options, say valgrind) runs the viewer under that command.
#include <spawn.h>
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

// Polls until `condition` holds; false after a generous minute.
template <typename condition_function> bool eventually(condition_function condition)
{
    for (const auto deadline = std::chrono::steady_clock::now() + 60s; !condition(); std::this_thread::sleep_for(5ms))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

struct e2e : with_frame {
    void SetUp() override
    {
        int error_base = 0;
        ASSERT_TRUE((display = XOpenDisplay(nullptr)) && XDamageQueryExtension(display, &damage_event, &error_base));
        XDamageCreate(display, DefaultRootWindow(display), XDamageReportRawRectangles);
        std::filesystem::create_directory("viewer");
    }

    void TearDown() override
    {
        if (viewer > 0 && kill(viewer, SIGKILL) == 0)
            waitpid(viewer, nullptr, 0);
        if (display)
            XCloseDisplay(display);
    }

    void start_viewer()
    {
        const char *under = getenv("VEXILO_UNDER");
        const std::string command =
            std::string("cd viewer && exec ") + (under ? under : "") + " " VEXILO " 2>../stderr";
        const char *argv[] = {"sh", "-c", command.c_str(), nullptr};
        posix_spawn(&viewer, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ);
    }

    // The viewer's exit status, once it has ended, and what it said.
    std::string ended_with()
    {
        int status = -1;
        if (eventually([&] { return waitpid(viewer, &status, WNOHANG) == viewer; }))
            viewer = -1;
        return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ":" + read_file("stderr");
    }

    void press(KeySym symbol, bool down = true)
    {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), down, CurrentTime);
        XFlush(display);
    }

    // The screen shows `expected` through `colours`: a displayed 8-bit
    // component carries the 6-bit one in its top six bits.
    bool screen_shows(BITMAP *expected, const RGB *colours)
    {
        XImage *image =
            XGetImage(display, DefaultRootWindow(display), 0, 0, FRAME_WIDTH, FRAME_HEIGHT, AllPlanes, ZPixmap);
        bool same = image != nullptr;
        for (int y = 0; same && y < FRAME_HEIGHT; ++y)
            for (int x = 0; same && x < FRAME_WIDTH; ++x) {
                const RGB &c = colours[getpixel(expected, x, y)];
                const unsigned long pixel = XGetPixel(image, x, y);
                same = (pixel >> 18 & 63) == c.r && (pixel >> 10 & 63) == c.g && (pixel >> 2 & 63) == c.b;
            }
        if (image)
            XDestroyImage(image);
        return same;
    }

    // How many drawings the server reported since the last call.
    int drawings()
    {
        XSync(display, False);
        int count = 0;
        for (XEvent event; XPending(display);) {
            XNextEvent(display, &event);
            count += event.type == damage_event + XDamageNotify;
        }
        return count;
    }

    // Until nothing is drawn for a while: the library goes on redrawing its
    // new window for a moment after the intro shows, and the viewer draws
    // as long as a command key is seen held.
    bool settled()
    {
        return eventually([&] {
            drawings();
            std::this_thread::sleep_for(300ms);
            return drawings() == 0;
        });
    }

    void start_at_the_intro()
    {
        start_viewer();
        draw_intro(frame.get());
        ASSERT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); }) && settled()) << "no intro";
    }

    // Leaves the intro as a person does, with Space.
    void start_at_the_first_frame()
    {
        start_at_the_intro();
        press(XK_space);
        press(XK_space, false);
        draw_frame(frame.get(), START_STATE);
        ASSERT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << "no first frame";
    }

    Display *display = nullptr;
    int damage_event = 0;
    pid_t viewer = -1;
};

// Intro, first frame, L held until the limit stops at 254, S, Escape: the
// screen shows the engine's frames, S saves exactly the screen and draws
// nothing, Escape ends the viewer. Without a display: one line, status 1.
TEST_F(e2e, ARealSession)
{
    start_at_the_first_frame();
    ASSERT_GT(drawings(), 0) << "drawings go unreported: the test of Escape at the intro would prove nothing";
    press(XK_l);
    draw_frame(frame.get(), {START_STATE.window, 254, 1, true});
    ASSERT_TRUE(eventually([&] { return screen_shows(frame.get(), palette); })) << "no frame at limit 254";
    press(XK_l, false);
    ASSERT_TRUE(settled());
    press(XK_s);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists("viewer/vexilo.pcx"); }));
    press(XK_s, false);
    PALETTE saved_palette;
    const bitmap_ptr saved = own(load_pcx("viewer/vexilo.pcx", saved_palette));
    EXPECT_TRUE(saved && screen_shows(saved.get(), saved_palette)) << "vexilo.pcx is not what the screen shows";
    EXPECT_EQ(drawings(), 0) << "holding S drew";
    press(XK_Escape);
    EXPECT_EQ(ended_with(), "0:");
    press(XK_Escape, false);

    unsetenv("DISPLAY");
    start_viewer();
    EXPECT_EQ(ended_with(), "1:vexilo: cannot start the Allegro library (no usable X display or console)\n");
}

// Escape held as the intro ends: the viewer quits and never draws a frame,
// not even one shown and gone within a millisecond. The only drawings are
// the library's own at shutdown: a strip and the whole window, and the root
// window uncovered (a frame would be a fourth).
TEST_F(e2e, EscapeAtTheIntroDrawsNothing)
{
    start_at_the_intro();
    press(XK_Escape);
    EXPECT_EQ(ended_with(), "0:");
    EXPECT_LE(drawings(), 3);
}

// Killed again and again while S is held: never a torn vexilo.pcx, never a
// stray temporary file (the child that names the file may outlive the
// viewer for a moment).
TEST_F(e2e, KilledWhileSavingLeavesAWholeFile)
{
    for (int round = 0; round < 6; ++round) {
        start_at_the_first_frame();
        std::filesystem::remove("viewer/vexilo.pcx");
        press(XK_s);
        ASSERT_TRUE(eventually([&] { return std::filesystem::exists("viewer/vexilo.pcx"); }));
        kill(viewer, SIGKILL);
        ended_with();
        press(XK_s, false);
        EXPECT_TRUE(eventually([&] { return files_in("viewer") == 1; }));
        PALETTE loaded;
        EXPECT_TRUE(same_picture(own(load_pcx("viewer/vexilo.pcx", loaded)).get(), frame.get())) << round;
    }
}

} // namespace
