// The system side of running a program and keeping a window alive meanwhile; the Win32 and
// POSIX backends both define these.
#pragma once

#include <cstdint>

namespace installlib::os {

enum class WaitResult { Signalled, TimedOut, Failed };

// What starting a program gives back. The thread handle is 0 where the system has none (POSIX).
struct ProcessHandles {
    uintptr_t process;
    uintptr_t thread;
};

// Starts program without a command line, shown normally, with the system's default error mode,
// the caller's environment and folder as its working folder (null: the caller's). False when it
// does not start; handles is then untouched.
bool StartProcessW(const char16_t* program, const char16_t* folder, ProcessHandles* handles);
bool StartProcessA(const char* program, const char* folder, ProcessHandles* handles);
// Waits up to milliseconds for the process (or thread) handle to be signalled: the program has
// ended. POSIX polls waitpid every 50 ms.
WaitResult WaitForHandle(uintptr_t handle, uint32_t milliseconds);
// Closes a handle of ProcessHandles; the program itself runs on.
void CloseProcessHandle(uintptr_t handle);

// Removes and dispatches every pending message of the window; true when a close, destroy or
// quit message was among them. Nothing to do on POSIX, whose windows pump themselves.
bool PumpWindowMessages(uintptr_t window);

}
