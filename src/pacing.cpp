// Reading the keyboard for the frame loop. With a rate, the loop counts the
// keyboard's reports: a tap is one press, however short and wherever it
// lands, and the loop sleeps until something is due.
#include "pacing.h"

#include <algorithm>

#include "close_button.h"
#include "options.h"
#include "termination.h"
#include "window.h"

namespace {

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

void read_key_events(paced_keyboard &keyboard, key_pace pace, key_listener *listener)
{
    key_report reports[64];
    for (size_t got; (got = take_reports(listener, reports, std::size(reports))) > 0;)
        for (size_t i = 0; i < got; ++i)
            note_key_event(keyboard, reports[i], pace);
}

void wait_for_action(paced_keyboard &keyboard, key_pace pace, key_listener *listener)
{
    for (;;) {
        read_key_events(keyboard, pace, listener);
        const pass_clock::time_point due = next_action(keyboard);
        if (quit_asked(keyboard.escape) || due <= pass_clock::now())
            return;
        sleep_until_report(listener, due);
    }
}

bool open_keyboard(int rate, std::chrono::milliseconds repeat_delay, loop_keyboard *keyboard, std::string *why)
{
    *keyboard = {};
    if (rate == UNLIMITED_RATE)
        return true;
    keyboard->pace = {repeat_delay, pass_clock::duration(std::chrono::seconds(1)) / rate};
    keyboard->listener = start_listening(why);
    return keyboard->listener != nullptr;
}

void wait_at_the_intro(loop_keyboard &keyboard)
{
    if (keyboard.listener)
        wait_for_action(keyboard.events, keyboard.pace, keyboard.listener);
    else
        while (!keypressed() && !quit_asked(key[KEY_ESC]))
            let_the_window_run();
}

bool asked_to_quit(loop_keyboard &keyboard)
{
    if (!keyboard.listener)
        return quit_asked(key[KEY_ESC]);
    read_key_events(keyboard.events, keyboard.pace, keyboard.listener);
    return quit_asked(keyboard.events.escape);
}

held_keys keys_of_the_pass(loop_keyboard &keyboard)
{
    return keyboard.listener ? take_actions(keyboard.events, pass_clock::now(), keyboard.pace) : keys_down();
}

void wait_for_the_next_pass(loop_keyboard &keyboard, bool redraw)
{
    if (!keyboard.listener)
        let_the_window_run();
    else if (!redraw)
        wait_for_action(keyboard.events, keyboard.pace, keyboard.listener);
}

void close_keyboard(loop_keyboard &keyboard)
{
    if (keyboard.listener)
        stop_listening(keyboard.listener);
    keyboard.listener = nullptr;
}
