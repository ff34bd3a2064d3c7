// The viewer's window on Windows. The library names it after the program,
// vexilo, and gives it the icon named allegro_icon in the program's
// resources, which are vexilo's own. The library's window thread handles
// its messages; these functions see to what that thread cannot.
#include "window.h"

#include <allegro.h>
#include <winalleg.h>

#include <atomic>

#include "session_end.h"

namespace {

// Set once the library shuts down; read by its window thread.
std::atomic<bool> shutting_down{false};

} // namespace

// During the library's shutdown, the window's messages go to Windows' own
// handling, but for the window's end (see before_the_library_shuts_down()).
int on_window_message(HWND window, UINT message, WPARAM word, LPARAM value, int *result)
{
    if (message == WM_ENDSESSION && word)
        end_of_session();
    if (!shutting_down || message == WM_DESTROY)
        return 1; // and the library handles it as it always does
    *result = message == WM_CLOSE ? 0 : int(DefWindowProcW(window, message, word, value));
    return 0;
}

void name_window() { win_set_msg_pre_proc(on_window_message); }

// The library's windowed driver copies each frame to the window as the
// screen is released.
void send_frame() {}

// The library's window thread runs beside the spinning loop. (An earlier
// build yielded here, for a window that Wine never showed; with the
// library's window thread taking its messages without waiting, the window
// shows without it, under Wine 8 on one processor too, taskset -c 0.)
void let_the_window_run() {}

// The library's window thread no longer handles the window's messages but
// its end: its handlers (a loss or gain of focus, a repaint) wait for the
// shutdown under way, which waits for the window's thread. Under Wine, the
// shutdown's own change of the window's style moved the focus, and the
// viewer hung for ever.
void before_the_library_shuts_down() { shutting_down = true; }

const char *display_needed() { return "desktop"; }
