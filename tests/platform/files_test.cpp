// Files on whichever backend is built: opens and creates, short reads, seeks and sizes,
// deletion, the read-only sharing of open files and names with either separator or non-ASCII
// characters.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t READ_WRITE = SYS_OPEN_READ | SYS_OPEN_WRITE;

// A temporary folder and a way to fill files in it.
class FileFixture : public ::testing::Test {
protected:
    // name in the folder holding size bytes of a known pattern.
    std::string Make(const std::string& name, uint32_t size)
    {
        std::string path = m_dir.File(name);
        std::vector<unsigned char> bytes = Pattern(size);
        SYS_Handle file = SYS_FileCreate(path.c_str());
        EXPECT_NE(file, 0u);
        EXPECT_EQ(SYS_FileWrite(file, bytes.data(), size), SYS_OK);
        EXPECT_NE(SYS_FileClose(file), 0);
        return path;
    }

    static std::vector<unsigned char> Pattern(uint32_t size)
    {
        std::vector<unsigned char> bytes(size);
        for (uint32_t i = 0; i < size; ++i)
            bytes[i] = static_cast<unsigned char>(i * 7 + 1);
        return bytes;
    }

    static uint32_t Position(SYS_Handle file)
    {
        uint32_t position = 0xDEADBEEF;
        EXPECT_EQ(SYS_FileSeek(file, 0, 1, &position), SYS_OK);
        return position;
    }

    static uint32_t SizeOf(const std::string& path)
    {
        SYS_Handle file = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
        uint32_t size = 0xDEADBEEF;
        EXPECT_EQ(SYS_FileSize(file, &size), SYS_OK);
        (void)SYS_FileClose(file);
        return size;
    }

    test::TempDir m_dir;
};

using FilesOpen = FileFixture;
using FilesReadWrite = FileFixture;
using FilesSeek = FileFixture;
using FilesDelete = FileFixture;
using FilesSharing = FileFixture;
using FilesNames = FileFixture;

TEST_F(FilesOpen, MissingFilesFoldersAndNullNamesGiveZero)
{
    std::string missing = m_dir.File("missing.bin");
    EXPECT_EQ(SYS_FileOpen(missing.c_str(), SYS_OPEN_READ), 0u);
    EXPECT_EQ(SYS_FileOpenW(test::Wide(missing.c_str()).c_str(), SYS_OPEN_READ), 0u);
    EXPECT_EQ(SYS_FileCreate(m_dir.File("no-folder/file.bin").c_str()), 0u);
    EXPECT_EQ(SYS_FileOpen(m_dir.Path().string().c_str(), SYS_OPEN_READ), 0u);
    EXPECT_EQ(SYS_FileOpen(nullptr, SYS_OPEN_READ), 0u);
    EXPECT_EQ(SYS_FileOpenW(nullptr, SYS_OPEN_READ), 0u);
    EXPECT_EQ(SYS_FileCreate(nullptr), 0u);
    EXPECT_EQ(SYS_FileCreateW(nullptr), 0u);
}

TEST_F(FilesOpen, ModeZeroGivesAHandleThatNeitherReadsNorWrites)
{
    std::string path = Make("data.bin", 16);
    SYS_Handle file = SYS_FileOpen(path.c_str(), 0);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(file & 3, 0u);
    unsigned char byte = 0;
    EXPECT_EQ(SYS_FileRead(file, &byte, 1), SYS_FAILED);
    EXPECT_EQ(SYS_FileWrite(file, &byte, 1), SYS_FAILED);
    EXPECT_NE(SYS_FileClose(file), 0);
    EXPECT_EQ(SizeOf(path), 16u);
}

TEST_F(FilesOpen, HandleZeroFailsEverywhere)
{
    unsigned char byte = 0;
    uint32_t value = 77;
    EXPECT_EQ(SYS_FileRead(0, &byte, 1), SYS_FAILED);
    EXPECT_EQ(SYS_FileWrite(0, &byte, 1), SYS_FAILED);
    EXPECT_EQ(SYS_FileSeek(0, 0, 0, &value), SYS_FAILED);
    EXPECT_EQ(SYS_FileSize(0, &value), SYS_FAILED);
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(SYS_FileClose(0), 0);
}

TEST_F(FilesReadWrite, ShortReadAtTheEndKeepsTheBytesThatCame)
{
    std::string path = Make("data.bin", 1000);
    SYS_Handle file = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
    ASSERT_NE(file, 0u);
    ASSERT_EQ(SYS_FileSeek(file, -40, 2, nullptr), SYS_OK);
    test::GuardedBuffer<unsigned char> buffer(100);
    EXPECT_EQ(SYS_FileRead(file, buffer.Data(), 100), SYS_OUT_OF_RANGE);
    std::vector<unsigned char> expected = Pattern(1000);
    EXPECT_TRUE(std::equal(expected.begin() + 960, expected.end(), buffer.Data()));
    EXPECT_TRUE(buffer.GuardsIntact());
    EXPECT_EQ(SYS_FileRead(file, buffer.Data(), 1), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_FileRead(file, buffer.Data(), 0), SYS_OK);
    EXPECT_NE(SYS_FileClose(file), 0);
}

TEST_F(FilesReadWrite, AccessFollowsTheModeBits)
{
    std::string path = Make("data.bin", 8);
    unsigned char bytes[8] = {};
    SYS_Handle reader = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
    ASSERT_NE(reader, 0u);
    EXPECT_EQ(SYS_FileWrite(reader, bytes, 8), SYS_FAILED);
    EXPECT_EQ(SYS_FileRead(reader, bytes, 8), SYS_OK);
    EXPECT_EQ(bytes[7], Pattern(8)[7]);
    EXPECT_NE(SYS_FileClose(reader), 0);

    SYS_Handle writer = SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE | 0x100);
    ASSERT_NE(writer, 0u);
    EXPECT_EQ(SYS_FileRead(writer, bytes, 1), SYS_FAILED);
    EXPECT_EQ(SYS_FileWrite(writer, "ab", 2), SYS_OK);
    EXPECT_NE(SYS_FileClose(writer), 0);
    EXPECT_EQ(SizeOf(path), 8u); // an open never empties the file

    SYS_Handle both = SYS_FileOpen(path.c_str(), READ_WRITE);
    ASSERT_NE(both, 0u);
    EXPECT_EQ(SYS_FileRead(both, bytes, 2), SYS_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 2), "ab");
    EXPECT_EQ(SYS_FileWrite(both, "cd", 2), SYS_OK);
    EXPECT_EQ(Position(both), 4u);
    EXPECT_NE(SYS_FileClose(both), 0);
}

TEST_F(FilesReadWrite, CreateEmptiesAnExistingFile)
{
    std::string path = Make("data.bin", 300);
    SYS_Handle file = SYS_FileCreate(path.c_str());
    ASSERT_NE(file, 0u);
    uint32_t size = 1;
    EXPECT_EQ(SYS_FileSize(file, &size), SYS_OK);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(SYS_FileWrite(file, "xyz", 3), SYS_OK);
    EXPECT_EQ(SYS_FileSeek(file, 0, 0, nullptr), SYS_OK);
    char back[3] = {};
    EXPECT_EQ(SYS_FileRead(file, back, 3), SYS_OK); // created for reading too
    EXPECT_EQ(std::string(back, 3), "xyz");
    EXPECT_NE(SYS_FileClose(file), 0);
    EXPECT_EQ(SizeOf(path), 3u);
}

TEST_F(FilesSeek, OriginsMoveAndBadOriginsAreRefusedFirst)
{
    std::string path = Make("data.bin", 100);
    SYS_Handle file = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
    ASSERT_NE(file, 0u);
    uint32_t position = 0;
    EXPECT_EQ(SYS_FileSeek(file, 10, 0, &position), SYS_OK);
    EXPECT_EQ(position, 10u);
    EXPECT_EQ(SYS_FileSeek(file, 5, 1, &position), SYS_OK);
    EXPECT_EQ(position, 15u);
    EXPECT_EQ(SYS_FileSeek(file, -3, 2, &position), SYS_OK);
    EXPECT_EQ(position, 97u);
    EXPECT_EQ(SYS_FileSeek(file, 50, 2, &position), SYS_OK); // past the end is allowed
    EXPECT_EQ(position, 150u);

    position = 42;
    EXPECT_EQ(SYS_FileSeek(file, 0, 3, &position), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_FileSeek(0, 0, 3, &position), SYS_BAD_ARGUMENT);
    EXPECT_EQ(position, 42u);
    EXPECT_EQ(SYS_FileSeek(file, -1, 0, &position), SYS_FAILED);
    EXPECT_EQ(position, 42u);
    EXPECT_EQ(Position(file), 150u);
    EXPECT_NE(SYS_FileClose(file), 0);
}

TEST_F(FilesSeek, SizeLeavesThePositionWhereItWas)
{
    std::string path = Make("data.bin", 1000);
    SYS_Handle file = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
    ASSERT_NE(file, 0u);
    ASSERT_EQ(SYS_FileSeek(file, 123, 0, nullptr), SYS_OK);
    uint32_t size = 0;
    EXPECT_EQ(SYS_FileSize(file, &size), SYS_OK);
    EXPECT_EQ(size, 1000u);
    EXPECT_EQ(Position(file), 123u);
    EXPECT_EQ(SYS_FileSize(file, nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(Position(file), 123u);
    EXPECT_NE(SYS_FileClose(file), 0);
}

TEST_F(FilesDelete, TellsAMissingFileFromOtherFailures)
{
    std::string path = Make("data.bin", 4);
    EXPECT_EQ(SYS_FileDelete(path.c_str()), SYS_OK);
    EXPECT_EQ(SYS_FileOpen(path.c_str(), 0), 0u);
    EXPECT_EQ(SYS_FileDelete(path.c_str()), SYS_FILE_NOT_FOUND);
    EXPECT_EQ(SYS_FileDeleteW(test::Wide(path.c_str()).c_str()), SYS_FILE_NOT_FOUND);
    EXPECT_EQ(SYS_FileDelete(m_dir.File("no-folder/data.bin").c_str()), SYS_OS_ERROR);
    EXPECT_EQ(SYS_FileDelete(m_dir.Path().string().c_str()), SYS_OS_ERROR);
    EXPECT_EQ(SYS_FileDelete(nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_FileDeleteW(nullptr), SYS_BAD_ARGUMENT);

    std::string wide = Make("wide.bin", 4);
    EXPECT_EQ(SYS_FileDeleteW(test::Wide(wide.c_str()).c_str()), SYS_OK);
    EXPECT_EQ(SYS_FileOpen(wide.c_str(), 0), 0u);
}

TEST_F(FilesSharing, ReadersShareAndAWriterIsAlone)
{
    std::string path = Make("data.bin", 10);
    SYS_Handle first = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
    SYS_Handle second = SYS_FileOpen(path.c_str(), SYS_OPEN_READ);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE), 0u);
    EXPECT_EQ(SYS_FileCreate(path.c_str()), 0u);
    EXPECT_EQ(SizeOf(path), 10u); // the refused create did not empty it
    EXPECT_NE(SYS_FileClose(first), 0);
    EXPECT_NE(SYS_FileClose(second), 0);

    SYS_Handle writer = SYS_FileOpen(path.c_str(), READ_WRITE);
    ASSERT_NE(writer, 0u);
    EXPECT_EQ(SYS_FileOpen(path.c_str(), SYS_OPEN_READ), 0u);
    EXPECT_EQ(SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE), 0u);
    SYS_Handle query = SYS_FileOpen(path.c_str(), 0);
    EXPECT_NE(query, 0u);
    EXPECT_NE(SYS_FileClose(query), 0);
    EXPECT_NE(SYS_FileClose(writer), 0);
    SYS_Handle again = SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE);
    EXPECT_NE(again, 0u);
    EXPECT_NE(SYS_FileClose(again), 0);
}

TEST_F(FilesNames, EitherSeparatorWorks)
{
    std::string folder = m_dir.Path().string();
    SYS_Handle created = SYS_FileCreate((folder + "/slash.bin").c_str());
    ASSERT_NE(created, 0u);
    EXPECT_EQ(SYS_FileWrite(created, "12345", 5), SYS_OK);
    EXPECT_NE(SYS_FileClose(created), 0);
    SYS_Handle opened = SYS_FileOpen((folder + "\\slash.bin").c_str(), SYS_OPEN_READ);
    ASSERT_NE(opened, 0u);
    uint32_t size = 0;
    EXPECT_EQ(SYS_FileSize(opened, &size), SYS_OK);
    EXPECT_EQ(size, 5u);
    EXPECT_NE(SYS_FileClose(opened), 0);
    EXPECT_EQ(SYS_FileDelete((folder + "\\slash.bin").c_str()), SYS_OK);
}

TEST_F(FilesNames, WideNameReopensThroughTheEightBitSide)
{
    std::u16string name = (m_dir.Path() / std::u16string(u"\u00e9t\u00e9.txt")).u16string();
    SYS_Handle created = SYS_FileCreateW(name.c_str());
    ASSERT_NE(created, 0u);
    EXPECT_EQ(SYS_FileWrite(created, "summer", 6), SYS_OK);
    EXPECT_NE(SYS_FileClose(created), 0);

    char narrow[260];
    uint32_t capacity = sizeof narrow;
    ASSERT_EQ(SYS_WideToFileApi(narrow, &capacity, name.c_str()), SYS_OK);
    SYS_Handle opened = SYS_FileOpen(narrow, SYS_OPEN_READ);
    ASSERT_NE(opened, 0u);
    char text[6] = {};
    EXPECT_EQ(SYS_FileRead(opened, text, 6), SYS_OK);
    EXPECT_EQ(std::string(text, 6), "summer");
    EXPECT_NE(SYS_FileClose(opened), 0);
    EXPECT_EQ(SYS_FileDelete(narrow), SYS_OK);
    EXPECT_EQ(SYS_FileOpenW(name.c_str(), 0), 0u);
}

TEST_F(FilesNames, WideNamesOutsideEveryEightBitPage)
{
    std::u16string name = (m_dir.Path() / std::u16string(u"\u65e5\u672c\u0142.txt")).u16string();
    SYS_Handle created = SYS_FileCreateW(name.c_str());
    ASSERT_NE(created, 0u);
    EXPECT_NE(SYS_FileClose(created), 0);
    SYS_Handle opened = SYS_FileOpenW(name.c_str(), SYS_OPEN_READ);
    EXPECT_NE(opened, 0u);
    EXPECT_NE(SYS_FileClose(opened), 0);
    EXPECT_EQ(SYS_FileDeleteW(name.c_str()), SYS_OK);
}

}
