// The record store: the exact bytes it writes, its mode rules, reading from files, the 16 MB
// ceiling of written stores, and scans over damaged data that must stop inside the store.
#include "tests/guib/file_fixture.h"
#include "tests/guib/record_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace test;

constexpr uint32_t MAGIC = GUIB_STORE_MAGIC;

// The content of chunk id in the current group (empty when none is handed out), after checking
// FindChunk's status.
Bytes ChunkContent(const c_GUIB_Store& store, uint32_t id, SYS_Status expected = SYS_OK)
{
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(expected, store.FindChunk(id, &data, &size)) << "chunk " << id;
    return data ? Bytes(data, data + size) : Bytes();
}

TEST(Store, WritesUnnamedGroupsWith25ByteHeadersAndUnalignedRecords)
{
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, store->BeginGroup(0x1001, 7, nullptr));
    ASSERT_EQ(SYS_OK, store->WriteChunk(1, "abc", 3));
    ASSERT_EQ(SYS_OK, store->WriteChunk(2, "d", 1));
    ASSERT_EQ(SYS_OK, store->EndGroup());
    ASSERT_EQ(SYS_OK, store->BeginGroup(5, 6, "ab"));
    ASSERT_EQ(SYS_OK, store->EndGroup());
    // Packed by hand: group header 25 bytes, chunks of 24 + 3 and 24 + 1, then a named group.
    const Bytes expected = Cat({ U32s({ MAGIC, 0x1001, 7, 25, 52, 1 }), { 0 },
        U32s({ MAGIC, 0, 1, 24, 3, 2 }), { 'a', 'b', 'c' }, U32s({ MAGIC, 0, 2, 24, 1, 2 }),
        { 'd' }, U32s({ MAGIC, 5, 6, 27, 0, 1 }), { 'a', 'b', 0 } });
    EXPECT_EQ(expected, BytesOf(*store));

    // The written store reads back in place.
    ASSERT_EQ(SYS_OK, store->OpenGroup(0x1001, 7));
    EXPECT_EQ(Bytes { 'd' }, ChunkContent(*store, 2));
    EXPECT_EQ(SYS_OK, store->EndGroup());
    EXPECT_EQ(SYS_OK, store->OpenGroup(5, 6));
    ChunkContent(*store, 1, GUIB_STORE_NOT_FOUND);
}

TEST(Store, ScansFindFirstMatchOfKindTypeAndIdInsideTheCurrentGroup)
{
    auto store = StoreOf(Cat({ Chunk(3, { 1 }), Group(9, 3, Chunk(3, { 2 })),
        Group(8, 3, Chunk(4, { 3 })), Chunk(3, { 4 }) }));
    EXPECT_EQ(Bytes { 1 }, ChunkContent(*store, 3)); // groups with the same id are not chunks
    ASSERT_EQ(SYS_OK, store->OpenGroup(8, 3));
    ChunkContent(*store, 3, GUIB_STORE_NOT_FOUND); // the chunk outside is not seen
    EXPECT_EQ(Bytes { 3 }, ChunkContent(*store, 4));
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, store->OpenGroup(9, 3));
    EXPECT_EQ(SYS_OK, store->EndGroup());
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup());
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, store->OpenGroup(9, 4));
}

// The walk of a group's groups of one type, in file order, inside the current group only; it
// stops at damage and is refused while writing.
TEST(Store, OpenNextGroupWalksTheGroupsOfATypeInOrder)
{
    auto store = StoreOf(Cat({ Group(7, 1, Chunk(1, { 'a' })), Chunk(7, {}), Group(8, 2, {}),
        Group(7, 3, Group(7, 4, {})), Group(7, 1, Chunk(1, { 'b' })),
        RawHeader(MAGIC, 7, 5, 24, 0, 1) }));
    uint32_t cursor = 0;
    uint32_t id = 0;
    std::vector<std::pair<uint32_t, Bytes>> seen;
    SYS_Status status = SYS_OK;
    while ((status = store->OpenNextGroup(7, &cursor, &id)) == SYS_OK) {
        seen.emplace_back(id, ChunkContent(*store, 1, id == 3 ? GUIB_STORE_NOT_FOUND : SYS_OK));
        EXPECT_EQ(SYS_OK, store->EndGroup());
    }
    EXPECT_EQ(GUIB_STORE_DAMAGED, status); // the last record is a group header of 24 bytes
    EXPECT_EQ(
        (std::vector<std::pair<uint32_t, Bytes>> { { 1, { 'a' } }, { 3, {} }, { 1, { 'b' } } }),
        seen);
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->EndGroup()); // back at the top level

    Held<c_GUIB_Store> written(new c_GUIB_Store());
    ASSERT_EQ(SYS_OK, written->BeginGroup(7, 1, nullptr));
    cursor = 0;
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, written->OpenNextGroup(7, &cursor, &id));
}

TEST(Store, ReadingAndWritingModesAreNotMixed)
{
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, store->Write("x", 1));
    ASSERT_EQ(SYS_OK, store->BeginGroup(1, 1, nullptr));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->OpenGroup(1, 1));
    ASSERT_EQ(SYS_OK, store->BeginChunk(2));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginChunk(3));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->EndGroup()); // the open chunk would be lost
    EXPECT_EQ(SYS_OK, store->EndChunk());
    EXPECT_EQ(SYS_OK, store->EndGroup());

    // Back at the top level the store reads; inside a group entered by reading it cannot write.
    ASSERT_EQ(SYS_OK, store->OpenGroup(1, 1));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginGroup(1, 2, nullptr));
    EXPECT_EQ(GUIB_STORE_WRONG_MODE, store->BeginChunk(2));
    EXPECT_EQ(Bytes {}, ChunkContent(*store, 2));
}

// Each case is a sound chunk followed by one damaged record; scans for a missing id have to
// step past the sound one and meet the damage, and the sound one is still found.
TEST(Store, ScansOverDamageStopInsideTheStore)
{
    const std::pair<const char*, Bytes> cases[] = {
        // 24 + 0xFFFFFFE8 wraps to 0 in 32 bits: the next record would start here again.
        { "wrapping content size", Cat({ RawHeader(MAGIC, 0, 5, 24, 0xFFFFFFE8, 2), Bytes(8) }) },
        { "content past the end", Cat({ RawHeader(MAGIC, 0, 5, 24, 100, 2), Bytes(10) }) },
        { "header size 0", RawHeader(MAGIC, 0, 5, 0, 0, 2) },
        { "header size 23", RawHeader(MAGIC, 0, 5, 23, 0, 2) },
        { "group header of 24 bytes", RawHeader(MAGIC, 7, 5, 24, 0, 1) },
        { "group name without its 0",
            Cat({ RawHeader(MAGIC, 7, 5, 28, 0, 1), { 'a', 'b', 'c', 'd' } }) },
        { "header cut short", U32s({ MAGIC, 0, 5, 24, 0 }) },
        { "header size past the end", RawHeader(MAGIC, 0, 5, 0xFFFFFFF0, 0, 2) },
        { "no magic", Cat({ RawHeader(MAGIC + 1, 1, 1, 25, 0, 1), { 0 } }) },
    };
    for (const auto& [what, tail] : cases) {
        SCOPED_TRACE(what);
        auto store = StoreOf(Cat({ Chunk(1, { 'o', 'k' }), tail }));
        EXPECT_EQ(GUIB_STORE_DAMAGED, store->OpenGroup(0x1002, 99));
        ChunkContent(*store, 99, GUIB_STORE_DAMAGED);
        EXPECT_EQ((Bytes { 'o', 'k' }), ChunkContent(*store, 1));
    }
}

TEST(Store, NestedGroupLargerThanItsParentStaysInside)
{
    // The inner group claims 40 bytes of content; its parent holds only its 25-byte header, and
    // a chunk with the searched id lies just after the parent, inside the inner group's claim.
    const Bytes inner = RawHeader(MAGIC, 2, 2, 25, 40, 1);
    const Bytes parent = Cat({ U32s({ MAGIC, 1, 1, 25, 25, 1 }), { 0 }, inner, { 0 } });
    auto store = StoreOf(Cat({ parent, Chunk(7, Bytes(15, 7)) }));
    ASSERT_EQ(SYS_OK, store->OpenGroup(1, 1));
    EXPECT_EQ(GUIB_STORE_DAMAGED, store->OpenGroup(2, 2));
    ChunkContent(*store, 7, GUIB_STORE_DAMAGED);
    EXPECT_EQ(SYS_OK, store->EndGroup());
    EXPECT_EQ(Bytes(15, 7), ChunkContent(*store, 7));
}

TEST(Store, WrittenStoresStopAt16Megabytes)
{
    Held<c_GUIB_Store> store(new c_GUIB_Store());
    const Bytes block(1 << 20, 0xAB);
    ASSERT_EQ(SYS_OK, store->BeginChunk(1));
    for (int i = 0; i < 15; ++i) // 24 header bytes leave room for 15 whole megabytes
        ASSERT_EQ(SYS_OK, store->Write(block.data(), uint32_t(block.size()))) << i;
    EXPECT_EQ(SYS_NO_MEMORY, store->Write(block.data(), uint32_t(block.size())));
    EXPECT_EQ(SYS_OK, store->Write(block.data(), GUIB_STORE_WRITE_LIMIT - 24 - 15 * (1 << 20)));
    EXPECT_EQ(SYS_NO_MEMORY, store->Write(block.data(), 1));
    EXPECT_EQ(SYS_OK, store->EndChunk());
    EXPECT_EQ(GUIB_STORE_WRITE_LIMIT, store->GetUsedSize());
    EXPECT_EQ(SYS_NO_MEMORY, store->WriteChunk(2, nullptr, 0)); // no room for another header

    // WriteChunk closes its chunk even when the write fails.
    Held<c_GUIB_Store> failed(new c_GUIB_Store());
    EXPECT_EQ(SYS_NO_MEMORY, failed->WriteChunk(1, "x", GUIB_STORE_WRITE_LIMIT));
    EXPECT_EQ(GUIB_STORE_NOTHING_OPEN, failed->EndChunk());
    EXPECT_EQ(Bytes {}, ChunkContent(*failed, 1));
}

using StoreFile = FileFixture;

TEST_F(StoreFile, ReadsTheWholeFileThroughTheVirtualFileInterfaceUpToTheLimit)
{
    // Over a page, so that the reading commits more than one.
    const Bytes content(5000, 0x5A);
    Held<c_GUIB_Store> store(
        new c_GUIB_Store(Put("a.fnt", Cat({ Chunk(1, content), Chunk(2, { 9 }) })).c_str()));
    EXPECT_EQ(Bytes { 9 }, ChunkContent(*store, 2));
    EXPECT_EQ(content, ChunkContent(*store, 1));

    // Missing and oversized files give empty stores.
    Held<c_GUIB_Store> missing(new c_GUIB_Store(m_dir.File("none.fnt").c_str()));
    EXPECT_EQ(0u, missing->GetUsedSize());
    EXPECT_EQ(GUIB_STORE_NOT_FOUND, missing->OpenGroup(GUIB_GROUP_FONT, 0));

    // A sparse file just above the limit: refused by its size before anything is read.
    const std::string big = Put("big.fnt", Chunk(1, {}));
    std::filesystem::resize_file(m_dir.Path() / "big.fnt", GUIB_STORE_FILE_LIMIT + 1);
    Held<c_GUIB_Store> oversized(new c_GUIB_Store(big.c_str()));
    EXPECT_EQ(0u, oversized->GetUsedSize());
    ChunkContent(*oversized, 1, GUIB_STORE_NOT_FOUND);
}

}
