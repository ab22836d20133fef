// Reserved address ranges: reserve once, commit in steps (page granular), write, release.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t RESERVED = 64u << 20;

bool AllZero(const unsigned char* bytes, size_t count)
{
    return std::all_of(bytes, bytes + count, [](unsigned char byte) { return byte == 0; });
}

TEST(RangeCommit, GrowsInStepsAndKeepsWhatWasWritten)
{
    const size_t page = SYS_RangePageSize();
    ASSERT_GT(page, 0u);
    ASSERT_EQ(page & (page - 1), 0u);
    auto* base = static_cast<unsigned char*>(SYS_RangeReserve(RESERVED));
    ASSERT_NE(base, nullptr);

    ASSERT_EQ(SYS_RangeCommit(base, page), SYS_OK);
    EXPECT_TRUE(AllZero(base, page));
    base[0] = 0xA1;
    base[page - 1] = 0xA2;

    // Unaligned start and size: the pages they touch are committed whole.
    ASSERT_EQ(SYS_RangeCommit(base + page + 10, page), SYS_OK);
    EXPECT_TRUE(AllZero(base + page, 2 * page));
    base[page] = 0xB1;
    base[3 * page - 1] = 0xB2;

    ASSERT_EQ(SYS_RangeCommit(base, 3 * page), SYS_OK); // again, over committed pages
    const unsigned char kept[] = { base[0], base[page - 1], base[page], base[3 * page - 1] };
    EXPECT_EQ(std::vector<unsigned char>(kept, kept + 4),
        (std::vector<unsigned char> { 0xA1, 0xA2, 0xB1, 0xB2 }));

    ASSERT_EQ(SYS_RangeCommit(base + RESERVED - 1, 1), SYS_OK); // the last page
    base[RESERVED - 1] = 0xC1;
    EXPECT_EQ(base[RESERVED - 1], 0xC1);
    SYS_RangeRelease(base, RESERVED);
}

TEST(RangeCommit, BadArgumentsAreRefused)
{
    EXPECT_EQ(SYS_RangeReserve(0), nullptr);
    EXPECT_EQ(SYS_RangeReserve(SIZE_MAX), nullptr);
    EXPECT_EQ(SYS_RangeCommit(nullptr, 16), SYS_BAD_ARGUMENT);
    void* base = SYS_RangeReserve(RESERVED);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(SYS_RangeCommit(base, 0), SYS_OK);
    EXPECT_EQ(SYS_RangeCommit(static_cast<char*>(base) + 1, SIZE_MAX), SYS_BAD_ARGUMENT);
    SYS_RangeRelease(base, RESERVED);
    SYS_RangeRelease(nullptr, RESERVED);
}

}
