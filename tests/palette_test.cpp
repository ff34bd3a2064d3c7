// The palette: the blue triangle wave, the black entries and the one green.
#include <gtest/gtest.h>

#include "palette.h"

namespace {

TEST(build_palette, EntriesAlongTheRamps)
{
    struct entry_case {
        int index;
        int r, g, b;
    };
    const entry_case cases[] = {
        {0, 0, 0, 0},    {1, 0, 0, 1},   {50, 0, 0, 50},    {63, 0, 0, 63},  {64, 0, 0, 63},
        {100, 0, 0, 27}, {127, 0, 0, 0}, {128, 0, 0, 0},    {191, 0, 0, 63}, {192, 0, 0, 63},
        {253, 0, 0, 2},  {254, 0, 0, 0}, {255, 15, 45, 15},
    };
    PALETTE palette;
    build_palette(palette);
    for (const entry_case &c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(palette[c.index].r, c.r);
        EXPECT_EQ(palette[c.index].g, c.g);
        EXPECT_EQ(palette[c.index].b, c.b);
    }
}

} // namespace
