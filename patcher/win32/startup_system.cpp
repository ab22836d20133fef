// The installer's start on Win32: a named mutex marks the running instance, the window of the
// installer's class is brought forward, COM is started for the shell links, and the main loop
// waits for the thread's input with MsgWaitForMultipleObjectsEx.
#include "patcher/os_startup.h"

#include <objbase.h>
#include <windows.h>

namespace patcher::os {

namespace {

constexpr UINT PROGRAM_ICON = 101;
// QS_ALLEVENTS without raw input: key, mouse move, mouse button, posted message, timer, paint
// and hot key.
constexpr DWORD INPUT_MASK = 0xBF;

}

InstanceLock TakeInstanceLock(const char* name, uintptr_t* lock)
{
    *lock = 0;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr)
        return InstanceLock::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return InstanceLock::HeldElsewhere;
    }
    *lock = reinterpret_cast<uintptr_t>(mutex);
    return InstanceLock::Taken;
}

void ReleaseInstanceLock(uintptr_t lock)
{
    if (lock != 0)
        CloseHandle(reinterpret_cast<HANDLE>(lock));
}

void BringWindowForward(const char* className)
{
    HWND window = FindWindowA(className, nullptr);
    if (window == nullptr)
        return;
    WINDOWPLACEMENT placement {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement) && placement.showCmd == SW_SHOWMINIMIZED)
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

uint32_t CurrentFolder(char* buffer, uint32_t capacity)
{
    return GetCurrentDirectoryA(capacity, buffer);
}

uintptr_t LoadProgramIcon(uintptr_t instance)
{
    return reinterpret_cast<uintptr_t>(
        LoadIconA(reinterpret_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(PROGRAM_ICON)));
}

bool InitCom()
{
    // S_FALSE (COM runs on the thread already) also has to be matched by CoUninitialize.
    return SUCCEEDED(CoInitialize(nullptr));
}

void DoneCom()
{
    CoUninitialize();
}

void WaitForInput(uint32_t milliseconds)
{
    (void)MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, INPUT_MASK, MWMO_WAITALL);
}

}
