// The system side of reserved address ranges; the Win32 and POSIX backends both define these.
// sys_range.cpp rounds every size and address to whole pages before calling here.
#pragma once

#include <cstddef>

namespace platform::os {

// The size of one page: the unit of commits.
[[nodiscard]] size_t PageSize();
// Reserves size bytes (whole pages) of address space that cannot be touched yet and has no
// memory behind it. Null when the system refuses; nothing is reserved then.
[[nodiscard]] void* RangeReserve(size_t size);
// Makes the whole pages [at, at + size) of a reserved range readable and writable; pages not
// committed before read as zero. False when the system refuses (memory exhausted, or pages
// that were not reserved); pages committed before keep their contents either way.
[[nodiscard]] bool RangeCommit(void* at, size_t size);
// Gives back the whole range that RangeReserve returned as base, with the size reserved.
// A refusal is not reported: the range then stays reserved, which costs address space only.
void RangeRelease(void* base, size_t size);

}
