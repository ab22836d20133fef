// Reading one string of a file's version resource for the resource's first language. The
// value is copied only when it fits with its terminator, and the output is always terminated,
// whatever length the system reports for the value.
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;

// Releases the backend's version resource on every path out of GetFileVersionString.
class LoadedVersionInfo {
public:
    ~LoadedVersionInfo()
    {
        if (m_info)
            Sys().freeVersionInfo(m_info);
    }
    installlib::os::VersionInfo** Out() { return &m_info; }
    installlib::os::VersionInfo* Get() const { return m_info; }

private:
    installlib::os::VersionInfo* m_info = nullptr;
};

// The sub-block of valueName in the string table of the first translation; false when the
// translation is missing or shorter than its 4 bytes, or the name does not fit.
bool StringSubBlock(
    installlib::os::VersionInfo* info, const char* valueName, char* subBlock, size_t capacity)
{
    const void* value = nullptr;
    uint32_t length = 0;
    if (!Sys().queryVersionValue(info, "\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(value);
    const uint32_t language = SYS_LoadU16(bytes);
    const uint32_t codePage = SYS_LoadU16(bytes + 2);
    const int needed = SYS_Format(
        subBlock, capacity, "\\StringFileInfo\\%04x%04x\\%s", language, codePage, valueName);
    return needed >= 0 && static_cast<size_t>(needed) < capacity;
}

// The characters of a text value before its terminator, never more than the reported length.
uint32_t TextLength(const char* text, uint32_t reported)
{
    uint32_t length = 0;
    while (length < reported && text[length] != 0)
        ++length;
    return length;
}

}

SYS_Status GetFileVersionString(
    const char* path, const char* valueName, char* output, uint32_t* size)
{
    if (!path || !valueName || !size)
        return SYS_BAD_ARGUMENT;
    LoadedVersionInfo info;
    if (auto status = Sys().loadVersionInfo(path, info.Out()); status != SYS_OK)
        return status;
    char subBlock[320];
    const void* value = nullptr;
    uint32_t reported = 0;
    if (!StringSubBlock(info.Get(), valueName, subBlock, sizeof(subBlock))
        || !Sys().queryVersionValue(info.Get(), subBlock, &value, &reported) || !value)
        return SYS_FAILED;
    const auto* text = static_cast<const char*>(value);
    const uint32_t length = TextLength(text, reported);
    const uint32_t capacity = *size;
    *size = length + 1;
    if (!output || length >= capacity)
        return SYS_SIZE_ONLY;
    SYS_Copy(output, text, length);
    output[length] = 0;
    return SYS_OK;
}
