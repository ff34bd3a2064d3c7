// The keys each pass of the frame loop acts on, and, with a rate, the wait
// that ends each pass.
#pragma once

#include <allegro.h>

#include <bitset>
#include <chrono>

// Keys by the library's scancodes.
struct held_keys {
    std::bitset<KEY_MAX> down;
};

using pass_clock = std::chrono::steady_clock;

// The keys held now (the library's `key` array) and those in `pressed`.
held_keys keys_held(held_keys pressed);

// Waits until `deadline`, or until a key is pressed if `until_a_key`,
// taking every key out of the library's key buffer about each millisecond,
// and returns the keys pressed meanwhile: so even a tap shorter than a pass,
// which `key` may never show, counts as held in the next pass. Ends at once
// when Escape goes down, the window's close button is pressed or a
// termination signal comes.
held_keys wait_for_keys(pass_clock::time_point deadline, bool until_a_key);
