// The table of system calls the start makes. The native table holds the start-up backend's
// functions, the platform layer's message box and the language dialog; tests put a table of
// their own in place to hold the lock elsewhere, answer the current folder or the dialog, and
// catch the messages that would otherwise wait for a click.
#include "patcher/patcher_internal.h"

namespace patcher::detail {

namespace {

void ShowMessage(const char* text, const char* caption)
{
    (void)SYS_MessageBox(text, caption, SYS_MB_OK);
}

const StartupCalls NATIVE_CALLS = {
    os::TakeInstanceLock,
    os::ReleaseInstanceLock,
    os::BringWindowForward,
    os::CurrentFolder,
    os::LoadProgramIcon,
    os::InitCom,
    os::DoneCom,
    os::WaitForInput,
    ShowMessage,
    GetLanguageDialog,
};

const StartupCalls* g_calls = &NATIVE_CALLS;

}

const StartupCalls& Startup()
{
    return *g_calls;
}

const StartupCalls& NativeStartupCalls()
{
    return NATIVE_CALLS;
}

void ReplaceStartupCalls(const StartupCalls* calls)
{
    g_calls = calls != nullptr ? calls : &NATIVE_CALLS;
}

void StartMessage(const char* text, const char* caption)
{
    if (const SilentMode* silent = GetSilentMode(); silent != nullptr)
        silent->report(caption, text);
    else
        Startup().showMessage(text, caption);
}

}
