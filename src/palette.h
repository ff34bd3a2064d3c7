// The viewer's 256-colour palette: a blue ramp for the picture, green for the
// status line and centre marker.
#pragma once

#include <allegro.h>

// The colour of the status line and the centre marker, used by nothing else.
constexpr int HUD_COLOUR = 255;

// Fills `palette` (6-bit components): entries 0 ... 253 a blue triangle wave
// of period 128 (0 rises to 63, 127 falls back to 0, again up at 191 and
// down to 2 at 253), 254 black, 255 green (15, 45, 15).
void build_palette(PALETTE palette);
