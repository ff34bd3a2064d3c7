// Termination requests end the viewer as Escape does: between two passes of
// the frame loop, through the ordinary shutdown, never from inside a signal
// handler; then as the system ends a program for that request. Which
// requests each system has is said in its termination.cpp.
#pragma once

// What the viewer found when it started.
struct termination_signals {
    // A bit for each request ignored by whoever started the viewer (a
    // background job's SIGINT): they stay ignored.
    unsigned ignored;
};

// Before the library starts: holds the requests back, in this thread and
// in every thread the library starts, so that they wait for the frame loop
// instead of running the library's own handlers, which shut it down from
// inside the signal and deadlock when it lands in the allocator or in
// fork().
termination_signals hold_termination_signals();

// After the library has started: ignores again, and no longer holds, the
// requests that were ignored before it put its own handlers in their place.
void keep_ignored(termination_signals held);

// The request waiting to be acted on (non-zero), or 0.
int pending_termination();

// After shutdown: ends the viewer now if a request came, during the frame
// loop or the shutdown itself, as the system ends a program for it (by the
// signal itself, so that the exit status says what ended the viewer).
void release_termination_signals(termination_signals held);
