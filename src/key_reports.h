// The keyboard as events, for the paced loop: every press and release the
// library reports through keyboard_lowlevel_callback reaches the loop with
// the moment it came, and the loop's wait sleeps until one comes, the
// close button is pressed or a termination is requested. How each system
// carries the reports and wakes the wait is said in its key_reports.cpp.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

using pass_clock = std::chrono::steady_clock;

// One report: a scancode going down or up, and when the library reported
// it. Scancode 0 is no key: it only wakes the wait.
struct key_report {
    pass_clock::time_point when;
    int scancode;
    bool down;
};

// The report of what the library hands keyboard_lowlevel_callback: a
// scancode, its top bit set for a key going up.
constexpr key_report report_of(pass_clock::time_point when, int scancode)
{
    constexpr int RELEASED = 0x80;
    return {when, scancode & ~RELEASED, (scancode & RELEASED) == 0};
}

// What the loop listens to, made by start_listening(); its parts are the
// system's.
struct key_listener;

// Once the library's keyboard is installed: has the library report every
// press and release, and the close button and termination requests wake
// the wait. Null where that cannot be, `*why` saying why.
key_listener *start_listening(std::string *why);

// Once the library has shut down, and its threads with it: undoes
// start_listening(). A wake_the_wait() from a thread of the system's own
// (Windows' console handler) may come at any moment: one under way ends
// before the listener goes, and one that comes after does nothing.
void stop_listening(key_listener *listener);

// Wakes sleep_until_report(), from any thread, at any moment.
void wake_the_wait();

// Takes up to `most` reports that have come, oldest first, without waiting
// for any; how many. The system's keyboard is read first, so that no key
// waits for the library's next look at it.
size_t take_reports(key_listener *listener, key_report *reports, size_t most);

// Sleeps until a report comes, the wait is woken, a termination is
// requested, or `until` (time_point::max(): for as long as it takes).
void sleep_until_report(key_listener *listener, pass_clock::time_point until);
