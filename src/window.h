// The viewer's window on an X desktop: the class docks and task bars match
// to the desktop entry, and the close button.
#pragma once

// Before the library starts: names the window's class "vexilo" (the
// library's own is "allegro"), so that it shows vexilo's name and icon.
void name_window();

// After the graphics mode is set: the window's close button asks the frame
// loop to end, as Escape does. The library ignores the button until then.
void watch_close_button();

// Whether the close button has been pressed since watch_close_button().
bool window_closed();
