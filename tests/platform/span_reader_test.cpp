// The bounds-checked span reader: a read that fits exactly succeeds, one byte short or a count
// that would wrap a sum fails without moving, and the typed fields are little-endian. The span
// is an exact-size vector, so AddressSanitizer sees any read past it.
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

const std::vector<uint8_t> BYTES
    = { 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xFF, 0xFE, 0xFD, 0xFC };

TEST(SpanReader, TakeFailsWithoutMovingUnlessEveryByteIsThere)
{
    struct Case {
        size_t start;
        uint64_t count;
        bool fits;
    };
    for (const Case& c :
        { Case { 0, 13, true }, { 0, 14, false }, { 5, 8, true }, { 5, 9, false }, { 13, 0, true },
            { 13, 1, false }, { 1, UINT64_MAX, false }, { 12, SIZE_MAX, false } }) {
        SYS_SpanReader reader(BYTES.data(), BYTES.size());
        ASSERT_TRUE(reader.Seek(c.start));
        const uint8_t* bytes = reader.Take(c.count);
        EXPECT_EQ(c.fits, bytes != nullptr) << c.start << " + " << c.count;
        EXPECT_EQ(c.fits ? BYTES.data() + c.start : nullptr, bytes);
        EXPECT_EQ(c.fits ? c.start + c.count : c.start, reader.Position());
        EXPECT_EQ(BYTES.size() - reader.Position(), reader.Remaining());
    }
}

TEST(SpanReader, FieldsAreLittleEndianAndAShortFieldLeavesTheValue)
{
    SYS_SpanReader reader(BYTES.data(), BYTES.size());
    uint8_t u8 = 0;
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    uint64_t u64 = 0;
    ASSERT_TRUE(reader.U8(u8) && reader.U16(u16) && reader.U32(u32));
    EXPECT_EQ(0x01u, u8);
    EXPECT_EQ(0x0302u, u16);
    EXPECT_EQ(0x07060504u, u32);
    EXPECT_FALSE(reader.U64(u64)); // six bytes left
    EXPECT_EQ(0u, u64);
    EXPECT_EQ(7u, reader.Position());
    int32_t i32 = 0;
    ASSERT_TRUE(reader.Skip(2) && reader.I32(i32));
    EXPECT_EQ(-0x03020101, i32);
    EXPECT_FALSE(reader.U32(u32));
    EXPECT_EQ(0x07060504u, u32);
    ASSERT_TRUE(reader.Seek(1) && reader.U64(u64));
    EXPECT_EQ(0x0908070605040302u, u64);
}

TEST(SpanReader, SeekReachesTheEndButNotPastIt)
{
    SYS_SpanReader reader(BYTES.data(), BYTES.size());
    ASSERT_TRUE(reader.Seek(4));
    EXPECT_FALSE(reader.Seek(BYTES.size() + 1));
    EXPECT_FALSE(reader.Seek(UINT64_MAX));
    EXPECT_EQ(4u, reader.Position());
    EXPECT_TRUE(reader.Seek(BYTES.size()));
    EXPECT_EQ(0u, reader.Remaining());
    EXPECT_FALSE(reader.Skip(1));
    EXPECT_TRUE(reader.Skip(0));
    SYS_SpanReader empty(nullptr, 0);
    uint8_t byte = 0;
    EXPECT_FALSE(empty.U8(byte));
    EXPECT_TRUE(empty.Skip(0));
}

}
