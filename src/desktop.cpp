// Asking the X server about the desktop. The X headers, with their macros,
// stay in this file.
#include "desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

desktop_facts read_desktop()
{
    desktop_facts facts = {DEFAULT_REPEAT_DELAY};
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return facts;
    unsigned delay = 0, interval = 0;
    XKeyboardState keyboard = {};
    XGetKeyboardControl(display, &keyboard);
    if (keyboard.global_auto_repeat == AutoRepeatModeOff)
        facts.repeat_delay = NEVER_REPEATS;
    else if (XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval))
        facts.repeat_delay = std::chrono::milliseconds(delay);
    XCloseDisplay(display);
    return facts;
}
