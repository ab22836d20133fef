// The record store: the exact bytes it writes, its mode rules, reading from files, the 16 MB
// ceiling of written stores, and scans over damaged data that must stop inside the store.
#include "bigfile/bigfile.h"
#include "tests/guib/record_bytes.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using test::Bytes;
using test::Cat;
using test::Chunk;
using test::Group;
using test::RawHeader;
using test::StoreOf;
using test::U32s;

constexpr uint32_t MAGIC = GUIB_STORE_MAGIC;

// Whether a chunk handed out by FindChunk lies inside the store's records.
bool InsideStore(const c_GUIB_Store& store, const uint8_t* data, uint32_t size)
{
    const uint8_t* begin = store.GetData();
    return data >= begin && size <= uint64_t(store.GetUsedSize()) && data - begin <= store.GetUsedSize() - size;
}

TEST(Store, WritesUnnamedGroupsWith25ByteHeadersAndUnalignedRecords)
{
    test::Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, store->BeginGroup(0x1001, 7, nullptr));
    ASSERT_EQ(SYS_OK, store->WriteChunk(1, "abc", 3));
    ASSERT_EQ(SYS_OK, store->WriteChunk(2, "d", 1));
    ASSERT_EQ(SYS_OK, store->EndGroup());
    ASSERT_EQ(SYS_OK, store->BeginGroup(5, 6, "ab"));
    ASSERT_EQ(SYS_OK, store->EndGroup());
    // Packed by hand: group header 25 bytes, chunks of 24 + 3 and 24 + 1, then a named group.
    const Bytes expected = Cat({ U32s({ MAGIC, 0x1001, 7, 25, 52, 1 }), { 0 },
        U32s({ MAGIC, 0, 1, 24, 3, 2 }), { 'a', 'b', 'c' }, U32s({ MAGIC, 0, 2, 24, 1, 2 }), { 'd' },
        U32s({ MAGIC, 5, 6, 27, 0, 1 }), { 'a', 'b', 0 } });
    EXPECT_EQ(expected, test::BytesOf(*store));

    // The written store reads back in place.
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(SYS_OK, store->OpenGroup(0x1001, 7));
    ASSERT_EQ(SYS_OK, store->FindChunk(2, &data, &size));
    EXPECT_EQ(1u, size);
    EXPECT_EQ('d', data[0]);
    EXPECT_EQ(SYS_OK, store->EndGroup());
    EXPECT_EQ(SYS_OK, store->OpenGroup(5, 6));
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, store->FindChunk(1, &data, &size));
}

TEST(Store, ScansFindFirstMatchOfKindTypeAndIdInsideTheCurrentGroup)
{
    const Bytes bytes = Cat({ Chunk(3, { 1 }), Group(9, 3, Chunk(3, { 2 })), Group(8, 3, Chunk(4, { 3 })),
        Chunk(3, { 4 }) });
    auto store = StoreOf(bytes);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(SYS_OK, store->FindChunk(3, &data, &size));
    EXPECT_EQ(1, data[0]); // groups with the same id are not chunks
    ASSERT_EQ(SYS_OK, store->OpenGroup(8, 3));
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, store->FindChunk(3, &data, &size)); // the chunk outside is not seen
    ASSERT_EQ(SYS_OK, store->FindChunk(4, &data, &size));
    EXPECT_EQ(3, data[0]);
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, store->OpenGroup(9, 3));
    EXPECT_EQ(SYS_OK, store->EndGroup());
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup());
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, store->OpenGroup(9, 4));
}

TEST(Store, ReadingAndWritingModesAreNotMixed)
{
    test::Held<c_GUIB_Store> store(new c_GUIB_Store());
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->Write("x", 1));
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndChunk());
    ASSERT_EQ(SYS_OK, store->BeginGroup(1, 1, nullptr));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->OpenGroup(1, 1));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->FindChunk(1, &data, &size));
    ASSERT_EQ(SYS_OK, store->BeginChunk(2));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginChunk(3));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginGroup(1, 2, nullptr));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->EndGroup()); // the open chunk would be lost
    EXPECT_EQ(SYS_OK, store->EndChunk());
    EXPECT_EQ(SYS_OK, store->EndGroup());

    // Back at the top level the store reads; inside a group entered by reading it cannot write.
    ASSERT_EQ(SYS_OK, store->OpenGroup(1, 1));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginGroup(1, 2, nullptr));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginChunk(2));
    ASSERT_EQ(SYS_OK, store->FindChunk(2, &data, &size));
    EXPECT_EQ(0u, size);
}

TEST(Store, DataWithoutTheMagicEndsTheScan)
{
    auto store = StoreOf(Cat({ U32s({ MAGIC + 1, 1, 1, 25, 0, 1 }), { 0 } }));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->OpenGroup(1, 1));
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->FindChunk(1, &data, &size));
}

Bytes FirstBytes(const Bytes& bytes, size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + ptrdiff_t(count));
}

// Each case is a sound chunk followed by one damaged record; scans for a missing id have to
// step past the sound one and meet the damage.
struct DamagedStore {
    const char* what;
    Bytes tail;
};

class StoreDamage : public ::testing::TestWithParam<DamagedStore> { };

TEST_P(StoreDamage, ScansStopWithDamagedAndHandOutNothingOutside)
{
    const Bytes bytes = Cat({ Chunk(1, { 'o', 'k' }), GetParam().tail });
    auto store = StoreOf(bytes);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->OpenGroup(0x1002, 99)) << GetParam().what;
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->FindChunk(99, &data, &size)) << GetParam().what;
    // The sound record before the damage is still found.
    ASSERT_EQ(SYS_OK, store->FindChunk(1, &data, &size));
    EXPECT_TRUE(InsideStore(*store, data, size));
}

INSTANTIATE_TEST_SUITE_P(Store, StoreDamage,
    ::testing::Values(
        // 24 + 0xFFFFFFE8 wraps to 0 in 32 bits: the next record would start here again.
        DamagedStore { "wrapping content size", Cat({ RawHeader(MAGIC, 0, 5, 24, 0xFFFFFFE8, 2), Bytes(8) }) },
        DamagedStore { "content past the end", Cat({ RawHeader(MAGIC, 0, 5, 24, 100, 2), Bytes(10) }) },
        DamagedStore { "header size 0", RawHeader(MAGIC, 0, 5, 0, 0, 2) },
        DamagedStore { "header size 23", RawHeader(MAGIC, 0, 5, 23, 0, 2) },
        DamagedStore { "group header of 24 bytes", RawHeader(MAGIC, 7, 5, 24, 0, 1) },
        DamagedStore { "group name without its 0", Cat({ RawHeader(MAGIC, 7, 5, 28, 0, 1), { 'a', 'b', 'c', 'd' } }) },
        DamagedStore { "header cut short", FirstBytes(RawHeader(MAGIC, 0, 5, 24, 0, 2), 20) },
        DamagedStore { "header size past the end", RawHeader(MAGIC, 0, 5, 0xFFFFFFF0, 0, 2) }));

TEST(Store, NestedGroupLargerThanItsParentStaysInside)
{
    // The inner group claims 40 bytes of content; its parent holds only its 25-byte header, and
    // a chunk with the searched id lies just after the parent, inside the inner group's claim.
    const Bytes inner = RawHeader(MAGIC, 2, 2, 25, 40, 1);
    const Bytes parent = Cat({ U32s({ MAGIC, 1, 1, 25, 25, 1 }), { 0 }, inner, { 0 } });
    auto store = StoreOf(Cat({ parent, Chunk(7, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 }) }));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(SYS_OK, store->OpenGroup(1, 1));
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->OpenGroup(2, 2));
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->FindChunk(7, &data, &size));
    EXPECT_EQ(SYS_OK, store->EndGroup());
    ASSERT_EQ(SYS_OK, store->FindChunk(7, &data, &size));
    EXPECT_EQ(15u, size);
}

TEST(Store, WrittenStoresStopAt16Megabytes)
{
    test::Held<c_GUIB_Store> store(new c_GUIB_Store());
    const Bytes block(1 << 20, 0xAB);
    ASSERT_EQ(SYS_OK, store->BeginChunk(1));
    SYS_Status status = SYS_OK;
    int written = 0;
    while (status == SYS_OK && written < 20) {
        status = store->Write(block.data(), uint32_t(block.size()));
        written += status == SYS_OK;
    }
    EXPECT_EQ(SYS_NO_MEMORY, status);
    EXPECT_EQ(15, written); // 24 header bytes leave room for 15 whole megabytes
    EXPECT_EQ(SYS_OK, store->Write(block.data(), GUIB_STORE_WRITE_LIMIT - 24 - 15 * (1 << 20)));
    EXPECT_EQ(SYS_NO_MEMORY, store->Write(block.data(), 1));
    EXPECT_EQ(SYS_OK, store->EndChunk());
    EXPECT_EQ(GUIB_STORE_WRITE_LIMIT, store->GetUsedSize());
    EXPECT_EQ(SYS_NO_MEMORY, store->WriteChunk(2, nullptr, 0)); // no room for another header
}

TEST(Store, WriteChunkClosesTheChunkWhenTheWriteFails)
{
    test::Held<c_GUIB_Store> store(new c_GUIB_Store());
    EXPECT_EQ(SYS_NO_MEMORY, store->WriteChunk(1, "x", GUIB_STORE_WRITE_LIMIT));
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndChunk());
    const uint8_t* data = nullptr;
    uint32_t size = 1;
    ASSERT_EQ(SYS_OK, store->FindChunk(1, &data, &size));
    EXPECT_EQ(0u, size);
}

class StoreFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        BF_InitParams params {};
        params.plainNames = 1;
        ASSERT_EQ(1, BF_Init(&params));
    }
    void TearDown() override { BF_Shutdown(); }

    std::string Put(const std::string& name, const Bytes& bytes)
    {
        std::ofstream(m_dir.Path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return m_dir.File(name);
    }

    test::TempDir m_dir;
};

TEST_F(StoreFile, ReadsTheWholeFileThroughTheVirtualFileInterface)
{
    // Over a page, so that the reading commits more than one.
    const Bytes content(5000, 0x5A);
    test::Held<c_GUIB_Store> store(new c_GUIB_Store(Put("a.fnt", Cat({ Chunk(1, content), Chunk(2, { 9 }) })).c_str()));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(SYS_OK, store->FindChunk(2, &data, &size));
    EXPECT_EQ(9, data[0]);
    ASSERT_EQ(SYS_OK, store->FindChunk(1, &data, &size));
    EXPECT_EQ(content, Bytes(data, data + size));
}

TEST_F(StoreFile, MissingAndOversizedFilesGiveEmptyStores)
{
    test::Held<c_GUIB_Store> missing(new c_GUIB_Store(m_dir.File("none.fnt").c_str()));
    EXPECT_EQ(0u, missing->GetUsedSize());
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, missing->OpenGroup(GUIB_GROUP_FONT, 0));

    // A sparse file just above the limit: refused by its size before anything is read.
    const std::string big = Put("big.fnt", Chunk(1, {}));
    std::filesystem::resize_file(m_dir.Path() / "big.fnt", GUIB_STORE_FILE_LIMIT + 1);
    test::Held<c_GUIB_Store> oversized(new c_GUIB_Store(big.c_str()));
    EXPECT_EQ(0u, oversized->GetUsedSize());
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, oversized->FindChunk(1, &data, &size));
}

}
