// One run of the installer, the same on every system: the start, the wizard, the main loop
// until the wizard ends or the window is closed, and the shutdown.
#include "patcher/patcher_internal.h"

int PTCH_Run(uintptr_t instance, const char* commandLine)
{
    const int launched = PTCH_Launch(instance, commandLine);
    if (launched != PTCH_LAUNCHED)
        return launched;
    PTCH_Start();
    PTCH_MainLoop();
    PTCH_Done();
    return 0;
}
