// The state of one installer run: the toolkit's environment, the installer's desktop, the
// chosen language, the installed record as read at the start and the running flag. Set by the
// start and the window, read by the wizard; main thread only.
#include "patcher/patcher_internal.h"

namespace {

using namespace patcher::detail;

c_GUIB_Environment* g_environment = nullptr;
c_GUIB_Desktop* g_desktop = nullptr;
const char* g_languageCode = nullptr;
VersionInfo g_installed {};
bool g_running = false;
const SilentMode* g_silent = nullptr;

}

namespace patcher::detail {

void SetLanguageCode(const char* code)
{
    g_languageCode = code;
}

void SetEnvironment(c_GUIB_Environment* environment)
{
    g_environment = environment;
}

void SetDesktop(c_GUIB_Desktop* desktop)
{
    g_desktop = desktop;
}

VersionInfo* InstalledRecord()
{
    return &g_installed;
}

void SetSilentMode(const SilentMode* mode)
{
    g_silent = mode;
}

const SilentMode* GetSilentMode()
{
    return g_silent;
}

}

c_GUIB_Environment* PTCH_GetEnvironment()
{
    return g_environment;
}

c_GUIB_Desktop* PTCH_GetDesktop()
{
    return g_desktop;
}

const char* PTCH_GetLanguageCode()
{
    return g_languageCode != nullptr ? g_languageCode : "";
}

const VersionInfo* PTCH_GetInstalledRecord()
{
    return &g_installed;
}

bool PTCH_IsRunning()
{
    return g_running;
}

void PTCH_SetRunning(bool running)
{
    g_running = running;
}
