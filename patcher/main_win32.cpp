// The installer program on Windows: a GUI-subsystem program whose command line is the
// system's 8-bit one.
#include "patcher/patcher.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return PTCH_Run(reinterpret_cast<uintptr_t>(instance), GetCommandLineA());
}
