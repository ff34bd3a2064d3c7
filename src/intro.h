// The intro screen: the picture's name and the keys, in French.
#pragma once

#include <allegro.h>

struct intro_line {
    int y;
    int colour;
    const char *text;
};

constexpr int INTRO_LINE_COUNT = 9;

// The intro's lines from top to bottom, each centred on x = 160.
const intro_line *intro_lines();

// Clears `buffer` to colour 0 and draws the intro lines in the built-in font.
void draw_intro(BITMAP *buffer);
