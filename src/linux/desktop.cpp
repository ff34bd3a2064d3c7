// Asking the X server about the desktop, over a short connection of the
// viewer's own: the repeat delay from XKB, the video mode from the VidMode
// extension (which the library reads on a local display only), the
// monitors from RandR (1.5). X tells no window's room. The X headers, with
// their macros, stay in this file.
#include "desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/xf86vmode.h>

#include <cstring>

namespace {

// As the library tells a local display: its name ":0", say.
bool local(Display *display)
{
    const char *name = XDisplayString(display);
    return name[0] == ':' || std::strncmp(name, "unix:", 5) == 0;
}

std::chrono::milliseconds repeat_delay(Display *display)
{
    unsigned delay = 0, interval = 0;
    XKeyboardState keyboard = {};
    XGetKeyboardControl(display, &keyboard);
    if (keyboard.global_auto_repeat == AutoRepeatModeOff)
        return NEVER_REPEATS;
    if (XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval))
        return std::chrono::milliseconds(delay);
    return DEFAULT_REPEAT_DELAY;
}

screen_size video_mode(Display *display)
{
    int event_base = 0, error_base = 0, dot_clock = 0;
    XF86VidModeModeLine line = {};
    if (!local(display) || !XF86VidModeQueryExtension(display, &event_base, &error_base) ||
        !XF86VidModeGetModeLine(display, DefaultScreen(display), &dot_clock, &line))
        return {};
    XFree(line.c_private);
    return {line.hdisplay, line.vdisplay};
}

monitor monitor_of(const XRRMonitorInfo &info) { return {{info.width, info.height}, info.x, info.y}; }

// Where RandR lists monitors: the one at the corner and the primary.
void read_monitors(Display *display, desktop_facts *facts)
{
    int event_base = 0, error_base = 0, major = 0, minor = 0, count = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base) || !XRRQueryVersion(display, &major, &minor) ||
        major * 100 + minor < 105)
        return;
    XRRMonitorInfo *monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = count - 1; i >= 0; --i) {
        if (monitors[i].x == 0 && monitors[i].y == 0)
            facts->at_corner = monitor_of(monitors[i]);
        if (monitors[i].primary || (i == 0 && facts->primary.size.width == 0))
            facts->primary = monitor_of(monitors[i]);
    }
    XRRFreeMonitors(monitors);
}

} // namespace

desktop_facts read_desktop()
{
    desktop_facts facts = {DEFAULT_REPEAT_DELAY, {}, {}, {}, {}};
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return facts;
    facts.repeat_delay = repeat_delay(display);
    facts.video_mode = video_mode(display);
    read_monitors(display, &facts);
    XCloseDisplay(display);
    return facts;
}
