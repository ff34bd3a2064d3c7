// The keyboard as events, for the paced loop: every press and release the
// library reports through keyboard_lowlevel_callback reaches the loop with
// the moment it came, and the loop's wait sleeps until one comes, the
// close button is pressed or a termination is requested.
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

// What the loop listens to, made by start_listening(); its parts are the
// system's.
struct key_listener;

// Once the library's keyboard is installed: has the library report every
// press and release, and the close button and termination requests wake
// the wait. Null where that cannot be, `*why` saying why.
key_listener *start_listening(std::string *why);

// Once the library has shut down: undoes start_listening().
void stop_listening(key_listener *listener);

// Wakes sleep_until_report(), from any thread.
void wake_the_wait();

// Takes up to `most` reports that have come, oldest first, without waiting
// for any; how many. On X, the library first reads what the display has
// sent, so that no key waits for the library's next tick.
size_t take_reports(key_listener *listener, key_report *reports, size_t most);

// Sleeps until a report comes, the wait is woken, a termination is
// requested, or `until` (time_point::max(): for as long as it takes).
void sleep_until_report(key_listener *listener, pass_clock::time_point until);
