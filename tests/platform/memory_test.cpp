// Memory blocks: fills of each unit size (exact byte counts, unaligned destinations), copies
// over overlapping ranges in the direction each routine promises, and owned arrays.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Fill(uint32_t unitSize, size_t count, uint32_t value, size_t capacity)
{
    test::GuardedBuffer<unsigned char> buffer(capacity, 0xEE);
    SYS_Fill(buffer.Data(), unitSize, count, value);
    EXPECT_TRUE(buffer.GuardsIntact());
    return Bytes(buffer.Data(), buffer.Data() + capacity);
}

TEST(Memory, FillWritesExactlyCountUnits)
{
    EXPECT_EQ(Fill(1, 3, 0x1234, 4), (Bytes { 0x34, 0x34, 0x34, 0xEE }));
    EXPECT_EQ(Fill(2, 5, 0xAABBCCDD, 11),
        (Bytes { 0xDD, 0xCC, 0xDD, 0xCC, 0xDD, 0xCC, 0xDD, 0xCC, 0xDD, 0xCC, 0xEE }));
    EXPECT_EQ(Fill(3, 5, 0x11223344, 4), Bytes(4, 0xEE));
    SYS_Fill(nullptr, 4, 8, 0);
    // A long run from an odd address keeps its pattern throughout.
    Bytes block(4 * 1000 + 2, 0);
    SYS_Fill(block.data() + 1, 4, 1000, 0x04030201);
    for (size_t i = 0; i < 4000; ++i)
        ASSERT_EQ(block[1 + i], (i % 4) + 1) << i;
    EXPECT_EQ(block[4001], 0);
}

TEST(Memory, CopiesOverOverlappingRanges)
{
    Bytes data(10);
    std::iota(data.begin(), data.end(), 0);
    SYS_Copy(data.data(), data.data() + 2, 8); // destination below the source
    EXPECT_EQ(data, (Bytes { 2, 3, 4, 5, 6, 7, 8, 9, 8, 9 }));
    std::iota(data.begin(), data.end(), 0);
    SYS_CopyBackward(data.data() + 2, data.data(), 8); // destination above the source
    EXPECT_EQ(data, (Bytes { 0, 1, 0, 1, 2, 3, 4, 5, 6, 7 }));
    SYS_Copy(nullptr, data.data(), 1);
    SYS_CopyBackward(data.data(), nullptr, 1);
    EXPECT_EQ(data[0], 0);
}

// The owner of a block is one pointer wide, so records can hold it at no cost.
static_assert(sizeof(SYS_Block<uint8_t[]>) == sizeof(void*));
static_assert(sizeof(SYS_Block<uint32_t>) == sizeof(void*));

TEST(MemoryBlock, ArrayOfZeroElementsIsStillABlock)
{
    EXPECT_NE(SYS_AllocArray<uint32_t>(0, "test", 0), nullptr);
}

TEST(MemoryBlock, ArrayWhoseByteSizeWrapsIsRefused)
{
    // count × 4 wraps to 4 bytes: an unchecked multiplication would hand out a tiny block.
    const size_t count = SIZE_MAX / sizeof(uint32_t) + 2;
    EXPECT_EQ(SYS_AllocArray<uint32_t>(count, "test", 0), nullptr);
}
}
