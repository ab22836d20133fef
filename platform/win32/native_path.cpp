// File names as the Win32 system wants them: the system's own paths, passed on unchanged.
#include "platform/bounded_text.h"
#include "platform/platform.h"

size_t SYS_SystemPath(char* destination, size_t capacity, const char* name)
{
    return platform::detail::CopyText(
        destination, capacity, name, platform::detail::TextLength(name));
}
