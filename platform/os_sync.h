// The system side of events and mutexes; the Win32 and POSIX backends both define these.
// Handles are non-zero, pointer-sized and keep bits 0 and 1 clear. The rules every system
// shares (the handle 0, the no-object handle) are applied in sys_sync.cpp before any call here.
#pragma once

#include <cstdint>

namespace platform::os {

enum class WaitResult { Signalled, TimedOut, Failed };

// Manual-reset events: once set, every wait succeeds until the event is reset.
// Returns 0 when the system cannot make one.
[[nodiscard]] uintptr_t EventCreate(bool signalled);
// Each returns false when the system call fails; the event's state is then unchanged.
[[nodiscard]] bool EventSet(uintptr_t event);
[[nodiscard]] bool EventReset(uintptr_t event);
// Waits until the event is set or milliseconds have passed (0xFFFFFFFF: no limit, 0: a test
// without blocking). Failed when the wait itself fails.
[[nodiscard]] WaitResult EventWait(uintptr_t event, uint32_t milliseconds);
// False when the handle cannot be closed; the handle is unusable afterwards either way.
[[nodiscard]] bool EventClose(uintptr_t event);

// Recursive mutexes owned by a thread. Returns 0 when the system cannot make one.
[[nodiscard]] uintptr_t MutexCreate(bool initialOwner);
// Signalled when the calling thread now owns the mutex (once more, if it already did);
// TimedOut when another thread held it for the whole time; Failed otherwise. On Win32 that
// includes a mutex whose owner ended without releasing it; POSIX cannot tell that a thread
// ended, so there the mutex stays held and waits time out.
[[nodiscard]] WaitResult MutexLock(uintptr_t mutex, uint32_t milliseconds);
// Gives back one level of ownership; false when the calling thread does not own the mutex.
[[nodiscard]] bool MutexUnlock(uintptr_t mutex);
[[nodiscard]] bool MutexClose(uintptr_t mutex);

}
