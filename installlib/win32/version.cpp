// Version resources on Win32: GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA
// over a block of the size the system asks for.
#include "installlib/os_version.h"

#include <windows.h>

namespace installlib::os {

// The block GetFileVersionInfoA fills; VerQueryValueA answers pointers into it.
struct VersionInfo {
    uint8_t bytes[1];
};

SYS_Status LoadVersionInfo(const char* path, VersionInfo** info)
{
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &unused);
    if (size == 0)
        return SYS_FILE_NOT_FOUND;
    void* block = SYS_Alloc(size, "Version info", SYS_TAG_INSTALLLIB);
    if (!block)
        return SYS_OS_ERROR;
    if (!GetFileVersionInfoA(path, 0, size, block)) {
        SYS_Free(block);
        return SYS_OS_ERROR;
    }
    *info = static_cast<VersionInfo*>(block);
    return SYS_OK;
}

bool QueryVersionValue(
    VersionInfo* info, const char* subBlock, const void** value, uint32_t* length)
{
    void* found = nullptr;
    UINT foundLength = 0;
    if (!VerQueryValueA(info, subBlock, &found, &foundLength))
        return false;
    *value = found;
    *length = foundLength;
    return true;
}

void FreeVersionInfo(VersionInfo* info)
{
    SYS_Free(info);
}

}
