// File names as the POSIX system wants them: Windows separators translated, wide names in UTF-8.
#include "platform/posix/native_path.h"

#include "platform/bounded_text.h"
#include "platform/os_codepage.h"
#include "platform/platform.h"

size_t SYS_SystemPath(char* destination, size_t capacity, const char* name)
{
    return platform::detail::CopyMapped(destination, capacity, name,
        platform::detail::TextLength(name), [](char c) { return c == '\\' ? '/' : c; });
}

namespace platform::posix {

std::string NativePath(const char* name)
{
    std::string path(name);
    SYS_SystemPath(path.data(), path.size() + 1, path.c_str());
    return path;
}

std::optional<std::string> NativePath(const char16_t* name)
{
    size_t units = std::char_traits<char16_t>::length(name) + 1;
    uint32_t needed = 0;
    if (!os::WideToMultiByte(os::CODE_PAGE_UTF8, name, units, nullptr, 0, &needed))
        return std::nullopt;
    std::string bytes(needed, '\0');
    if (!os::WideToMultiByte(os::CODE_PAGE_UTF8, name, units, bytes.data(), needed, &needed))
        return std::nullopt;
    return NativePath(bytes.c_str());
}

}
