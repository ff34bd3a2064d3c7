// The viewer's window: its name and class (which docks and task bars match
// to the desktop entry), its close button, and each frame sent at once.
#pragma once

// Before the library starts: names the window "vexilo", and on X its class
// too (the library's own is "allegro"), so that it shows vexilo's name and
// icon.
void name_window();

// After the graphics mode is set: the window's close button asks the frame
// loop to end, as Escape does, and wakes the paced wait. The library
// ignores the button until then.
void watch_close_button();

// Whether the close button has been pressed since watch_close_button().
bool window_closed();

// Sends what was drawn to the screen to the display now, where the library
// would send it later (on X, at its next tick, up to 10 ms on).
void send_frame();

// Called on every pass of the loop that spins (without a rate): on Windows,
// yields the processor for that moment, so that the library's window thread
// and Windows' own threads run beside the spinning loop (under Wine, the
// window is never even shown otherwise); on X, nothing.
void let_the_window_run();

// Just before the library shuts down. On Windows, the library's window
// thread no longer handles the window's messages but its end: its
// handlers (a loss or gain of focus, a repaint) wait for the shutdown
// under way, which waits for the window's thread (under Wine, the
// shutdown's own change of the window's style moves the focus, and the
// viewer hung for ever). On X, nothing.
void stop_following_focus();
