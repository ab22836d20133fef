// The headless window keeps what was presented in memory and always gives it back; it has no
// pointer of its own.
#include "tests/support/gui_driver.h"

bool test::ScreenMayRefuseReads()
{
    return false;
}

void test::ParkPointer()
{
}
