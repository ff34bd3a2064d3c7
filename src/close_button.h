// The window's close button, which ends the viewer as Escape does.
#pragma once

// After the graphics mode is set: the close button asks the frame loop to
// end, and wakes the paced wait. The library ignores the button until then.
void watch_close_button();

// Whether the close button has been pressed since watch_close_button().
bool window_closed();
