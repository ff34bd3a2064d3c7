// The keyboard's reports on Linux: the library's callback writes each press
// and release into a pipe as it comes, and the wait sleeps in poll() on the
// pipe, on a signalfd of the termination signals and on the library's X
// connection, which it has the library read as soon as something comes.
//
// Beyond its manual, this uses the library's X internals, declared in its
// installed headers xalleg.h and allegro/platform/aintunix.h: `_xwin` (the
// display and its lock), XLOCK() and XUNLOCK(), `_xwin_input_handler` (the
// hook its DGA driver uses to read the display its own way) and
// `_xwin_handle_input()` and `_xwin_private_handle_input()` (its reading of
// the display). The manual offers no way to read the display's events when
// they come; the library is frozen at 4.4.3, so these will not change under
// the viewer.
#include "key_reports.h"

#include <allegro.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <xalleg.h>
// After xalleg.h, whose `_xwin` its lock macros use.
#include <allegro/platform/aintunix.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "termination_set.h"

struct key_listener {
    int reports;
    int signals; // polls readable while a termination signal waits; never read
    int display; // -1 where the library's thread alone reads it
};

namespace {

// The pipe's write end. The keyboard's callback takes no argument of its
// own, so it can live nowhere else.
std::atomic<int> report_end{-1};

// What goes through the pipe: when, and the scancode as the library gives
// it. No padding, so that no byte of it is left unset.
using report_record = std::array<std::int64_t, 2>;

void report(int scancode)
{
    const report_record record = {pass_clock::now().time_since_epoch().count(), scancode};
    // A write this small is whole or not at all, and never blocks: were the
    // loop ever 4,096 reports behind, the newest would be lost.
    [[maybe_unused]] const ssize_t written = write(report_end, &record, sizeof record);
}

// The library's reading of the display, called with its lock held, by its
// thread every 10 ms and by take_reports(). Its own starts with a round
// trip to the server (XSync), whose reply would wake the wait each time:
// here the round trip is made only once something has come, and the
// library's reading then handles it as it always does. A flush sends what
// the library's reading sent (a repaint), and can itself read what the
// server sent meanwhile into Xlib's queue, where the wait would not see it:
// so the queue is read after each flush, until it is empty after one.
void read_without_round_trip()
{
    for (XFlush(_xwin.display); XEventsQueued(_xwin.display, QueuedAfterReading) > 0; XFlush(_xwin.display))
        _xwin_private_handle_input();
}

// Hands the library's reading of the display to the function above, where
// its own is in place (not where its DGA driver reads the display its own
// way); the display's connection, or -1.
int share_display()
{
    XLOCK();
    int connection = -1;
    if (_xwin.display && (!_xwin_input_handler || _xwin_input_handler == read_without_round_trip)) {
        _xwin_input_handler = read_without_round_trip;
        connection = ConnectionNumber(_xwin.display);
    }
    XUNLOCK();
    return connection;
}

} // namespace

key_listener *start_listening(std::string *why)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        *why = std::strerror(errno);
        return nullptr;
    }
    const sigset_t termination = termination_set();
    const int signals = signalfd(-1, &termination, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals < 0) {
        *why = std::strerror(errno);
        close(ends[0]), close(ends[1]);
        return nullptr;
    }
    report_end = ends[1];
    keyboard_lowlevel_callback = report;
    return new key_listener{ends[0], signals, share_display()};
}

void stop_listening(key_listener *listener)
{
    XLOCK();
    if (_xwin_input_handler == read_without_round_trip)
        _xwin_input_handler = nullptr;
    XUNLOCK();
    keyboard_lowlevel_callback = nullptr;
    close(report_end.exchange(-1)), close(listener->reports), close(listener->signals);
    delete listener;
}

void wake_the_wait() { report(0); }

size_t take_reports(key_listener *listener, key_report *reports, size_t most)
{
    // The library's own entry takes its lock and calls the reading above,
    // whose reports then wait in the pipe.
    if (listener->display >= 0)
        _xwin_handle_input();
    report_record records[64];
    const ssize_t got = read(listener->reports, records, std::min(most, std::size(records)) * sizeof *records);
    const size_t count = got > 0 ? size_t(got) / sizeof *records : 0;
    for (size_t i = 0; i < count; ++i) {
        const auto [ticks, scancode] = records[i];
        reports[i] = report_of(pass_clock::time_point(pass_clock::duration(ticks)), int(scancode));
    }
    return count;
}

void sleep_until_report(key_listener *listener, pass_clock::time_point until)
{
    // A display gone polls readable too: its next read ends the viewer.
    pollfd sources[] = {{listener->reports, POLLIN, 0}, {listener->signals, POLLIN, 0}, {listener->display, POLLIN, 0}};
    const bool forever = until == pass_clock::time_point::max();
    const auto wait =
        std::max(std::chrono::ceil<std::chrono::nanoseconds>(until - pass_clock::now()), std::chrono::nanoseconds());
    const timespec timeout = {time_t(wait.count() / 1'000'000'000), long(wait.count() % 1'000'000'000)};
    ppoll(sources, std::size(sources), forever ? nullptr : &timeout, nullptr);
}
