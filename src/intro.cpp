// Draws the intro screen. The four help lines are exactly 32 characters, so
// centred they all start at x = 32 and their colons line up.
#include "intro.h"

namespace {

constexpr int TITLE_BLUE = 63;
constexpr int HELP_BLUE = 50;
constexpr int SCREEN_CENTRE_X = 160;

constexpr intro_line LINES[] = {
    {60, TITLE_BLUE, "Fractale de Mandelbrot !"},
    {80, HELP_BLUE, "Les fleches       : Translation "},
    {90, HELP_BLUE, "O : Zoom        I : De-Zoom     "},
    {100, HELP_BLUE, "L : Iteration+  K : Iteration-  "},
    {110, HELP_BLUE, "S : Capture d'ecran (vexilo.pcx)"},
    {120, TITLE_BLUE, "Appuyez sur une touche pour continuer"},
    {130, TITLE_BLUE, "(ESC): quitter"},
    {150, TITLE_BLUE, ALLEGRO_PLATFORM_STR},
    {160, TITLE_BLUE, ALLEGRO_VERSION_STR},
};

} // namespace

void draw_intro(BITMAP *buffer)
{
    clear_to_color(buffer, 0);
    for (const intro_line &line : LINES)
        textprintf_centre_ex(buffer, font, SCREEN_CENTRE_X, line.y, line.colour, -1, "%s", line.text);
}
