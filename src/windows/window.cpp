// The viewer's window on Windows. The library names it after the program,
// vexilo, and gives it the icon named allegro_icon in the program's
// resources, which are vexilo's own.
#include "window.h"

#include <allegro.h>
#include <winalleg.h>

#include <atomic>

#include "key_reports.h"
#include "session_end.h"

namespace {

// Set by the library's window thread; the callback takes no argument, so
// the flag can live nowhere else.
std::atomic<bool> close_pressed{false};

// Set once the library shuts down; read by its window thread.
std::atomic<bool> shutting_down{false};

void note_close()
{
    close_pressed = true;
    wake_the_wait();
}

// The window's messages, before the library sees them: the end of the
// session ends the viewer. During the library's shutdown, they go to
// Windows' own handling, but for the window's end (see
// stop_following_focus()).
int on_window_message(HWND window, UINT message, WPARAM word, LPARAM value, int *result)
{
    if (message == WM_ENDSESSION && word)
        end_of_session();
    if (!shutting_down || message == WM_DESTROY)
        return 1; // and the library handles it as it always does
    *result = message == WM_CLOSE ? 0 : int(DefWindowProcW(window, message, word, value));
    return 0;
}

} // namespace

void name_window() { win_set_msg_pre_proc(on_window_message); }

void watch_close_button() { set_close_button_callback(note_close); }

bool window_closed() { return close_pressed; }

// The library's windowed driver copies each frame to the window as the
// screen is released.
void send_frame() {}

void let_the_window_run() { rest(0); }

void stop_following_focus() { shutting_down = true; }
