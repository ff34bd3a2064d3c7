// Showing a finished frame.
#pragma once

#include <allegro.h>

// Copies the whole back buffer to the screen, its top-left corner at
// (`left`, `top`), in one blit: the screen never shows a frame in the
// making. With `scaled` (a memory bitmap a whole number of times the
// buffer's size), the buffer is first stretched into it, every pixel a
// square block, and `scaled` is copied instead, again in one blit. The
// frame is then sent to the display at once.
void present_frame(BITMAP *buffer, BITMAP *scaled, int left, int top);
