// Termination requests on Windows: the console's Ctrl+C, Ctrl+Break, close,
// logoff and shutdown events, and the end of the session told to the
// window. Windows calls the handlers on threads of its own; they only note
// the request and wake the paced wait, and the frame loop ends between two
// passes, as it does for Escape.
#include "termination.h"

#include <allegro.h>
#include <winalleg.h>

#include <atomic>

#include "key_reports.h"
#include "session_end.h"

namespace {

// The exit status Windows gives a program that a console event ends.
constexpr UINT ENDED_BY_CONSOLE = 0xC000013A; // STATUS_CONTROL_C_EXIT

// The request waiting, its console event + 1, and whether the frame loop
// has seen it. Set by Windows' handlers, which take no argument of ours.
std::atomic<int> requested{0};
std::atomic<bool> seen{false};

void request(int event)
{
    int none = 0;
    requested.compare_exchange_strong(none, event + 1);
    wake_the_wait();
}

// Windows ends the process as soon as the handler of a close, logoff or
// shutdown returns: it waits, so that the viewer's own shutdown ends it.
BOOL WINAPI on_console_event(DWORD event)
{
    request(int(event));
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

void end_of_session()
{
    // The library's shutdown needs the window's thread, which is the one
    // waiting here: it waits only until the frame loop has seen the request.
    constexpr int HALF_A_SECOND = 500;
    request(CTRL_LOGOFF_EVENT);
    for (int tries = 0; !seen && tries < 10; ++tries)
        Sleep(HALF_A_SECOND);
}

termination_signals hold_termination_signals()
{
    // A Ctrl+C ignored by whoever started the viewer never reaches the
    // handler: Windows keeps it ignored.
    SetConsoleCtrlHandler(on_console_event, TRUE);
    return {0};
}

void keep_ignored(termination_signals) {}

int pending_termination()
{
    const int request = requested;
    seen = seen || request != 0;
    return request;
}

void release_termination_signals(termination_signals)
{
    if (requested != 0)
        ExitProcess(ENDED_BY_CONSOLE);
}
