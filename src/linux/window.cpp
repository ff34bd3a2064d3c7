// The viewer's window on X. The library's X header, with its macros, stays
// in this file and in key_reports.cpp, which says which of the library's X
// internals they use and why.
#include "window.h"

#include <allegro.h>
#include <xalleg.h>
// After xalleg.h, whose `_xwin` its lock macros use.
#include <allegro/platform/aintunix.h>

namespace {

constexpr const char *WINDOW_NAME = "vexilo";

} // namespace

void name_window()
{
    // The class too (the library's own is "allegro"), which docks match to
    // the desktop entry. Kept for the window the library makes as it
    // starts: set later, the class would reach only its inner window, which
    // no window manager reads.
    xwin_set_window_name(WINDOW_NAME, WINDOW_NAME);
}

// The library would send the frame at its next tick, up to 10 ms on.
void send_frame()
{
    XLOCK();
    if (_xwin.display)
        XFlush(_xwin.display);
    XUNLOCK();
}

void let_the_window_run() {}

void before_the_library_shuts_down() {}

const char *display_needed() { return "X display or console"; }
