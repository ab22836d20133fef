// Reserved address ranges: reserve a large range once and commit it page by page as a table
// grows, so the table never moves. Sizes and addresses are rounded to whole pages here, once
// for both systems, with every sum checked against overflow.
#include "platform/os_range.h"
#include "platform/platform.h"

#include <cstdint>

namespace {

// value rounded up to a whole number of pages; false when that does not fit.
bool RoundUp(uintptr_t value, uintptr_t* rounded)
{
    const uintptr_t page = platform::os::PageSize();
    if (value > UINTPTR_MAX - (page - 1))
        return false;
    *rounded = (value + page - 1) & ~(page - 1);
    return true;
}

}

size_t SYS_RangePageSize()
{
    return platform::os::PageSize();
}

void* SYS_RangeReserve(size_t size)
{
    uintptr_t rounded = 0;
    if (size == 0 || !RoundUp(size, &rounded))
        return nullptr;
    return platform::os::RangeReserve(rounded);
}

SYS_Status SYS_RangeCommit(void* at, size_t size)
{
    if (at == nullptr)
        return SYS_BAD_ARGUMENT;
    if (size == 0)
        return SYS_OK;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(at);
    uintptr_t end = 0;
    if (size > UINTPTR_MAX - begin || !RoundUp(begin + size, &end))
        return SYS_BAD_ARGUMENT;
    const uintptr_t first = begin & ~(uintptr_t { platform::os::PageSize() } - 1);
    return platform::os::RangeCommit(reinterpret_cast<void*>(first), end - first) ? SYS_OK
                                                                                  : SYS_FAILED;
}

void SYS_RangeRelease(void* base, size_t size)
{
    uintptr_t rounded = 0;
    if (base != nullptr && RoundUp(size, &rounded))
        platform::os::RangeRelease(base, rounded);
}
