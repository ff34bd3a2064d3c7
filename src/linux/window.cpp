// The viewer's window on X. The library's X header, with its macros, stays
// in this file and in key_reports.cpp, which says which of the library's X
// internals they use and why.
#include "window.h"

#include <allegro.h>
#include <xalleg.h>
// After xalleg.h, whose `_xwin` its lock macros use.
#include <allegro/platform/aintunix.h>

#include <atomic>

#include "key_reports.h"

namespace {

constexpr const char *WINDOW_NAME = "vexilo";

// Set by the library's input thread; the callback takes no argument, so the
// flag can live nowhere else.
std::atomic<bool> close_pressed{false};

void note_close()
{
    close_pressed = true;
    wake_the_wait();
}

} // namespace

void name_window()
{
    // Kept for the window the library makes as it starts: set later, the
    // class would reach only its inner window, which no window manager reads.
    xwin_set_window_name(WINDOW_NAME, WINDOW_NAME);
}

void watch_close_button() { set_close_button_callback(note_close); }

bool window_closed() { return close_pressed; }

void send_frame()
{
    XLOCK();
    if (_xwin.display)
        XFlush(_xwin.display);
    XUNLOCK();
}

void let_the_window_run() {}

void stop_following_focus() {}
