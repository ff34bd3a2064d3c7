// The viewer's window as the system shows it: its name, each frame sent at
// once, the spinning loop's turn given to the system, and the window left
// to the system while the library shuts down.
#pragma once

// Before the library starts: the window shows vexilo's name, and the class
// or identity by which docks and task bars match it to its desktop entry
// and icon.
void name_window();

// Sends what was drawn to the screen to the display now, where the library
// would send it later.
void send_frame();

// On every pass of the loop that spins (without a rate): gives the system
// what it needs of that moment to keep the window alive beside the loop
// (on Linux and Windows, nothing: their windows live on threads of their
// own).
void let_the_window_run();

// Just before the library shuts down: whatever the window still needs
// until it is gone is done without the library, which is busy shutting
// down.
void before_the_library_shuts_down();

// What the library needs to start, as the line that says it could not
// names it: "X display or console", say.
const char *display_needed();
