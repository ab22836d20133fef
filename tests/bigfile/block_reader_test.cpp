// Reading LZW members: whole and partial reads agree with the data however they are cut, the
// block cache never serves a block its buffer does not hold, and damaged block headers or
// streams end a read with exactly the bytes delivered before them.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"

#include <random>

namespace {

using test::ArchiveMember;

class BlockReader : public test::VfsFixture {
protected:
    BF_Handle MountOne(const ArchiveMember& member)
    {
        EXPECT_EQ(BF_OK, Mount("z.cbf", { member }));
        return BF_OpenEx(member.name.c_str(), 0, 0);
    }
    static std::vector<uint8_t> ReadAt(BF_Handle file, uint64_t at, uint32_t count)
    {
        std::vector<uint8_t> bytes(count);
        EXPECT_EQ(at, BF_Seek(file, at, 0));
        bytes.resize(BF_Read(file, bytes.data(), count));
        return bytes;
    }
    // A member of the given size whose single block header is replaced.
    static ArchiveMember WithBlockHeader(uint64_t size, uint32_t compressed, uint32_t plain)
    {
        ArchiveMember member = test::StoredMember("bad", {});
        member.method = BF_METHOD_LZW;
        member.size = size;
        member.bytes = test::LzwBlock({ 0x41, 0x00, 0x02 }, plain);
        SYS_StoreU32(member.bytes.data() + 4, compressed);
        return member;
    }
    // Members whose block headers run past the archive or the member, with the reason each is
    // refused for: a refusal by a later check (a decode that comes up short) would mean the
    // header's check let a bad bound through.
    struct BadHeader {
        ArchiveMember member;
        const char* reason;
    };
    static std::vector<BadHeader> PastTheEnd()
    {
        const char* pastArchive = "compressed block runs past the archive's end";
        const char* tooLarge = "compressed block is larger than its member or its codes allow";
        const char* overLimit = "compressed block claims more than 64 MiB";
        return {
            { WithBlockHeader(1, 0xFFFFFFF8, 1), pastArchive },
            { WithBlockHeader(1, 0xFFFFFFF4, 1), pastArchive }, // wraps to 0 in 32-bit sums
            { WithBlockHeader(1, 100, 1), pastArchive },
            { WithBlockHeader(0x100000000, 3, 0xFFFFFFF0), overLimit },
            // More than 3 bytes of codes can make, in a member that could hold it.
            { WithBlockHeader(100000, 3, 50000), tooLarge },
            { WithBlockHeader(1, 3, 2), tooLarge }, // more than the member holds
        };
    }
    // BF_LzwStoredSize of the archive's only member.
    BF_Status StoredSizeOf(const ArchiveMember& member, uint64_t* stored)
    {
        SYS_Handle file = BF_SysOpenW(Put("s.cbf", test::BuildArchive({ member })).c_str(), 0);
        BF_Status status = BF_LzwStoredSize(file, BF_HEADER_SIZE, member.size, stored);
        (void)BF_SysClose(file);
        return status;
    }
};

const std::vector<uint8_t> DATA = test::SampleBytes(25000, 11);

// The codes 65, 257, 258, ... each define the previous string plus one "A" and so yield 1, 2,
// 3, ... bytes: a few bytes of codes claim a great deal of output. Then literals fill the output
// up to size, and the end code. Codes are packed as the reader reads them: least significant bit
// first, one bit wider whenever the next free code plus one reaches the width's limit.
ArchiveMember RunOfA(uint64_t size)
{
    std::vector<uint8_t> stream;
    uint64_t bits = 0;
    uint32_t width = 9;
    uint32_t next = 257;
    auto put = [&](uint32_t code, bool defines) {
        for (uint32_t i = 0; i < width; ++i, ++bits) {
            if (bits % 8 == 0)
                stream.push_back(0);
            stream.back() |= static_cast<uint8_t>(((code >> i) & 1) << (bits % 8));
        }
        if (defines && ((++next + 1) >> width) != 0)
            ++width;
    };
    put('A', false);
    uint64_t produced = 1;
    for (uint64_t length = 2; produced + length <= size && next < 65535; ++length) {
        put(next, true);
        produced += length;
    }
    for (; produced < size; ++produced)
        put('A', true);
    put(256, false);
    ArchiveMember member = test::StoredMember("run", {});
    member.method = BF_METHOD_LZW;
    member.size = size;
    member.bytes = test::LzwBlock(stream, static_cast<uint32_t>(size));
    return member;
}

TEST_F(BlockReader, ABlockClaimingMoreThan64MiBIsRefusedBeforeItIsDecoded)
{
    // 125 KB of codes that really decode to 2.1 GB: without the bound a one-byte read would
    // allocate and decode all of it.
    ArchiveMember huge = RunOfA(65279ull * 65280 / 2);
    ASSERT_LT(huge.bytes.size(), 130000u);
    uint64_t stored = 0;
    EXPECT_EQ(BF_ERR_FORMAT, StoredSizeOf(huge, &stored));
    BF_Handle file = MountOne(huge);
    ASSERT_NE(0u, file);
    EXPECT_TRUE(ReadAt(file, 0, 16).empty());
    BF_Close(file);
    ASSERT_EQ(BF_OK, Unmount("z.cbf"));

    file = MountOne(RunOfA(BF_MAX_LZW_BLOCK_OUTPUT)); // the bound itself is allowed
    ASSERT_NE(0u, file);
    EXPECT_EQ(std::vector<uint8_t>(2, 'A'), ReadAt(file, BF_MAX_LZW_BLOCK_OUTPUT - 2, 2));
    BF_Close(file);
}

TEST_F(BlockReader, WholeReadThenOneByteInsideTheLastBlock)
{
    BF_Handle file = MountOne(test::LzwMember("z", DATA, LZW_Encode, 10000));
    ASSERT_NE(0u, file);
    EXPECT_EQ(DATA, ReadRest(file));
    EXPECT_EQ(std::vector<uint8_t>(1, DATA[24000]), ReadAt(file, 24000, 1));
    EXPECT_EQ(std::vector<uint8_t>(1, DATA[5]), ReadAt(file, 5, 1)); // back to the first block
    EXPECT_EQ(std::vector<uint8_t>(DATA.begin() + 9990, DATA.begin() + 20010),
        ReadAt(file, 9990, 10020)); // across a whole block
    BF_Close(file);
}

TEST_F(BlockReader, OneByteReadsEqualOneWholeRead)
{
    BF_Handle file = MountOne(test::LzwMember("z", DATA, LZW_Encode, 4096));
    ASSERT_NE(0u, file);
    EXPECT_EQ(DATA, ReadRest(file, 1));
    BF_Close(file);
}

TEST_F(BlockReader, RandomReadsAndSeeksAgreeWithTheData)
{
    BF_Handle file = MountOne(test::LzwMember("z", DATA, LZW_Encode, 3000));
    ASSERT_NE(0u, file);
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) {
        uint64_t at = random() % (DATA.size() + 10);
        uint32_t count = random() % 7000;
        std::vector<uint8_t> expected;
        if (at < DATA.size())
            expected.assign(
                DATA.begin() + at, DATA.begin() + std::min<size_t>(DATA.size(), at + count));
        ASSERT_EQ(count == 0 ? std::vector<uint8_t>() : expected, ReadAt(file, at, count))
            << at << " " << count;
    }
    BF_Close(file);
}

TEST_F(BlockReader, BlockHeadersThatRunPastTheArchiveOrMemberReadNothing)
{
    for (const auto& [member, reason] : PastTheEnd()) {
        BF_Handle file = MountOne(member);
        ASSERT_NE(0u, file);
        uint8_t buffer[64] = {};
        test::TraceCatcher traces;
        EXPECT_EQ(0u, BF_Read(file, buffer, sizeof(buffer))) << reason;
        EXPECT_EQ(reason, traces.Last()) << member.size;
        BF_Close(file);
        ASSERT_EQ(BF_OK, Unmount("z.cbf"));
    }
}

TEST_F(BlockReader, ABlockThatDecodesShortEndsTheRead)
{
    std::vector<uint8_t> first(DATA.begin(), DATA.begin() + 1000);
    std::vector<uint8_t> half(DATA.begin() + 1000, DATA.begin() + 1500);
    ArchiveMember member = test::StoredMember("short", {});
    member.method = BF_METHOD_LZW;
    member.size = 2000;
    member.bytes = test::LzwBlock(test::EncodeBlock(first, LZW_Encode), 1000);
    std::vector<uint8_t> second = test::LzwBlock(test::EncodeBlock(half, LZW_Encode), 1000);
    member.bytes.insert(member.bytes.end(), second.begin(), second.end());
    BF_Handle file = MountOne(member);
    ASSERT_NE(0u, file);
    EXPECT_EQ(first, ReadRest(file));
    ASSERT_EQ(0u, BF_Seek(file, 0, 0));
    EXPECT_EQ(first, ReadRest(file, 1));
    EXPECT_TRUE(ReadAt(file, 1200, 1).empty()); // the half block is not cached either
    EXPECT_TRUE(ReadAt(file, 1200, 1).empty());
    EXPECT_EQ(std::vector<uint8_t>(1, first[999]), ReadAt(file, 999, 1));
    BF_Close(file);
}

TEST_F(BlockReader, ADamagedBlockMagicEndsTheReadAtItsStart)
{
    ArchiveMember member = test::LzwMember("z", DATA, LZW_Encode, 10000);
    std::vector<uint8_t> firstBlock = test::LzwBlock(
        test::EncodeBlock({ DATA.begin(), DATA.begin() + 10000 }, LZW_Encode), 10000);
    member.bytes[firstBlock.size()] = '{';
    BF_Handle file = MountOne(member);
    ASSERT_NE(0u, file);
    EXPECT_EQ(std::vector<uint8_t>(DATA.begin(), DATA.begin() + 10000), ReadRest(file));
    BF_Close(file);
}

TEST_F(BlockReader, StoredSizeCoversEveryBlockAndRefusesWhatTheReaderRefuses)
{
    ArchiveMember member = test::LzwMember("z", DATA, LZW_Encode, 3000);
    uint64_t stored = 0;
    ASSERT_EQ(BF_OK, StoredSizeOf(member, &stored));
    EXPECT_EQ(member.bytes.size(), stored);
    member.bytes[0] = '{';
    EXPECT_EQ(BF_ERR_FORMAT, StoredSizeOf(member, &stored));
    test::TraceCatcher traces;
    for (const auto& [damaged, reason] : PastTheEnd()) {
        EXPECT_EQ(BF_ERR_FORMAT, StoredSizeOf(damaged, &stored)) << damaged.size;
        EXPECT_EQ(reason, traces.Last()) << damaged.size;
    }
    // Blocks that end before the member does: the next header would lie in the directory.
    EXPECT_EQ(BF_ERR_FORMAT, StoredSizeOf(WithBlockHeader(2, 3, 1), &stored));
    EXPECT_EQ("compressed block header has the wrong magic", traces.Last());
}

}
