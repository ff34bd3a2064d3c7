// The intro screen: its texts, rows and colours, and the help lines' layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "intro.h"

namespace {

TEST(intro_lines, TextsRowsAndColours)
{
    const intro_line expected[INTRO_LINE_COUNT] = {
        {60, 63, "Fractale de Mandelbrot !"},
        {80, 50, "Les fleches       : Translation "},
        {90, 50, "O : Zoom        I : De-Zoom     "},
        {100, 50, "L : Iteration+  K : Iteration-  "},
        {110, 50, "S : Capture d'ecran (vexilo.pcx)"},
        {120, 63, "Appuyez sur une touche pour continuer"},
        {130, 63, "(ESC): quitter"},
        {150, 63, "Unix"},
        {160, 63, "4.4.3"},
    };
    const intro_line *lines = intro_lines();
    for (int i = 0; i < INTRO_LINE_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].y, expected[i].y);
        EXPECT_EQ(lines[i].colour, expected[i].colour);
        EXPECT_STREQ(lines[i].text, expected[i].text);
    }
}

// The four help lines are 32 characters, so centred they all start at
// x = 32, and their colons fall in the 3rd and 19th columns.
TEST(intro_lines, HelpLinesLineUp)
{
    struct help_case {
        bool colon_in_3rd, colon_in_19th;
    };
    const help_case cases[] = {{false, true}, {true, true}, {true, true}, {true, false}};
    const intro_line *lines = intro_lines();
    for (int i = 0; i < 4; ++i) {
        const std::string text = lines[1 + i].text;
        SCOPED_TRACE(text);
        EXPECT_EQ(text.size(), 32u);
        EXPECT_EQ(text_length(font, text.c_str()), 256);
        EXPECT_EQ(text[2] == ':', cases[i].colon_in_3rd);
        EXPECT_EQ(text[18] == ':', cases[i].colon_in_19th);
    }
}

// Drawn, the help lines' glyphs start on x = 32 and nothing lies left of
// it; every drawn pixel has its line's colour.
TEST(draw_intro, HelpLinesStartAtColumn32)
{
    BITMAP *buffer = create_bitmap(320, 200);
    draw_intro(buffer);
    const intro_line *lines = intro_lines();
    for (int i = 0; i < INTRO_LINE_COUNT; ++i) {
        SCOPED_TRACE(lines[i].text);
        int leftmost = 320;
        for (int y = lines[i].y; y < lines[i].y + 8; ++y)
            for (int x = 0; x < 320; ++x)
                if (getpixel(buffer, x, y) != 0) {
                    EXPECT_EQ(getpixel(buffer, x, y), lines[i].colour);
                    leftmost = std::min(leftmost, x);
                }
        if (i >= 1 && i <= 4) {
            EXPECT_EQ(leftmost, 32);
        }
    }
    destroy_bitmap(buffer);
}

} // namespace
