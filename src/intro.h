// The intro screen: the picture's name and the keys, in French.
#pragma once

#include <allegro.h>

// One line of text, centred on x = 160.
struct intro_line {
    int y;
    int colour;
    const char *text;
};

// Clears `buffer` to colour 0 and draws the intro's lines in the built-in
// font.
void draw_intro(BITMAP *buffer);
