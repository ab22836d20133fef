// Registry keys and values: the rules every system shares, above the backends of
// os_registry.h. Missing paths and names are refused here without a system call; a null value
// name in a query means the key's default value, as it does for the system's own calls.
#include "platform/os_registry.h"
#include "platform/platform.h"

#include <cstring>

namespace {

const char* NameOrDefault(const char* name)
{
    return name != nullptr ? name : "";
}

}

SYS_RegKey SYS_RegCreateKey(const char* path)
{
    return path != nullptr ? platform::os::KeyCreate(path) : 0;
}

SYS_RegKey SYS_RegOpenKey(const char* path)
{
    return path != nullptr ? platform::os::KeyOpen(path) : 0;
}

uint32_t SYS_RegCloseKey(SYS_RegKey key)
{
    return platform::os::KeyClose(key);
}

SYS_Status SYS_RegQuerySize(SYS_RegKey key, const char* name, uint32_t* size)
{
    if (size == nullptr)
        return SYS_BAD_ARGUMENT;
    uint32_t stored = 0;
    if (!platform::os::ValueQuery(key, NameOrDefault(name), nullptr, &stored))
        return SYS_OS_ERROR;
    *size = stored;
    return SYS_OK;
}

SYS_Status SYS_RegQueryValue(
    SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead)
{
    if (buffer == nullptr)
        return SYS_BAD_ARGUMENT;
    uint32_t stored = bufferSize;
    if (!platform::os::ValueQuery(key, NameOrDefault(name), buffer, &stored))
        return SYS_OS_ERROR;
    if (bytesRead != nullptr)
        *bytesRead = stored;
    return SYS_OK;
}

SYS_Status SYS_RegSetValue(
    SYS_RegKey key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    if (name == nullptr || (data == nullptr && size != 0))
        return SYS_BAD_ARGUMENT;
    return platform::os::ValueSet(key, name, type, data, size) ? SYS_OK : SYS_OS_ERROR;
}

SYS_Status SYS_RegSetString(SYS_RegKey key, const char* name, const char* text)
{
    if (text == nullptr)
        text = "";
    size_t length = std::strlen(text);
    if (length >= UINT32_MAX)
        return SYS_BAD_ARGUMENT;
    return SYS_RegSetValue(key, name, SYS_REG_SZ, text, static_cast<uint32_t>(length + 1));
}

SYS_Status SYS_RegSetDword(SYS_RegKey key, const char* name, uint32_t value)
{
    // A DWORD value is stored little-endian on every system, so the hive file reads the same
    // wherever it was written.
    uint8_t bytes[4];
    SYS_StoreU32(bytes, value);
    return SYS_RegSetValue(key, name, SYS_REG_DWORD, bytes, sizeof bytes);
}

SYS_Status SYS_RegBeginBatch(SYS_RegKey key)
{
    return platform::os::BatchBegin(key) ? SYS_OK : SYS_OS_ERROR;
}

SYS_Status SYS_RegCommitBatch(SYS_RegKey key)
{
    return platform::os::BatchCommit(key) ? SYS_OK : SYS_OS_ERROR;
}
