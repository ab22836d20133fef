// Starting a program and waiting for it on Win32 (CreateProcessW/A, WaitForSingleObject), and
// the message pump of a plain system window.
#include "installlib/os_process.h"

#include <windows.h>

namespace installlib::os {

namespace {

template <typename StartupInfo> StartupInfo ShownNormally()
{
    StartupInfo startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    return startup;
}

bool Started(BOOL created, const PROCESS_INFORMATION& information, ProcessHandles* handles)
{
    if (!created)
        return false;
    handles->process = reinterpret_cast<uintptr_t>(information.hProcess);
    handles->thread = reinterpret_cast<uintptr_t>(information.hThread);
    return true;
}

}

bool StartProcessW(const char16_t* program, const char16_t* folder, ProcessHandles* handles)
{
    STARTUPINFOW startup = ShownNormally<STARTUPINFOW>();
    PROCESS_INFORMATION information {};
    const BOOL created = CreateProcessW(reinterpret_cast<const wchar_t*>(program), nullptr, nullptr,
        nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
        reinterpret_cast<const wchar_t*>(folder), &startup, &information);
    return Started(created, information, handles);
}

bool StartProcessA(const char* program, const char* folder, ProcessHandles* handles)
{
    STARTUPINFOA startup = ShownNormally<STARTUPINFOA>();
    PROCESS_INFORMATION information {};
    const BOOL created = CreateProcessA(program, nullptr, nullptr, nullptr, FALSE,
        CREATE_DEFAULT_ERROR_MODE, nullptr, folder, &startup, &information);
    return Started(created, information, handles);
}

WaitResult WaitForHandle(uintptr_t handle, uint32_t milliseconds)
{
    switch (WaitForSingleObject(reinterpret_cast<HANDLE>(handle), milliseconds)) {
    case WAIT_OBJECT_0:
        return WaitResult::Signalled;
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    default:
        return WaitResult::Failed;
    }
}

void CloseProcessHandle(uintptr_t handle)
{
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

bool PumpWindowMessages(uintptr_t window)
{
    bool closed = false;
    MSG message;
    while (PeekMessageA(&message, reinterpret_cast<HWND>(window), 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        closed = closed || message.message == WM_CLOSE || message.message == WM_DESTROY
            || message.message == WM_QUIT;
    }
    return closed;
}

}
