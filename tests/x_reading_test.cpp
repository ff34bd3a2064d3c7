// The X display as the paced loop reads it and sends to it, in a virtual X
// server (xvfb-run), with the library's own reading held off: the test holds
// the library's lock, which its thread takes every 10 ms to read the
// display, so that only the loop's reading can bring a key in, and only the
// viewer's own flushes can send a repaint or a frame out. A second
// connection presses keys (XTest), covers the window and watches drawings
// (DAMAGE).
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <utility>

#include "helpers.h"
#include "key_reports.h"
#include "present.h"

// After the test framework: the X headers define None and Bool as macros.
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <xalleg.h>
// After xalleg.h, whose `_xwin` its lock macros use.
#include <allegro/platform/aintunix.h>

namespace {

// The test's own connection, synchronous: each request has reached the
// server when its call returns.
Display *tester = nullptr;
// Whether to tap L as the viewer's next flush begins.
bool tap_on_flush = false;

// Waits, a generous minute at most, until the viewer's connection has
// something to read.
void until_the_viewer_can_read()
{
    pollfd connection = {ConnectionNumber(_xwin.display), POLLIN, 0};
    poll(&connection, 1, 60'000);
}

} // namespace

// The tests' link puts this between the viewer's code and Xlib: the tap
// asked for reaches the viewer's connection just before a flush, which
// reads it into Xlib's queue.
// NOLINTBEGIN(bugprone-reserved-identifier): the linker's names for them.
extern "C" {
int __real_XFlush(Display *display);
int __wrap_XFlush(Display *display)
{
    if (std::exchange(tap_on_flush, false)) {
        const KeyCode l = XKeysymToKeycode(tester, XK_l);
        XTestFakeKeyEvent(tester, l, True, 0), XTestFakeKeyEvent(tester, l, False, 0);
        until_the_viewer_can_read();
    }
    return __real_XFlush(display);
}
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

// The reports one take brings.
size_t reports_taken(key_listener *listener)
{
    key_report reports[64];
    return take_reports(listener, reports, std::size(reports));
}

// Whether the server reported a drawing within a generous minute.
bool drawn(int damage_event)
{
    XEvent event;
    for (int tries = 0; tries < 6000; ++tries, usleep(10'000))
        if (XCheckTypedEvent(tester, damage_event + XDamageNotify, &event))
            return true;
    return false;
}

// Whether the thread `tid` of this process waits on a lock.
bool waits_on_a_lock(pid_t tid)
{
    const std::string call = read_file("/proc/self/task/" + std::to_string(tid) + "/syscall");
    return std::atoi(call.c_str()) == SYS_futex;
}

// The library's own reading held off: 30 taps of L and K, more than the
// library reads at a time, all come in one take; a tap that comes as the
// reading flushes comes in the same take; a repaint after the window was
// uncovered, and a frame, reach the screen; and the loop's reading, from
// another thread, waits for the lock.
TEST(x_reading, KeysInAndDrawingsOutWithoutTheLibrarysThread)
{
    ASSERT_EQ(install_allegro(SYSTEM_AUTODETECT, &errno, std::atexit), 0);
    ASSERT_EQ(install_keyboard(), 0);
    set_color_depth(8);
    ASSERT_EQ(set_gfx_mode(GFX_XWINDOWS, FRAME_WIDTH, FRAME_HEIGHT, 0, 0), 0);
    std::string why;
    key_listener *listener = start_listening(&why);
    ASSERT_TRUE(listener) << why;
    tester = XOpenDisplay(nullptr);
    int damage_event = 0, damage_error = 0;
    ASSERT_TRUE(tester && (XSynchronize(tester, True), XDamageQueryExtension(tester, &damage_event, &damage_error)) &&
                XDamageCreate(tester, DefaultRootWindow(tester), XDamageReportRawRectangles));
    XTestFakeMotionEvent(tester, -1, 10, 10, CurrentTime); // keys go to the window under the pointer
    XEvent event;
    const auto no_drawings = [&] {
        while (XCheckTypedEvent(tester, damage_event + XDamageNotify, &event)) {
        }
    };

    XLOCK();
    XSync(_xwin.display, False);
    while (reports_taken(listener) > 0) {
    }
    // L and K by turns: a release and a press of one key at one moment would
    // be X's own repeat.
    for (int i = 0; i < 30; ++i) {
        const KeyCode code = XKeysymToKeycode(tester, i % 2 ? XK_k : XK_l);
        XTestFakeKeyEvent(tester, code, True, 0), XTestFakeKeyEvent(tester, code, False, 0);
    }
    XSync(_xwin.display, False);
    EXPECT_EQ(reports_taken(listener), 60U) << "the reading stopped before Xlib's queue was empty";
    tap_on_flush = true;
    EXPECT_EQ(reports_taken(listener), 2U) << "a tap that the reading's flush took in waited in Xlib's queue";

    // A small window over the viewer's, gone again: the library repaints
    // what it covered.
    XSetWindowAttributes unmanaged = {};
    unmanaged.override_redirect = True;
    const Window cover = XCreateWindow(tester, DefaultRootWindow(tester), 0, 0, 8, 8, 0, CopyFromParent, InputOutput,
                                       nullptr, CWOverrideRedirect, &unmanaged);
    XMapWindow(tester, cover), XDestroyWindow(tester, cover);
    until_the_viewer_can_read();
    no_drawings();
    reports_taken(listener);
    EXPECT_TRUE(drawn(damage_event)) << "the repaint waited in Xlib's buffer";
    const bitmap_ptr frame(create_bitmap(FRAME_WIDTH, FRAME_HEIGHT));
    clear_to_color(frame.get(), 1);
    present_frame(frame.get(), nullptr, 0, 0);
    EXPECT_TRUE(drawn(damage_event)) << "the frame waited in Xlib's buffer";

    std::atomic<pid_t> reader{0};
    std::atomic<bool> read{false};
    std::thread other([&] { reader = gettid(), reports_taken(listener), read = true; });
    for (int tries = 0; tries < 6000 && !read && !(reader && waits_on_a_lock(reader)); ++tries)
        usleep(10'000);
    EXPECT_FALSE(read) << "the display was read without the library's lock";
    XUNLOCK();
    other.join();
    stop_listening(listener);
    XCloseDisplay(tester);
}

} // namespace
