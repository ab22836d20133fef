// A real window's pixels are read from the screen, which may not give them back.
#include "tests/support/gui_driver.h"

bool test::ScreenMayRefuseReads()
{
    return true;
}
