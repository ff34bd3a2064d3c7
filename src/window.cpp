// The viewer's window and the library's X connection. The library's X
// header, with its macros, stays in this file.
//
// Beyond its manual, this uses the library's X internals, declared in its
// installed headers xalleg.h and allegro/platform/aintunix.h: `_xwin` (the
// display and its lock), XLOCK() and XUNLOCK(), `_xwin_input_handler` (the
// hook its DGA driver uses to read the display its own way) and
// `_xwin_handle_input()` and `_xwin_private_handle_input()` (its reading of
// the display). The manual offers no way to send a frame at once or to read
// the display's events when they come; the library is frozen at 4.4.3, so
// these will not change under the viewer.
#include <allegro.h>
#ifdef ALLEGRO_WITH_XWINDOWS
#include <xalleg.h>
// After xalleg.h, whose `_xwin` its lock macros use.
#include <allegro/platform/aintunix.h>
#endif

#include <atomic>

#include "pacing.h"
#include "window.h"

namespace {

constexpr const char *WINDOW_CLASS = "vexilo";

// Set by the library's input thread; the callback takes no argument, so the
// flag can live nowhere else.
std::atomic<bool> close_pressed{false};

void note_close()
{
    close_pressed = true;
    wake_the_wait();
}

#ifdef ALLEGRO_WITH_XWINDOWS
// The library's reading of the display, called with its lock held, by its
// thread every 10 ms and by read_display_events(). Its own starts with a
// round trip to the server (XSync), whose reply would wake a wait on the
// connection each time: here the round trip is made only once something
// has come, and the library's reading then handles it as it always does.
void read_without_round_trip()
{
    while (XEventsQueued(_xwin.display, QueuedAfterReading) > 0)
        _xwin_private_handle_input();
    XFlush(_xwin.display);
}

bool sharing() { return _xwin.display && _xwin_input_handler == read_without_round_trip; }
#endif

} // namespace

void name_window()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    // Kept for the window the library makes as it starts: set later, the
    // class would reach only its inner window, which no window manager reads.
    xwin_set_window_name(WINDOW_CLASS, WINDOW_CLASS);
#endif
}

void watch_close_button() { set_close_button_callback(note_close); }

bool window_closed() { return close_pressed; }

void send_frame()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    XLOCK();
    if (_xwin.display)
        XFlush(_xwin.display);
    XUNLOCK();
#endif
}

bool share_display_input()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    XLOCK();
    if (_xwin.display && !_xwin_input_handler)
        _xwin_input_handler = read_without_round_trip;
    const bool shared = sharing();
    XUNLOCK();
    return shared;
#else
    return false;
#endif
}

void stop_sharing_display_input()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    XLOCK();
    if (_xwin_input_handler == read_without_round_trip)
        _xwin_input_handler = nullptr;
    XUNLOCK();
#endif
}

int display_connection()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    return sharing() ? ConnectionNumber(_xwin.display) : -1;
#else
    return -1;
#endif
}

void read_display_events()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    // The library's own entry takes its lock and calls the handler above.
    if (sharing())
        _xwin_handle_input();
#endif
}
