// The viewer's window on an X desktop: the class docks and task bars match
// to the desktop entry, the close button, frames sent at once, and the
// display's events read as they come.
#pragma once

// Before the library starts: names the window's class "vexilo" (the
// library's own is "allegro"), so that it shows vexilo's name and icon.
void name_window();

// After the graphics mode is set: the window's close button asks the frame
// loop to end, as Escape does. The library ignores the button until then.
void watch_close_button();

// Whether the close button has been pressed since watch_close_button().
bool window_closed();

// Sends what was drawn to the display now: the library's own thread would
// send it only at its next tick, up to 10 ms later.
void send_frame();

// For a wait that sleeps on the display's connection: from now on, the
// library's thread reads the connection without a round trip to the server
// while nothing has come, so that the connection stays quiet while nothing
// happens. False where the library reads the display another way (its DGA
// driver): the wait then leaves the reading to the library's thread.
bool share_display_input();

// Undoes share_display_input().
void stop_sharing_display_input();

// A descriptor that polls readable when the display sends something, or -1.
int display_connection();

// Has the library read and handle every event the display has sent, in
// this thread, now: key events reach keyboard_lowlevel_callback before it
// returns. Only once share_display_input() has succeeded.
void read_display_events();
