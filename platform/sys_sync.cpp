// Events and mutexes: the rules every system shares, above the backends of os_sync.h. The
// no-object handle stands in for the lock of stores made without one, so each operation on it
// succeeds without touching the system; the handle 0 fails everywhere.
#include "platform/os_sync.h"
#include "platform/platform.h"

namespace {

using platform::os::WaitResult;

SYS_Status FromWait(WaitResult result)
{
    switch (result) {
    case WaitResult::Signalled:
        return SYS_OK;
    case WaitResult::TimedOut:
        return SYS_TIMEOUT;
    case WaitResult::Failed:
        break;
    }
    return SYS_FAILED;
}

SYS_Status FromSuccess(bool succeeded)
{
    return succeeded ? SYS_OK : SYS_FAILED;
}

// Handles that never reach the system: the no-object handle succeeds, 0 fails; any other
// handle goes to the backend through call.
template <typename Call> SYS_Status OnObject(SYS_Handle handle, Call call)
{
    if (handle == SYS_NO_OBJECT)
        return SYS_OK;
    if (handle == 0)
        return SYS_FAILED;
    return call();
}

}

using namespace platform;

SYS_Handle SYS_EventCreate(int signalled)
{
    return os::EventCreate(signalled != 0);
}

SYS_Status SYS_EventSet(SYS_Handle event, int flag)
{
    return OnObject(event,
        [&] { return FromSuccess(flag != 0 ? os::EventSet(event) : os::EventReset(event)); });
}

SYS_Status SYS_EventWait(SYS_Handle event, uint32_t milliseconds)
{
    return OnObject(event, [&] { return FromWait(os::EventWait(event, milliseconds)); });
}

SYS_Status SYS_EventClose(SYS_Handle event)
{
    return OnObject(event, [&] { return FromSuccess(os::EventClose(event)); });
}

SYS_Handle SYS_MutexCreate(int initialOwner)
{
    return os::MutexCreate(initialOwner != 0);
}

SYS_Status SYS_MutexLock(SYS_Handle mutex, uint32_t milliseconds)
{
    return OnObject(mutex, [&] { return FromWait(os::MutexLock(mutex, milliseconds)); });
}

SYS_Status SYS_MutexUnlock(SYS_Handle mutex)
{
    return OnObject(mutex, [&] { return FromSuccess(os::MutexUnlock(mutex)); });
}

SYS_Status SYS_MutexClose(SYS_Handle mutex)
{
    return OnObject(mutex, [&] { return FromSuccess(os::MutexClose(mutex)); });
}
