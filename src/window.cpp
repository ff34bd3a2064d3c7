// Naming the window and noting its close button. The library's X header,
// with its macros, stays in this file.
#include <allegro.h>
#ifdef ALLEGRO_WITH_XWINDOWS
#include <xalleg.h>
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
