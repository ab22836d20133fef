// The system side of the tick count; the Win32 and POSIX backends both define it.
#pragma once

#include <cstdint>

namespace platform::os {

// Milliseconds of a clock that only moves forward (since the system started), cut to 32 bits
// so that it wraps after about 49.7 days. It cannot fail.
[[nodiscard]] uint32_t TickCount();

}
