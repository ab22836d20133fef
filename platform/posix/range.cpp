// Reserved address ranges on POSIX: an anonymous mapping without access or swap reservation,
// opened page by page with mprotect. Fresh anonymous pages read as zero.
#include "platform/os_range.h"

#include <sys/mman.h>
#include <unistd.h>

namespace platform::os {

size_t PageSize()
{
    static const size_t pageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return pageSize;
}

void* RangeReserve(size_t size)
{
    void* base = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return base == MAP_FAILED ? nullptr : base;
}

bool RangeCommit(void* at, size_t size)
{
    return mprotect(at, size, PROT_READ | PROT_WRITE) == 0;
}

void RangeRelease(void* base, size_t size)
{
    munmap(base, size);
}

}
