// The wizard's system calls on Windows: ShellExecuteA for link targets, ShowWindow for the
// installer's window.
#include "patcher/os_window.h"

#include <windows.h>

#include <shellapi.h>

namespace patcher::os {

bool OpenTarget(const char* target)
{
    HINSTANCE result = ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWMAXIMIZED);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void ShowSystemWindow(uintptr_t window, bool show)
{
    if (window != 0)
        (void)ShowWindow(reinterpret_cast<HWND>(window), show ? SW_SHOW : SW_HIDE);
}

}
