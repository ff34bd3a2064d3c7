// Copies the back buffer to the screen.
#include "present.h"

#include "fractal/fractal.h"

void present_frame(BITMAP *buffer)
{
    acquire_screen();
    blit(buffer, screen, 0, 0, 0, 0, FRAME_WIDTH, FRAME_HEIGHT);
    release_screen();
}
