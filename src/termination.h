// Termination signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT) end the viewer as
// Escape does: between two passes of the frame loop, through the ordinary
// shutdown, never from inside a signal handler; then by the signal itself.
#pragma once

#include <signal.h>

// What the viewer found when it started.
struct termination_signals {
    sigset_t ignored; // ignored by whoever started the viewer: they stay so
};

// Before the library starts: blocks the termination signals in this thread,
// and so in every thread the library starts, so that they wait as pending
// instead of running the library's own handlers, which shut it down from
// inside the signal and deadlock when it lands in the allocator or in fork().
// Also gives SIGCHLD its default action, so that the screenshot's child can
// be waited for even where SIGCHLD was ignored at start.
termination_signals hold_termination_signals();

// After the library has started: ignores again, and no longer holds, the
// signals that were ignored before it put its own handlers in their place.
void keep_ignored(termination_signals held);

// The termination signal waiting to be acted on, or 0.
int pending_termination();

// A descriptor that polls readable while a termination signal waits (it is
// never read: the signal stays pending), or -1.
int termination_fd();

// After shutdown: gives the termination signals that were not ignored their
// default action back and stops holding them, so that one that came, during
// the frame loop or the shutdown itself, ends the process now, by that
// signal, and the exit status says what ended the viewer.
void release_termination_signals(termination_signals held);
