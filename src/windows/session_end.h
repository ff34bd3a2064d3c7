// The end of the session, as the window hears of it (WM_ENDSESSION), for
// the termination requests.
#pragma once

// Asks the frame loop to end, and returns once it has seen the request (or
// after a few seconds), so that no pass is cut short when Windows ends the
// process.
void end_of_session();
