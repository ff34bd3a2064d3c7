// What each pass of the frame loop reads of the keyboard and what ends the
// loop, in the keyboard's two modes. Without a rate, the library's `key`
// array on every pass. With one, the keyboard as events (key_reports.h): a
// press acts at once and exactly once, a held key repeats at the rate once
// the desktop's repeat delay is over, and the loop sleeps until something
// is due.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "key_reports.h"
#include "keys.h"

// The keys the library's `key` array shows held now (the loop without a
// rate acts on these).
held_keys keys_down();

// Whether the user asks to quit: `escape` (Escape held, or with a rate
// pressed), the window's close button pressed, or a termination signal
// waiting.
bool quit_asked(bool escape);

// The three kinds of key event: a key goes down; the keyboard repeats a key
// that is already down (X's auto-repeat, which the library passes on as
// further presses, with no release between them); a key goes up.
enum class key_event_kind : std::uint8_t { press, repeat, release };

// How a held key repeats: the first repeat `delay` and one `period` after
// its press, then one each `period` (1 s / the rate) while it stays down.
struct key_pace {
    pass_clock::duration delay;
    pass_clock::duration period;
};

// The keyboard as the paced loop knows it from the events.
struct paced_keyboard {
    held_keys held;                                          // down now
    std::array<int, KEY_MAX> due;                            // actions not yet taken
    std::array<pass_clock::time_point, KEY_MAX> next_repeat; // of each held key
    bool escape;                                             // pressed: quit
};

key_event_kind kind_of(held_keys held, key_report report);

// Notes one event: a press is one action due (and Escape's asks to quit);
// the keyboard's own repeat changes nothing; a release stops the key's
// repeats, but a repeat that fell due before it and was not yet taken stays
// due. Modifier keys never act.
void note_key_event(paced_keyboard &keyboard, key_report report, key_pace pace);

// The keys a pass at `now` acts on, each once: one due action of each key,
// or else its repeat if that is due. A repeat is never owed beyond one:
// after a frame slower than the period, a held key acts on the next pass.
held_keys take_actions(paced_keyboard &keyboard, pass_clock::time_point now, key_pace pace);

// When the next action falls due: now where one is due already, never
// (time_point::max()) while no key is held.
pass_clock::time_point next_action(const paced_keyboard &keyboard);

// Notes every report that has come, without waiting for any.
void read_key_events(paced_keyboard &keyboard, key_pace pace, key_listener *listener);

// Sleeps until an action is due, Escape is pressed, the close button is
// pressed or a termination signal comes; each wakes it at once.
void wait_for_action(paced_keyboard &keyboard, key_pace pace, key_listener *listener);

// The frame loop's keyboard, in either mode.
struct loop_keyboard {
    key_listener *listener; // null without a rate
    key_pace pace;
    paced_keyboard events; // with a rate
};

// Once the library's keyboard is installed. With a `rate` other than
// UNLIMITED_RATE, listens to the keyboard's events, a held key repeating
// `rate` times a second after `repeat_delay`; false where it cannot, `*why`
// saying why.
bool open_keyboard(int rate, std::chrono::milliseconds repeat_delay, loop_keyboard *keyboard, std::string *why);

// Waits at the intro for a key, or for a request to quit. Without a rate,
// the key stays in the library's key buffer on purpose: only held keys
// matter from here on. With one, its press is an action of the first pass.
void wait_at_the_intro(loop_keyboard &keyboard);

// At the top of every pass: reads what has come, and whether the user asks
// to quit (quit_asked()).
bool asked_to_quit(loop_keyboard &keyboard);

// The keys the pass acts on: without a rate those held now, with one
// take_actions() now.
held_keys keys_of_the_pass(loop_keyboard &keyboard);

// At the end of a pass. Without a rate, gives the window its moment
// (let_the_window_run()) and goes on. With one, unless `redraw`, sleeps
// until a key asks for something.
void wait_for_the_next_pass(loop_keyboard &keyboard, bool redraw);

// Once the library has shut down.
void close_keyboard(loop_keyboard &keyboard);
