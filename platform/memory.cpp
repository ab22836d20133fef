// Memory blocks: allocation and the fill, zero and copy routines the other modules use for
// bitmaps, buffers and records. The bulk work is left to the C library's tuned routines.
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>

namespace {

// Repeats the first unitSize bytes of destination until byteCount bytes are filled, doubling
// the filled run each step so that the work is a handful of memcpy calls.
void RepeatPattern(unsigned char* destination, size_t unitSize, size_t byteCount)
{
    size_t filled = unitSize;
    while (filled < byteCount) {
        size_t step = filled < byteCount - filled ? filled : byteCount - filled;
        std::memcpy(destination + filled, destination, step);
        filled += step;
    }
}

}

void* SYS_Alloc(size_t size, const char* label, uint32_t tag)
{
    // Label and tag only name the block's use; they do not change the allocation. A request
    // for 0 bytes still gets a block of its own, so null always means exhaustion.
    (void)label;
    (void)tag;
    return std::malloc(size != 0 ? size : 1);
}

void SYS_Free(void* block)
{
    std::free(block);
}

void SYS_Fill(void* destination, uint32_t unitSize, size_t count, uint32_t value)
{
    if (!destination || count == 0)
        return;
    if (unitSize != 1 && unitSize != 2 && unitSize != 4)
        return;
    auto* bytes = static_cast<unsigned char*>(destination);
    if (unitSize == 1) {
        std::memset(bytes, static_cast<int>(value & 0xFF), count);
        return;
    }
    if (count > SIZE_MAX / unitSize)
        return;
    // The destination need not be aligned, so the first unit is stored byte-wise.
    uint16_t low = static_cast<uint16_t>(value);
    if (unitSize == 2)
        std::memcpy(bytes, &low, 2);
    else
        std::memcpy(bytes, &value, 4);
    RepeatPattern(bytes, unitSize, count * unitSize);
}

void SYS_Zero(void* destination, size_t byteCount)
{
    if (destination)
        std::memset(destination, 0, byteCount);
}

// Both copies move overlapping ranges correctly in either direction: memmove covers the forward
// copy's case (destination below the source) and the backward copy's (destination above it).
void SYS_Copy(void* destination, const void* source, size_t byteCount)
{
    if (destination && source)
        std::memmove(destination, source, byteCount);
}

void SYS_CopyBackward(void* destination, const void* source, size_t byteCount)
{
    SYS_Copy(destination, source, byteCount);
}
