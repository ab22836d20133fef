// The wizard's system calls on POSIX: link targets go to xdg-open; the installer's window is
// headless, so there is nothing to hide.
#include "patcher/os_window.h"

#include <spawn.h>

extern char** environ;

namespace patcher::os {

bool OpenTarget(const char* target)
{
    char program[] = "xdg-open";
    char* arguments[] = { program, const_cast<char*>(target), nullptr };
    pid_t child = 0;
    return posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) == 0;
}

void ShowSystemWindow(uintptr_t, bool)
{
}

}
