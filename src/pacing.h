// What each pass of the frame loop reads of the keyboard, what ends the
// loop, and, with a rate, the wait that ends each pass.
#pragma once

#include <chrono>

#include "keys.h"

using pass_clock = std::chrono::steady_clock;

// The keys the library's `key` array shows held now.
held_keys keys_down();

// Whether the user asks to quit: Escape held now or among `pressed`, the
// window's close button pressed, or a termination signal waiting.
bool quit_asked(held_keys pressed);

// What a paced pass acts on: the keys pressed since the last pass (taken
// from the key buffer by the wait that ended it), and the keys held now
// (`down_now`, from `key`) that were held at the last pass too
// (`down_before`). So a press counts once, through the key buffer, even when
// it lands during a pass and `key` shows it there; a key held across passes
// acts on each of them.
held_keys paced_keys(held_keys pressed, held_keys down_now, held_keys down_before);

// Waits until `deadline`, or until a key is pressed if `until_a_key`,
// taking every key out of the library's key buffer about each millisecond,
// and returns the keys pressed meanwhile: so even a tap shorter than a pass,
// which `key` may never show, counts in the next pass. Ends at once when
// quit_asked() says so.
held_keys wait_for_keys(pass_clock::time_point deadline, bool until_a_key);
