// The archive writer against archives packed by hand (so that a mistake shared by the writer and
// the reader cannot hide), its refusals, and large members read back through the mount.
#include "bigfile/bigfile.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

// Three members of "AB": stored, LZW (codes 0x41 0x42 256 in 9 bits: 41 84 00 04) with
// attributes 0x21, write time 0x0102030405060708, value 0x11223344 and flags 0x55, and scrambled
// (key 2: 0x41 -> E8, 0x42 -> E5). Ordering value 7.
// clang-format off
const std::vector<uint8_t> VERSION_0_ARCHIVE = {
    0x42, 0x49, 0x47, 0x46, 0x00, 0x4B, 0x56, 0x58, 0xD1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x03, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x89, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x41, 0x42, 0x5B, 0x2E, 0x2E, 0x5D, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00,
    0x00, 0x00, 0x41, 0x84, 0x00, 0x04, 0xE8, 0xE5, 0x34, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x41, 0x62, 0x2E, 0x74, 0x78, 0x74, 0x00, 0x36, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21,
    0x00, 0x00, 0x00, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x44, 0x33, 0x22, 0x11, 0x01, 0x00, 0x00, 0x00, 0x55, 0x00, 0x00, 0x00, 0x64,
    0x5C, 0x4C, 0x2E, 0x62, 0x69, 0x6E, 0x00, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x53,
    0x00,
};
// clang-format on

// The same members in a version-1 archive: the stored member is scrambled (method 2) and every
// entry is scrambled with the directory keys. Ordering value 0x0123456789ABCDEF.
// clang-format off
const std::vector<uint8_t> VERSION_1_ARCHIVE = {
    0x42, 0x49, 0x47, 0x46, 0x01, 0x4B, 0x56, 0x58, 0xD7, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x03, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8F, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0xCD, 0xAB, 0x89,
    0x67, 0x45, 0x23, 0x01, 0xE8, 0xE5, 0x5B, 0x2E, 0x2E, 0x5D, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00,
    0x00, 0x00, 0x41, 0x84, 0x00, 0x04, 0xE8, 0xE5, 0x2F, 0x00, 0x3F, 0x0B, 0x96, 0x04, 0x62, 0x17,
    0xB3, 0x8E, 0xFC, 0x4F, 0x0B, 0x96, 0x04, 0x62, 0x17, 0xB3, 0x8E, 0xDC, 0x4F, 0x0B, 0x94, 0x62,
    0x17, 0xB3, 0x8E, 0xDC, 0x4F, 0x0B, 0x96, 0x04, 0x62, 0x17, 0xB1, 0xC5, 0xF9, 0x21, 0xC5, 0xF9,
    0x21, 0xC5, 0xB8, 0x3F, 0x25, 0x8D, 0x00, 0x4E, 0xDC, 0x30, 0x00, 0x0C, 0x4F, 0x0B, 0x96, 0x04,
    0x62, 0x17, 0xB3, 0xAF, 0x0B, 0x96, 0x04, 0x6A, 0xED, 0x7E, 0xD9, 0x25, 0xFA, 0xE8, 0x5C, 0x4D,
    0x78, 0x5D, 0x78, 0x5D, 0x78, 0x5D, 0x78, 0x19, 0x12, 0x35, 0xE8, 0x5C, 0x4F, 0x0B, 0x96, 0x51,
    0xC5, 0xF9, 0x21, 0xA1, 0x99, 0x6D, 0x56, 0x66, 0x6D, 0x16, 0x04, 0x2A, 0x00, 0xAC, 0x4F, 0x0B,
    0x96, 0x04, 0x62, 0x17, 0xB3, 0xAE, 0xDC, 0x4F, 0x0B, 0x96, 0x04, 0x62, 0x17, 0xB3, 0x8E, 0xDC,
    0x4F, 0x09, 0x21, 0xC5, 0xF9, 0x21, 0xC5, 0xF9, 0x21, 0xC5, 0xF9, 0x21, 0xC5, 0xFB, 0x96, 0x04,
    0x62, 0x17, 0xB3, 0x8E, 0xDC, 0x1C, 0x4F,
};
// clang-format on

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

void WriteKnownAnswerArchive(const std::string& path, uint32_t version, uint64_t order)
{
    BF_ArchiveWriter writer;
    BF_MemberAttributes special { 0x21, 0x0102030405060708, 0x11223344, 0x55 };
    ASSERT_TRUE(writer.Open(test::Wide(path.c_str()).c_str(), version, order)) << writer.Error();
    ASSERT_TRUE(writer.Add("Ab.txt", "AB", 2, BF_METHOD_STORED)) << writer.Error();
    ASSERT_TRUE(writer.Add("d\\L.bin", "AB", 2, BF_METHOD_LZW, &special)) << writer.Error();
    ASSERT_TRUE(writer.Add("S", "AB", 2, BF_METHOD_SCRAMBLED)) << writer.Error();
    ASSERT_TRUE(writer.Finish()) << writer.Error();
    EXPECT_STREQ(writer.Error(), "");
}

// Starts the archive file system without disk names and stops it at the end of a test.
class ArchiveWriterReadBack : public ::testing::Test {
protected:
    void SetUp() override
    {
        BF_InitParams params {};
        ASSERT_EQ(BF_Init(&params), 1);
    }
    void TearDown() override { BF_Shutdown(); }

    std::vector<uint8_t> ReadMember(const char* name)
    {
        BF_Handle file = BF_OpenEx(name, BF_GENERIC_READ, 0);
        EXPECT_NE(file, 0u) << name;
        if (file == 0)
            return {};
        std::vector<uint8_t> bytes(static_cast<size_t>(BF_GetSize(file)) + 1);
        bytes.resize(BF_Read(file, bytes.data(), static_cast<uint32_t>(bytes.size())));
        BF_Close(file);
        return bytes;
    }

    test::TempDir m_dir;
};

}

TEST(ArchiveWriter, Version0MatchesTheArchivePackedByHand)
{
    test::TempDir dir;
    WriteKnownAnswerArchive(dir.File("v0.cbf"), 0, 7);
    EXPECT_EQ(ReadAll(dir.File("v0.cbf")), VERSION_0_ARCHIVE);
}

TEST(ArchiveWriter, Version1ScramblesEntriesAndStoredMembers)
{
    test::TempDir dir;
    WriteKnownAnswerArchive(dir.File("v1.cbf"), 1, 0x0123456789ABCDEF);
    EXPECT_EQ(ReadAll(dir.File("v1.cbf")), VERSION_1_ARCHIVE);
}

TEST(ArchiveWriter, AutoStoresWhatLzwDoesNotShrink)
{
    test::TempDir dir;
    BF_ArchiveWriter writer;
    BF_MemberAttributes special { 0x21, 0x0102030405060708, 0x11223344, 0x55 };
    ASSERT_TRUE(writer.Open(test::Wide(dir.File("auto.cbf").c_str()).c_str(), 0, 7));
    // Two bytes take 27 bits of codes plus a 12-byte block header: no gain, so stored.
    ASSERT_TRUE(writer.Add("Ab.txt", "AB", 2, BF_METHOD_AUTO));
    ASSERT_TRUE(writer.Add("d\\L.bin", "AB", 2, BF_METHOD_LZW, &special));
    ASSERT_TRUE(writer.Add("S", "AB", 2, BF_METHOD_SCRAMBLED));
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(ReadAll(dir.File("auto.cbf")), VERSION_0_ARCHIVE);
}

TEST(ArchiveWriter, RefusalsStickAndNameTheirReason)
{
    test::TempDir dir;
    BF_ArchiveWriter unopened;
    EXPECT_FALSE(unopened.Add("a", "x", 1, BF_METHOD_STORED));
    EXPECT_STRNE(unopened.Error(), "");

    BF_ArchiveWriter badVersion;
    EXPECT_FALSE(badVersion.Open(test::Wide(dir.File("v2.cbf").c_str()).c_str(), 2, 0));

    BF_ArchiveWriter missingFolder;
    EXPECT_FALSE(missingFolder.Open(test::Wide(dir.File("no/such/x.cbf").c_str()).c_str(), 0, 0));
    EXPECT_STRNE(missingFolder.Error(), "");

    BF_ArchiveWriter writer;
    ASSERT_TRUE(writer.Open(test::Wide(dir.File("x.cbf").c_str()).c_str(), 1, 0));
    EXPECT_FALSE(writer.Add("", "x", 1, BF_METHOD_STORED));
    const char* reason = writer.Error();
    EXPECT_STRNE(reason, "");
    EXPECT_FALSE(writer.Add("fine", "x", 1, BF_METHOD_STORED)); // the first failure sticks
    EXPECT_FALSE(writer.Finish());
    EXPECT_STREQ(writer.Error(), reason);
}

TEST(ArchiveWriter, NamesLongerThanAVersion1EntryHoldsAreRefused)
{
    test::TempDir dir;
    BF_ArchiveWriter writer;
    ASSERT_TRUE(writer.Open(test::Wide(dir.File("x.cbf").c_str()).c_str(), 1, 0));
    std::string longest(0xFFFF - BF_ENTRY_FIXED_SIZE - 1, 'n');
    EXPECT_TRUE(writer.Add(longest.c_str(), "x", 1, BF_METHOD_STORED)) << writer.Error();
    std::string tooLong = longest + "n";
    EXPECT_FALSE(writer.Add(tooLong.c_str(), "x", 1, BF_METHOD_STORED));
}

TEST_F(ArchiveWriterReadBack, LargeMembersSplitIntoBlocksAndReadBack)
{
    // Text compresses across several blocks; noise makes auto fall back to storing.
    std::vector<uint8_t> text, noise(100000);
    while (text.size() < 4 * BF_MAX_LZW_BLOCK + 77) {
        const char* line = "The quick brown fox jumps over the lazy dog; ";
        text.insert(text.end(), line, line + 45);
        text.push_back(static_cast<uint8_t>('0' + text.size() % 10));
    }
    uint32_t seed = 12345;
    for (uint8_t& byte : noise)
        byte = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    std::string path = m_dir.File("big.cbf");
    BF_ArchiveWriter writer;
    ASSERT_TRUE(writer.Open(test::Wide(path.c_str()).c_str(), 1, 0));
    ASSERT_TRUE(writer.Add("Text.txt", text.data(), text.size(), BF_METHOD_AUTO));
    ASSERT_TRUE(writer.Add("noise.bin", noise.data(), noise.size(), BF_METHOD_AUTO));
    ASSERT_TRUE(writer.Add("Empty", nullptr, 0, BF_METHOD_LZW));
    ASSERT_TRUE(writer.Finish());

    auto archive = ReadAll(path);
    ASSERT_EQ(std::string(archive.begin() + 52, archive.begin() + 56), "[..]");
    EXPECT_LT(archive.size(), text.size() + noise.size()); // the text was compressed
    ASSERT_EQ(LoadBF(test::Wide(path.c_str()).c_str(), 0), BF_OK);
    EXPECT_EQ(ReadMember("text.TXT"), text);
    EXPECT_EQ(ReadMember("NOISE.BIN"), noise);
    EXPECT_TRUE(ReadMember("empty").empty());
}
