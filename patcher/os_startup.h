// The system side of the installer's start: the single-instance lock, bringing the first
// instance's window forward, the current folder, the program's window icon, COM and the main
// loop's wait for input. The Win32 and POSIX backends both define these; portable code reaches
// them through the start-up's call table (patcher_internal.h), so that tests can stand in.
#pragma once

#include <cstdint>

namespace patcher::os {

enum class InstanceLock { Taken, HeldElsewhere, Failed };
// Takes the process-wide lock of the name (Win32: a named mutex; POSIX: an exclusive advisory
// lock on a file of that name in the user's runtime folder, else the temporary folder). The
// lock is held while *lock is open, also against other takes inside the same process. Taken
// with *lock set; HeldElsewhere or Failed with *lock 0.
InstanceLock TakeInstanceLock(const char* name, uintptr_t* lock);
// Gives the lock up; 0 does nothing.
void ReleaseInstanceLock(uintptr_t lock);

// Restores the window of the class when it is minimised and brings it to the front. Nothing
// when no such window exists, and always nothing on POSIX, where windows are headless.
void BringWindowForward(const char* className);

// The current folder in the system's form, GetCurrentDirectoryA's way: its length when it fits
// capacity with the terminator, the bytes it needs (terminator included) when it does not, 0
// on failure.
uint32_t CurrentFolder(char* buffer, uint32_t capacity);

// The program's window icon (resource 101 of the program module instance); 0 when none.
uintptr_t LoadProgramIcon(uintptr_t instance);

// COM for the calling thread (shortcuts need it on Win32); nothing on POSIX. InitCom answers
// whether DoneCom must be called.
bool InitCom();
void DoneCom();

// Waits until input arrives for the thread's windows or milliseconds have passed.
void WaitForInput(uint32_t milliseconds);

}
