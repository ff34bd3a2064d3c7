// The intro screen: its texts, rows and colours, and the help lines' layout.
#include <gtest/gtest.h>

#include <cstring>
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

// Drawn, each line's pixels stay within its centred box and its own colour.
TEST(draw_intro, DrawsEachLineCentredInItsColour)
{
    BITMAP *buffer = create_bitmap(320, 200);
    clear_to_color(buffer, 7);
    draw_intro(buffer);
    const intro_line *lines = intro_lines();

    int drawn = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const int colour = getpixel(buffer, x, y);
            if (colour == 0)
                continue;
            ++drawn;
            const intro_line *owner = nullptr;
            for (int i = 0; i < INTRO_LINE_COUNT; ++i)
                if (y >= lines[i].y && y < lines[i].y + 8)
                    owner = &lines[i];
            ASSERT_NE(owner, nullptr) << "stray pixel at " << x << "," << y;
            const int half = 4 * static_cast<int>(std::strlen(owner->text));
            EXPECT_EQ(colour, owner->colour) << x << "," << y;
            EXPECT_GE(x, 160 - half) << owner->text;
            EXPECT_LT(x, 160 + half) << owner->text;
        }
    EXPECT_GT(drawn, 500);

    // The help lines' first glyphs start on x = 32.
    for (int i = 1; i <= 4; ++i) {
        bool column_32_used = false;
        for (int y = lines[i].y; y < lines[i].y + 8; ++y)
            column_32_used |= getpixel(buffer, 32, y) != 0;
        EXPECT_TRUE(column_32_used) << lines[i].text;
    }
    destroy_bitmap(buffer);
}

} // namespace
