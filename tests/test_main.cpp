// Runs the unit tests with the library started without a display: memory
// bitmaps, the built-in font and the PCX codec need nothing more.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0)
        return 1;
    set_color_depth(8);
    return RUN_ALL_TESTS();
}
