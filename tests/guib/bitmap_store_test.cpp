// Bitmap records in a record store: the bytes written, round trips, and records from files
// whose sizes or chunks cannot be trusted.
#include "tests/guib/bitmap_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

namespace {

using test::Bytes;
using test::Cat;
using test::Chunk;
using test::Group;
using test::StoreOf;
using test::U32s;

TEST(BitmapStore, WritesTheRecordAndLoadsItBack)
{
    test::Held<c_GUIB_Bitmap> bitmap(new c_GUIB_Bitmap(3, 2));
    test::Paint(*bitmap, [](int32_t x, int32_t y) { return 0x80000000u + uint32_t(y * 16 + x); });
    test::Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, bitmap->SaveToStore(store.get(), 42));
    const Bytes expected = test::BitmapGroup(42, 3, 2,
        { 0x80000000, 0x80000001, 0x80000002, 0x80000010, 0x80000011, 0x80000012 });
    EXPECT_EQ(expected, test::BytesOf(*store));

    test::Held<c_GUIB_Bitmap> loaded(new c_GUIB_Bitmap(7, 7));
    ASSERT_EQ(1, loaded->LoadFromStore(store.get(), 42));
    EXPECT_EQ(test::PixelsOf(*bitmap), test::PixelsOf(*loaded));
    int32_t width = 0;
    int32_t height = 0;
    loaded->GetSize(&width, &height);
    EXPECT_EQ(3, width);
    EXPECT_EQ(2, height);
    // The store is back at its top level: the group was left.
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup());
}

struct BadRecord {
    const char* what;
    Bytes bytes;
};

class BitmapStoreRefusal : public ::testing::TestWithParam<BadRecord> { };

TEST_P(BitmapStoreRefusal, FailsToAnEmptyBitmap)
{
    auto store = StoreOf(GetParam().bytes);
    test::Held<c_GUIB_Bitmap> bitmap(new c_GUIB_Bitmap(4, 4));
    EXPECT_EQ(0, bitmap->LoadFromStore(store.get(), 1)) << GetParam().what;
    int32_t width = -1;
    int32_t height = -1;
    bitmap->GetSize(&width, &height);
    EXPECT_EQ(0, width);
    EXPECT_EQ(0, height);
    EXPECT_EQ(nullptr, bitmap->GetPixels());
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup()) << "the group was left";
}

Bytes SizedRecord(uint32_t width, uint32_t height)
{
    return Group(GUIB_GROUP_BITMAP, 1, Cat({ Chunk(1, U32s({ 0, 0, width, height })), Chunk(2, Bytes(64)) }));
}

INSTANTIATE_TEST_SUITE_P(BitmapStore, BitmapStoreRefusal,
    ::testing::Values(
        // 0x8000 × 0x8000 × 4 is 2^32: 0 in 32 bits.
        BadRecord { "0x8000 x 0x8000", SizedRecord(0x8000, 0x8000) },
        BadRecord { "0xFFFFFFFF x 1", SizedRecord(0xFFFFFFFF, 1) },
        BadRecord { "side above 65535", SizedRecord(0x10000, 1) },
        BadRecord { "8-byte size chunk", Group(GUIB_GROUP_BITMAP, 1, Cat({ Chunk(1, U32s({ 2, 2 })), Chunk(2, Bytes(16)) })) },
        BadRecord { "no pixel chunk", Group(GUIB_GROUP_BITMAP, 1, Chunk(1, U32s({ 0, 0, 1, 1 }))) },
        BadRecord { "other id", test::BitmapGroup(2, 1, 1, { 0 }) },
        BadRecord { "damaged store", Cat({ test::RawHeader(GUIB_STORE_MAGIC, 0, 0, 0, 0, 2) }) }));

TEST(BitmapStore, ShortPixelChunkLeavesTheRestCleared)
{
    auto store = StoreOf(test::BitmapGroup(1, 2, 2, { 0xFFFFFFFF, 0xFFFFFFFF }));
    test::Held<c_GUIB_Bitmap> bitmap(new c_GUIB_Bitmap());
    ASSERT_EQ(1, bitmap->LoadFromStore(store.get(), 1));
    EXPECT_EQ((std::vector<uint32_t> { 0xFFFFFFFF, 0xFFFFFFFF, 0, 0 }), test::PixelsOf(*bitmap));
}

TEST(BitmapStore, LongPixelChunkIsCutToTheBitmap)
{
    auto store = StoreOf(test::BitmapGroup(1, 1, 1, { 0x11111111, 0x22222222, 0x33333333 }));
    test::Held<c_GUIB_Bitmap> bitmap(new c_GUIB_Bitmap());
    ASSERT_EQ(1, bitmap->LoadFromStore(store.get(), 1));
    EXPECT_EQ((std::vector<uint32_t> { 0x11111111 }), test::PixelsOf(*bitmap));
}

TEST(BitmapStore, EmptyBitmapRoundTrips)
{
    test::Held<c_GUIB_Bitmap> empty(new c_GUIB_Bitmap());
    test::Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, empty->SaveToStore(store.get(), 3));
    test::Held<c_GUIB_Bitmap> loaded(new c_GUIB_Bitmap(2, 2));
    EXPECT_EQ(1, loaded->LoadFromStore(store.get(), 3));
    EXPECT_EQ(nullptr, loaded->GetPixels());
}

}
