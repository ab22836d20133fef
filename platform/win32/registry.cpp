// The registry on Win32: keys below HKEY_LOCAL_MACHINE through the 8-bit advapi32 calls.
// Result codes are passed on as they are; only success and failure cross the seam.
#include "platform/os_registry.h"

#include <windows.h>

namespace platform::os {

namespace {

HKEY AsKey(uintptr_t key)
{
    return reinterpret_cast<HKEY>(key);
}

uintptr_t FromKey(LONG result, HKEY key)
{
    return result == ERROR_SUCCESS ? reinterpret_cast<uintptr_t>(key) : 0;
}

}

uintptr_t KeyCreate(const char* path)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key);
    return FromKey(result, key);
}

uintptr_t KeyOpen(const char* path)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key);
    return FromKey(result, key);
}

uint32_t KeyClose(uintptr_t key)
{
    return static_cast<uint32_t>(RegCloseKey(AsKey(key)));
}

bool ValueQuery(uintptr_t key, const char* name, void* buffer, uint32_t* size)
{
    // ERROR_MORE_DATA (the buffer is too small) is a failure like any other.
    DWORD bytes = *size;
    LONG result
        = RegQueryValueExA(AsKey(key), name, nullptr, nullptr, static_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS)
        return false;
    *size = bytes;
    return true;
}

bool ValueSet(uintptr_t key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    LONG result = RegSetValueExA(AsKey(key), name, 0, type, static_cast<const BYTE*>(data), size);
    return result == ERROR_SUCCESS;
}

// The system writes each value as it comes; a batch only has to tell an open key from none.
bool BatchBegin(uintptr_t key)
{
    return key != 0;
}

bool BatchCommit(uintptr_t key)
{
    return key != 0;
}

}
