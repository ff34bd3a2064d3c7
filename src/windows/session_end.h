// The end of the session, as the window hears of it (WM_ENDSESSION), for
// the termination requests.
#pragma once

#include <windows.h>

// Asks the frame loop to end, and returns once it has seen the request (or
// after a few seconds), so that no pass is cut short when Windows ends the
// process.
void end_of_session();

// The library's hook for the window's messages (win_set_msg_pre_proc()),
// which sees them first: the end of the session ends the viewer. 1 where the
// library then handles `message` as it always does; 0 where `*result` is
// its answer.
int on_window_message(HWND window, UINT message, WPARAM word, LPARAM value, int *result);
