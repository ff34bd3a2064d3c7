// What the X server tells of the desktop, as read_desktop() reads it, on
// Xorg's dummy driver (desktop.FromTheXServer): two monitors side by side,
// the first listed on the right and neither marked primary, the server
// listening on TCP too.
#include "desktop.h"
#include "helpers.h"

// After the test framework: the X headers define None and Bool as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// The key repeat delay the user set, or none where key repeat is off. The
// video mode where the library reads it, on a local display only, not over
// TCP. The monitor at the corner, the one at (0, 0), and the primary: the
// one marked so, or else the first listed.
TEST(desktop, FromTheXServer)
{
    Display *display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    const auto delay = [&] { return XSync(display, False), read_desktop().repeat_delay; };
    XkbSetAutoRepeatRate(display, XkbUseCoreKbd, 300, 40);
    EXPECT_EQ(delay(), std::chrono::milliseconds(300));
    XAutoRepeatOff(display);
    EXPECT_EQ(delay(), NEVER_REPEATS);
    XAutoRepeatOn(display);

    int count = 0;
    XRRMonitorInfo *listed = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    ASSERT_TRUE(count == 2 && listed[0].x > 0 && listed[1].x == 0 && !listed[0].primary && !listed[1].primary);
    const auto monitor_of = [](const XRRMonitorInfo &m) { return bits(monitor{{m.width, m.height}, m.x, m.y}); };
    const desktop_facts local = read_desktop();
    EXPECT_TRUE(local.video_mode.width > 0 && bits(local.at_corner) == monitor_of(listed[1]) &&
                bits(local.primary) == monitor_of(listed[0]));
    const std::string name = DisplayString(display);
    setenv("DISPLAY", ("localhost" + name.substr(name.find(':'))).c_str(), 1);
    const desktop_facts remote = read_desktop();
    setenv("DISPLAY", name.c_str(), 1);
    EXPECT_TRUE(remote.video_mode.width == 0 && bits(remote.at_corner) == bits(local.at_corner)) << "over TCP";
    XRRSetOutputPrimary(display, DefaultRootWindow(display), listed[1].outputs[0]);
    EXPECT_TRUE(delay().count() > 0 && bits(read_desktop().primary) == monitor_of(listed[1]));
    XRRSetOutputPrimary(display, DefaultRootWindow(display), 0);
    XRRFreeMonitors(listed);
    XCloseDisplay(display);
}

} // namespace
