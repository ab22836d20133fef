// The headless window keeps what was presented in memory and always gives it back.
#include "tests/support/gui_driver.h"

bool test::ScreenMayRefuseReads()
{
    return false;
}
