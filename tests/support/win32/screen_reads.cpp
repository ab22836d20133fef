// A real window's pixels are read from the screen, which may not give them back, and the real
// pointer lies somewhere on that screen.
#include "tests/support/gui_driver.h"

#include <windows.h>

bool test::ScreenMayRefuseReads()
{
    return true;
}

// The screen's pointer starts at its centre, where the desktop window opens: the system would
// report it as a move into the window and hover whatever lies there. Tests post their own input.
void test::ParkPointer()
{
    (void)SetCursorPos(0, 0);
}
