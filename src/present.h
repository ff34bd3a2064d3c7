// Showing a finished frame.
#pragma once

#include <allegro.h>

// Copies the whole back buffer to the screen in one blit: the screen never
// shows a frame in the making.
void present_frame(BITMAP *buffer);
