// Events and mutexes on POSIX: heap objects built on a pthread mutex and a condition variable
// that runs on the monotonic clock, so timed waits do not jump with the wall clock. Mutexes
// keep their owner and depth themselves, which gives Win32's rules: recursive, released only
// by the owning thread, waited for with a time-out.
#include "platform/os_sync.h"

#include <cerrno>
#include <memory>
#include <new>
#include <pthread.h>
#include <time.h>

namespace platform::os {

namespace {

constexpr uint32_t FOREVER = 0xFFFFFFFF;

// The lock and the wake-up shared by both kinds of objects.
struct Monitor {
    pthread_mutex_t lock;
    pthread_cond_t changed;
};

struct Event {
    Monitor monitor;
    bool signalled;
};

struct Mutex {
    Monitor monitor;
    pthread_t owner; // meaningful while depth > 0
    uint32_t depth; // 0: free
};

// Holds a monitor's lock for one scope.
class Hold {
public:
    explicit Hold(Monitor& monitor)
        : m_monitor(monitor)
    {
        pthread_mutex_lock(&m_monitor.lock);
    }
    ~Hold() { pthread_mutex_unlock(&m_monitor.lock); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    Monitor& m_monitor;
};

bool InitMonitor(Monitor& monitor)
{
    pthread_condattr_t attributes;
    if (pthread_condattr_init(&attributes) != 0)
        return false;
    bool made = pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC) == 0
        && pthread_cond_init(&monitor.changed, &attributes) == 0;
    pthread_condattr_destroy(&attributes);
    if (made && pthread_mutex_init(&monitor.lock, nullptr) == 0)
        return true;
    if (made)
        pthread_cond_destroy(&monitor.changed);
    return false;
}

void DestroyMonitor(Monitor& monitor)
{
    pthread_cond_destroy(&monitor.changed);
    pthread_mutex_destroy(&monitor.lock);
}

timespec Deadline(uint32_t milliseconds)
{
    timespec at {};
    clock_gettime(CLOCK_MONOTONIC, &at);
    at.tv_sec += milliseconds / 1000;
    at.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (at.tv_nsec >= 1000000000L) {
        at.tv_sec += 1;
        at.tv_nsec -= 1000000000L;
    }
    return at;
}

// Waits on a monitor whose lock the caller holds until ready() is true or the time is up.
// A condition that became true just as the time ran out still counts as signalled.
template <typename Ready> WaitResult WaitUntil(Monitor& monitor, uint32_t milliseconds, Ready ready)
{
    const timespec deadline = Deadline(milliseconds == FOREVER ? 0 : milliseconds);
    int error = 0;
    while (!ready() && error == 0) {
        error = milliseconds == FOREVER
            ? pthread_cond_wait(&monitor.changed, &monitor.lock)
            : pthread_cond_timedwait(&monitor.changed, &monitor.lock, &deadline);
    }
    if (ready())
        return WaitResult::Signalled;
    return error == ETIMEDOUT ? WaitResult::TimedOut : WaitResult::Failed;
}

// A new object with its monitor made, as a handle; 0 when either fails.
template <typename Object> uintptr_t Make(Object initial)
{
    static_assert(alignof(Object) >= 4, "handles keep bits 0 and 1 clear");
    std::unique_ptr<Object> object(new (std::nothrow) Object(initial));
    if (object == nullptr || !InitMonitor(object->monitor))
        return 0;
    // The handle owns the object until Destroy.
    return reinterpret_cast<uintptr_t>(object.release());
}

// The object behind a handle; null for a value no object of ours can have.
template <typename Object> Object* ObjectOf(uintptr_t handle)
{
    if (handle == 0 || (handle & 3) != 0)
        return nullptr;
    return reinterpret_cast<Object*>(handle);
}

template <typename Object> bool Destroy(uintptr_t handle)
{
    std::unique_ptr<Object> object(ObjectOf<Object>(handle));
    if (object == nullptr)
        return false;
    DestroyMonitor(object->monitor);
    return true;
}

template <typename Object, typename Change> bool Update(uintptr_t handle, Change change)
{
    auto* object = ObjectOf<Object>(handle);
    if (object == nullptr)
        return false;
    Hold hold(object->monitor);
    return change(*object);
}

}

uintptr_t EventCreate(bool signalled)
{
    return Make(Event { {}, signalled });
}

bool EventSet(uintptr_t event)
{
    return Update<Event>(event, [](Event& object) {
        object.signalled = true;
        pthread_cond_broadcast(&object.monitor.changed);
        return true;
    });
}

bool EventReset(uintptr_t event)
{
    return Update<Event>(event, [](Event& object) {
        object.signalled = false;
        return true;
    });
}

WaitResult EventWait(uintptr_t event, uint32_t milliseconds)
{
    auto* object = ObjectOf<Event>(event);
    if (object == nullptr)
        return WaitResult::Failed;
    Hold hold(object->monitor);
    return WaitUntil(object->monitor, milliseconds, [object] { return object->signalled; });
}

bool EventClose(uintptr_t event)
{
    return Destroy<Event>(event);
}

uintptr_t MutexCreate(bool initialOwner)
{
    return Make(Mutex { {}, pthread_self(), initialOwner ? 1u : 0u });
}

WaitResult MutexLock(uintptr_t mutex, uint32_t milliseconds)
{
    auto* object = ObjectOf<Mutex>(mutex);
    if (object == nullptr)
        return WaitResult::Failed;
    const pthread_t self = pthread_self();
    Hold hold(object->monitor);
    if (object->depth > 0 && pthread_equal(object->owner, self)) {
        if (object->depth == UINT32_MAX)
            return WaitResult::Failed;
        ++object->depth;
        return WaitResult::Signalled;
    }
    auto result = WaitUntil(object->monitor, milliseconds, [object] { return object->depth == 0; });
    if (result == WaitResult::Signalled) {
        object->owner = self;
        object->depth = 1;
    }
    return result;
}

bool MutexUnlock(uintptr_t mutex)
{
    return Update<Mutex>(mutex, [](Mutex& object) {
        if (object.depth == 0 || !pthread_equal(object.owner, pthread_self()))
            return false;
        if (--object.depth == 0)
            pthread_cond_broadcast(&object.monitor.changed);
        return true;
    });
}

bool MutexClose(uintptr_t mutex)
{
    return Destroy<Mutex>(mutex);
}

}
