// Running a program and waiting for it while the installer's window stays responsive: the
// wait is on the process itself (a program may end its first thread and run on in others), in
// steps of 50 ms with the window pumped after each, and ends early when the window is asked to
// close.
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;
namespace os = installlib::os;

// Starts program in folder (empty: the current folder) by the wide or the 8-bit call.
bool Start(const char16_t* program, const char16_t* folder, os::ProcessHandles* handles)
{
    const char16_t* wideFolder = folder[0] != 0 ? folder : nullptr;
    if (UseWideCalls())
        return Sys().startProcessW(program, wideFolder, handles);
    char narrowProgram[PATH_CAPACITY];
    char narrowFolder[PATH_CAPACITY];
    if (!ToFileApi(narrowProgram, sizeof(narrowProgram), program)
        || (wideFolder && !ToFileApi(narrowFolder, sizeof(narrowFolder), wideFolder)))
        return false;
    return Sys().startProcessA(narrowProgram, wideFolder ? narrowFolder : nullptr, handles);
}

void Wait(uintptr_t process, InstallLib_WindowPump* window)
{
    for (;;) {
        const os::WaitResult result = Sys().waitForHandle(process, WAIT_STEP_MS);
        const bool closed = window && window->Pump();
        if (result != os::WaitResult::TimedOut || closed)
            return;
    }
}

}

bool InstallLib_MessagePump::Pump()
{
    return Sys().pumpWindowMessages(m_window);
}

int RunAndWait(const char16_t* program, InstallLib_WindowPump* window)
{
    char16_t folder[PATH_CAPACITY];
    os::ProcessHandles handles {};
    if (!program || !FolderOf(folder, PATH_CAPACITY, program) || !Start(program, folder, &handles))
        return 0;
    Wait(handles.process, window);
    if (handles.thread != 0)
        Sys().closeProcessHandle(handles.thread);
    Sys().closeProcessHandle(handles.process);
    return 1;
}
