// The tick count every module times its work with, from the backend of os_clock.h.
#include "platform/os_clock.h"
#include "platform/platform.h"

uint32_t SYS_TickCount()
{
    return platform::os::TickCount();
}
