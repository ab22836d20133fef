// Reserved address ranges on Win32: VirtualAlloc reserves without access and commits
// read-write pages, VirtualFree gives the whole reservation back.
#include "platform/os_range.h"

#include <windows.h>

namespace platform::os {

size_t PageSize()
{
    SYSTEM_INFO info {};
    GetSystemInfo(&info);
    return info.dwPageSize;
}

void* RangeReserve(size_t size)
{
    return VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
}

bool RangeCommit(void* at, size_t size)
{
    return VirtualAlloc(at, size, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void RangeRelease(void* base, size_t)
{
    VirtualFree(base, 0, MEM_RELEASE);
}

}
