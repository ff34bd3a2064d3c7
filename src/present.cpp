// Copies the back buffer to the screen.
#include "present.h"

#include "fractal/fractal.h"
#include "window.h"

void present_frame(BITMAP *buffer, BITMAP *scaled, int left, int top)
{
    // Stretched straight onto the screen, the picture would reach it a line
    // at a time.
    if (scaled)
        stretch_blit(buffer, scaled, 0, 0, FRAME_WIDTH, FRAME_HEIGHT, 0, 0, scaled->w, scaled->h);
    BITMAP *shown = scaled ? scaled : buffer;
    acquire_screen();
    blit(shown, screen, 0, 0, left, top, shown->w, shown->h);
    release_screen();
    send_frame();
}
