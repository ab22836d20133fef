// Bitmap records in a record store: the bytes written, round trips, and records from files
// whose sizes or chunks cannot be trusted.
#include "tests/guib/bitmap_checks.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

namespace {

using namespace test;

TEST(BitmapStore, WritesTheRecordAndLoadsItBack)
{
    c_GUIB_Bitmap bitmap(3, 2);
    Paint(bitmap, [](int32_t x, int32_t y) { return 0x80000000u + uint32_t(y * 16 + x); });
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, bitmap.SaveToStore(store.get(), 42));
    EXPECT_EQ(BitmapGroup(42, 3, 2,
                  { 0x80000000, 0x80000001, 0x80000002, 0x80000010, 0x80000011, 0x80000012 }),
        BytesOf(*store));
    c_GUIB_Bitmap loaded(7, 7);
    ASSERT_EQ(1, loaded.LoadFromStore(store.get(), 42));
    EXPECT_EQ(std::pair(3, 2), SizeOf(loaded));
    EXPECT_EQ(PixelsOf(bitmap), PixelsOf(loaded));
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup()) << "the group was left";

    // A bitmap without pixels writes a record that loads back without pixels.
    Held<c_GUIB_Store> empty(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, c_GUIB_Bitmap().SaveToStore(empty.get(), 3));
    EXPECT_EQ(1, loaded.LoadFromStore(empty.get(), 3));
    EXPECT_TRUE(HasNoPixels(loaded));
}

Bytes SizedRecord(uint32_t width, uint32_t height)
{
    return Group(GUIB_GROUP_BITMAP, 1,
        Cat({ Chunk(1, U32s({ 0, 0, width, height })), Chunk(2, Bytes(64)) }));
}

// 0x8000 × 0x8000 × 4 is 2^32, 0 in 32 bits: each record fails to a bitmap of 0 × 0, and the
// store is back at its top level.
TEST(BitmapStore, UntrustedRecordsFailToAnEmptyBitmap)
{
    const std::pair<const char*, Bytes> cases[] = {
        { "0x8000 x 0x8000", SizedRecord(0x8000, 0x8000) },
        { "0xFFFFFFFF x 1", SizedRecord(0xFFFFFFFF, 1) },
        { "side above 65535", SizedRecord(0x10000, 1) },
        { "8-byte size chunk",
            Group(GUIB_GROUP_BITMAP, 1, Cat({ Chunk(1, U32s({ 2, 2 })), Chunk(2, Bytes(16)) })) },
        { "no pixel chunk", Group(GUIB_GROUP_BITMAP, 1, Chunk(1, U32s({ 0, 0, 1, 1 }))) },
        { "other id", BitmapGroup(2, 1, 1, { 0 }) },
        { "damaged store", RawHeader(GUIB_STORE_MAGIC, 0, 0, 0, 0, 2) },
    };
    for (const auto& [what, bytes] : cases) {
        auto store = StoreOf(bytes);
        c_GUIB_Bitmap bitmap(4, 4);
        EXPECT_EQ(0, bitmap.LoadFromStore(store.get(), 1)) << what;
        EXPECT_TRUE(HasNoPixels(bitmap)) << what;
        EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup()) << what;
    }
}

// A pixel chunk of half the pixels leaves the rest cleared; a longer one is cut to the bitmap.
TEST(BitmapStore, PixelChunkOfAnotherSize)
{
    auto loaded = [](uint32_t side, const std::vector<uint32_t>& pixels) {
        auto store = StoreOf(BitmapGroup(1, side, side, pixels));
        c_GUIB_Bitmap bitmap;
        EXPECT_EQ(1, bitmap.LoadFromStore(store.get(), 1));
        return PixelsOf(bitmap);
    };
    using Pixels = std::vector<uint32_t>;
    EXPECT_EQ((Pixels { 0xFFFFFFFF, 0xFFFFFFFF, 0, 0 }), loaded(2, { 0xFFFFFFFF, 0xFFFFFFFF }));
    EXPECT_EQ((Pixels { 0x11111111 }), loaded(1, { 0x11111111, 0x22222222, 0x33333333 }));
}

}
