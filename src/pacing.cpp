// Pacing the frame loop without losing a key: the wait between two passes
// sleeps in steps of a millisecond and empties the key buffer at each.
#include "pacing.h"

#include <algorithm>
#include <thread>

#include "termination.h"
#include "window.h"

namespace {
constexpr pass_clock::duration LOOK_EVERY = std::chrono::milliseconds(1);
} // namespace

held_keys keys_held(held_keys pressed)
{
    for (int scancode = 0; scancode < KEY_MAX; ++scancode)
        if (key[scancode])
            pressed.down.set(scancode);
    return pressed;
}

held_keys wait_for_keys(pass_clock::time_point deadline, bool until_a_key)
{
    held_keys pressed = {};
    for (;;) {
        while (keypressed()) {
            int scancode = 0;
            ureadkey(&scancode);
            pressed.down.set(static_cast<size_t>(scancode) % KEY_MAX);
        }
        if (pressed.down[KEY_ESC] || key[KEY_ESC] || window_closed() || pending_termination() != 0 ||
            (until_a_key && pressed.down.any()))
            return pressed;
        const pass_clock::time_point now = pass_clock::now();
        if (now >= deadline)
            return pressed;
        std::this_thread::sleep_for(std::min(LOOK_EVERY, deadline - now));
    }
}
