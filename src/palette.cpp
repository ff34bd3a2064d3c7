// Builds the viewer's palette.
#include "palette.h"

namespace {
constexpr RGB HUD_GREEN = {15, 45, 15, 0};
}

void build_palette(PALETTE palette)
{
    for (int i = 0; i < PAL_SIZE; ++i)
        palette[i] = {0, 0, 0, 0};

    // Two rises and two falls of blue; the last fall stops at 253 so that
    // 254 stays black and 255 is free for the green.
    for (int i = 0; i < 64; ++i)
        palette[i].b = i;
    for (int i = 64; i < 128; ++i)
        palette[i].b = 127 - i;
    for (int i = 128; i < 192; ++i)
        palette[i].b = i - 128;
    for (int i = 192; i < 254; ++i)
        palette[i].b = 255 - i;

    palette[HUD_COLOUR] = HUD_GREEN;
}
