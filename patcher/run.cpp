// One run of the installer, the same on every system: the start, the wizard, the main loop
// until the wizard ends or the window is closed, and the shutdown; or, with "/silent", the
// unattended run.
#include "patcher/patcher_internal.h"

int PTCH_Run(uintptr_t instance, const char* commandLine)
{
    if (const auto switches = patcher::detail::SwitchesOf(commandLine); switches.silent)
        return patcher::detail::RunSilent(instance, commandLine, switches);
    const int launched = PTCH_Launch(instance, commandLine);
    if (launched != PTCH_LAUNCHED)
        return launched;
    PTCH_Start();
    PTCH_MainLoop();
    PTCH_Done();
    return 0;
}
