// Reading the keyboard for the frame loop. With a rate, the library's
// keyboard thread writes each press and release into a pipe as it comes,
// and the loop counts them: a tap is one press, however short and wherever
// it lands, and the loop sleeps in poll() on the pipe until something is
// due.
#include "pacing.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "termination.h"
#include "window.h"

namespace {

// The bit the library sets in a scancode that goes up.
constexpr int RELEASED = 0x80;

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

// Modifiers act on nothing and, as in the key buffer, end no intro.
bool acts(int scancode) { return scancode > 0 && scancode < KEY_MODIFIERS; }

} // namespace

held_keys keys_down()
{
    held_keys down = {};
    for (int scancode = 0; scancode < KEY_MAX; ++scancode)
        down.down[scancode] = key[scancode] != 0;
    return down;
}

bool quit_asked(bool escape) { return escape || window_closed() || pending_termination() != 0; }

key_event_kind kind_of(held_keys held, key_report report)
{
    if (!report.down)
        return key_event_kind::release;
    return held.down[report.scancode] ? key_event_kind::repeat : key_event_kind::press;
}

void note_key_event(paced_keyboard &keyboard, key_report report, key_pace pace)
{
    if (!acts(report.scancode))
        return;
    const auto code = size_t(report.scancode);
    switch (kind_of(keyboard.held, report)) {
    case key_event_kind::press:
        keyboard.held.down.set(code);
        ++keyboard.due[code];
        keyboard.next_repeat[code] = report.when + pace.delay + pace.period;
        keyboard.escape |= code == KEY_ESC;
        break;
    case key_event_kind::repeat:
        // The keyboard's own repeat: a held key repeats at the pace instead.
        break;
    case key_event_kind::release:
        if (keyboard.held.down[code] && keyboard.next_repeat[code] <= report.when)
            ++keyboard.due[code];
        keyboard.held.down.reset(code);
        break;
    }
}

held_keys take_actions(paced_keyboard &keyboard, pass_clock::time_point now, key_pace pace)
{
    held_keys actions = {};
    for (size_t code = 0; code < KEY_MAX; ++code)
        if (keyboard.due[code] > 0) {
            --keyboard.due[code];
            actions.down.set(code);
        } else if (keyboard.held.down[code] && keyboard.next_repeat[code] <= now) {
            actions.down.set(code);
            keyboard.next_repeat[code] += pace.period;
            if (keyboard.next_repeat[code] <= now)
                keyboard.next_repeat[code] = now + pace.period;
        }
    return actions;
}

pass_clock::time_point next_action(const paced_keyboard &keyboard)
{
    pass_clock::time_point next = pass_clock::time_point::max();
    for (size_t code = 0; code < KEY_MAX; ++code) {
        if (keyboard.due[code] > 0)
            return pass_clock::time_point::min();
        if (keyboard.held.down[code])
            next = std::min(next, keyboard.next_repeat[code]);
    }
    return next;
}

bool start_listening(key_listener *listener)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    *listener = {ends[0], termination_fd(), -1};
    if (listener->signals < 0) {
        close(ends[0]), close(ends[1]);
        return false;
    }
    report_end = ends[1];
    keyboard_lowlevel_callback = report;
    if (share_display_input())
        listener->display = display_connection();
    return true;
}

void stop_listening(key_listener listener)
{
    stop_sharing_display_input();
    keyboard_lowlevel_callback = nullptr;
    close(report_end.exchange(-1)), close(listener.reports), close(listener.signals);
}

void wake_the_wait() { report(0); }

void read_key_events(paced_keyboard &keyboard, key_pace pace, key_listener listener)
{
    if (listener.display >= 0)
        read_display_events();
    report_record records[64];
    for (ssize_t got; (got = read(listener.reports, records, sizeof records)) > 0;)
        for (size_t i = 0; i < size_t(got) / sizeof *records; ++i) {
            const auto [ticks, scancode] = records[i];
            const pass_clock::time_point when{pass_clock::duration(ticks)};
            note_key_event(keyboard, {when, int(scancode & ~RELEASED), (scancode & RELEASED) == 0}, pace);
        }
}

void wait_for_action(paced_keyboard &keyboard, key_pace pace, key_listener listener)
{
    for (;;) {
        read_key_events(keyboard, pace, listener);
        const pass_clock::time_point due = next_action(keyboard), now = pass_clock::now();
        if (quit_asked(keyboard.escape) || due <= now)
            return;
        // A display gone polls readable too: its next read ends the viewer.
        pollfd sources[] = {
            {listener.reports, POLLIN, 0}, {listener.signals, POLLIN, 0}, {listener.display, POLLIN, 0}};
        const bool forever = due == pass_clock::time_point::max();
        const auto wait = forever ? std::chrono::nanoseconds() : std::chrono::ceil<std::chrono::nanoseconds>(due - now);
        const timespec timeout = {time_t(wait.count() / 1'000'000'000), long(wait.count() % 1'000'000'000)};
        ppoll(sources, 3, forever ? nullptr : &timeout, nullptr);
    }
}
