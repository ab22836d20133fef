// Events and mutexes on Win32: kernel objects made and waited on with the calls the system is
// defined with. Every event is manual-reset; a wait that finds its mutex abandoned by a thread
// that ended while owning it counts as a failure.
#include "platform/os_sync.h"

#include <windows.h>

namespace platform::os {

namespace {

HANDLE ToHandle(uintptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

uintptr_t FromHandle(HANDLE handle)
{
    return reinterpret_cast<uintptr_t>(handle);
}

WaitResult Wait(uintptr_t handle, uint32_t milliseconds)
{
    switch (WaitForSingleObject(ToHandle(handle), milliseconds)) {
    case WAIT_OBJECT_0:
        return WaitResult::Signalled;
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    default:
        return WaitResult::Failed;
    }
}

}

uintptr_t EventCreate(bool signalled)
{
    return FromHandle(CreateEventA(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr));
}

bool EventSet(uintptr_t event)
{
    return SetEvent(ToHandle(event)) != 0;
}

bool EventReset(uintptr_t event)
{
    return ResetEvent(ToHandle(event)) != 0;
}

WaitResult EventWait(uintptr_t event, uint32_t milliseconds)
{
    return Wait(event, milliseconds);
}

bool EventClose(uintptr_t event)
{
    return CloseHandle(ToHandle(event)) != 0;
}

uintptr_t MutexCreate(bool initialOwner)
{
    return FromHandle(CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, nullptr));
}

WaitResult MutexLock(uintptr_t mutex, uint32_t milliseconds)
{
    return Wait(mutex, milliseconds);
}

bool MutexUnlock(uintptr_t mutex)
{
    return ReleaseMutex(ToHandle(mutex)) != 0;
}

bool MutexClose(uintptr_t mutex)
{
    return CloseHandle(ToHandle(mutex)) != 0;
}

}
