// The close button through the library's own callback, the same on every
// system.
#include "close_button.h"

#include <allegro.h>

#include <atomic>

#include "key_reports.h"

namespace {

// Set by the library's thread; the callback takes no argument, so the flag
// can live nowhere else.
std::atomic<bool> close_pressed{false};

void note_close()
{
    close_pressed = true;
    wake_the_wait();
}

} // namespace

void watch_close_button() { set_close_button_callback(note_close); }

bool window_closed() { return close_pressed; }
