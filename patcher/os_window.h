// The system side of the wizard's pages: opening a link target with the system's handler and
// hiding the installer's window while a program of the patch runs. The Win32 and POSIX backends
// both define these; portable code reaches them through the system-call table.
#pragma once

#include <cstdint>

namespace patcher::os {

// Opens target (an 8-bit address or file) with the system's handler for it, maximised where
// the system has such a thing, without waiting. False when nothing was started.
bool OpenTarget(const char* target);
// Shows or hides the system window with the handle; nothing for handle 0.
void ShowSystemWindow(uintptr_t window, bool show);

}
