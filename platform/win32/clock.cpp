// The tick count on Win32: GetTickCount, which already wraps at 32 bits.
#include "platform/os_clock.h"

#include <windows.h>

namespace platform::os {

uint32_t TickCount()
{
    return GetTickCount();
}

}
