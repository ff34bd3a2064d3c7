// Reading the keyboard for the frame loop, and pacing it without losing or
// doubling a key: the wait between two passes sleeps in steps of a
// millisecond and empties the key buffer at each.
#include "pacing.h"

#include <algorithm>
#include <thread>

#include "termination.h"
#include "window.h"

namespace {

constexpr pass_clock::duration LOOK_EVERY = std::chrono::milliseconds(1);

// Adds to `pressed` every key waiting in the key buffer, which it empties.
held_keys take_key_buffer(held_keys pressed)
{
    while (keypressed()) {
        int scancode = 0;
        ureadkey(&scancode);
        pressed.down.set(static_cast<size_t>(scancode) % KEY_MAX);
    }
    return pressed;
}

} // namespace

held_keys keys_down()
{
    held_keys down = {};
    for (int scancode = 0; scancode < KEY_MAX; ++scancode)
        down.down[scancode] = key[scancode] != 0;
    return down;
}

bool quit_asked(held_keys pressed)
{
    return key[KEY_ESC] || pressed.down[KEY_ESC] || window_closed() || pending_termination() != 0;
}

held_keys paced_keys(held_keys pressed, held_keys down_now, held_keys down_before)
{
    // A key that `key` shows for the first time has its press in the key
    // buffer, or on its way there: counted from `key` too, it would act
    // twice.
    pressed.down |= down_now.down & down_before.down;
    return pressed;
}

held_keys wait_for_keys(pass_clock::time_point deadline, bool until_a_key)
{
    held_keys pressed = {};
    for (;;) {
        pressed = take_key_buffer(pressed);
        if (quit_asked(pressed) || (until_a_key && pressed.down.any()))
            return pressed;
        const pass_clock::time_point now = pass_clock::now();
        if (now >= deadline)
            return pressed;
        std::this_thread::sleep_for(std::min(LOOK_EVERY, deadline - now));
    }
}
