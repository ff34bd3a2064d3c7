// The viewer's window on Windows. The library names it after the program,
// vexilo, and gives it the icon named allegro_icon in the program's
// resources, which are vexilo's own.
#include "window.h"

#include <allegro.h>

#include <atomic>

#include "key_reports.h"

namespace {

// Set by the library's window thread; the callback takes no argument, so
// the flag can live nowhere else.
std::atomic<bool> close_pressed{false};

void note_close()
{
    close_pressed = true;
    wake_the_wait();
}

} // namespace

void name_window() {}

void watch_close_button() { set_close_button_callback(note_close); }

bool window_closed() { return close_pressed; }

// The library's windowed driver copies each frame to the window as the
// screen is released.
void send_frame() {}

void let_the_window_run() { rest(0); }
