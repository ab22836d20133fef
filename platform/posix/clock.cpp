// The tick count on POSIX: the monotonic clock in milliseconds, cut to 32 bits like Win32's.
#include "platform/os_clock.h"

#include <time.h>

namespace platform::os {

uint32_t TickCount()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds
        = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(milliseconds);
}

}
