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

// An open file that is closed, and checked to close, at the end of its scope.
struct OpenFile {
    explicit OpenFile(SYS_Handle handle)
        : h(handle)
    {
        EXPECT_NE(h, 0u);
    }
    ~OpenFile()
    {
        if (h != 0) {
            EXPECT_NE(SYS_FileClose(h), 0);
        }
    }
    uint32_t Position() const
    {
        uint32_t position = 0xDEADBEEF;
        EXPECT_EQ(SYS_FileSeek(h, 0, 1, &position), SYS_OK);
        return position;
    }
    SYS_Handle h;
};

std::vector<unsigned char> Pattern(uint32_t size)
{
    std::vector<unsigned char> bytes(size);
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 1);
    return bytes;
}

uint32_t SizeOf(const std::string& path)
{
    OpenFile file(SYS_FileOpen(path.c_str(), SYS_OPEN_READ));
    uint32_t size = 0xDEADBEEF;
    EXPECT_EQ(SYS_FileSize(file.h, &size), SYS_OK);
    return size;
}

// A temporary folder holding data.bin of size bytes of a known pattern.
class FilesTest : public ::testing::Test {
protected:
    std::string Make(uint32_t size, const std::string& name = "data.bin")
    {
        std::string path = m_dir.File(name);
        OpenFile file(SYS_FileCreate(path.c_str()));
        EXPECT_EQ(SYS_FileWrite(file.h, Pattern(size).data(), size), SYS_OK);
        return path;
    }

    test::TempDir m_dir;
};

TEST_F(FilesTest, BadNamesAndHandleZeroFail)
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

    unsigned char byte = 0;
    uint32_t value = 77;
    EXPECT_EQ(SYS_FileRead(0, &byte, 1), SYS_FAILED);
    EXPECT_EQ(SYS_FileWrite(0, &byte, 1), SYS_FAILED);
    EXPECT_EQ(SYS_FileSeek(0, 0, 0, &value), SYS_FAILED);
    EXPECT_EQ(SYS_FileSize(0, &value), SYS_FAILED);
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(SYS_FileClose(0), 0);
}

TEST_F(FilesTest, CreateNewRefusesAnExistingNameAndLeavesItsBytes)
{
    std::string existing = Make(10);
    EXPECT_EQ(SYS_FileCreateNew(existing.c_str()), 0u);
    EXPECT_EQ(SYS_FileCreateNewW(test::Wide(existing.c_str()).c_str()), 0u);
    EXPECT_EQ(SizeOf(existing), 10u);
    EXPECT_EQ(SYS_FileCreateNew(m_dir.Path().string().c_str()), 0u);
    EXPECT_EQ(SYS_FileCreateNew(nullptr), 0u);
    EXPECT_EQ(SYS_FileCreateNewW(nullptr), 0u);
    {
        OpenFile created(SYS_FileCreateNewW(test::Wide(m_dir.File("new.bin").c_str()).c_str()));
        EXPECT_EQ(SYS_FileWrite(created.h, Pattern(3).data(), 3), SYS_OK);
    }
    EXPECT_EQ(SizeOf(m_dir.File("new.bin")), 3u);
}

TEST_F(FilesTest, ShortReadAtTheEndKeepsTheBytesThatCame)
{
    OpenFile file(SYS_FileOpen(Make(1000).c_str(), SYS_OPEN_READ));
    ASSERT_EQ(SYS_FileSeek(file.h, -40, 2, nullptr), SYS_OK);
    test::GuardedBuffer<unsigned char> buffer(100);
    EXPECT_EQ(SYS_FileRead(file.h, buffer.Data(), 100), SYS_OUT_OF_RANGE);
    std::vector<unsigned char> expected = Pattern(1000);
    EXPECT_TRUE(std::equal(expected.begin() + 960, expected.end(), buffer.Data()));
    EXPECT_TRUE(buffer.GuardsIntact());
    EXPECT_EQ(SYS_FileRead(file.h, buffer.Data(), 1), SYS_OUT_OF_RANGE);
    EXPECT_EQ(SYS_FileRead(file.h, buffer.Data(), 0), SYS_OK);
}

// Mode 0 neither reads nor writes, an open never empties the file, a create always does.
TEST_F(FilesTest, AccessFollowsTheModeBits)
{
    std::string path = Make(8);
    unsigned char bytes[8] = {};
    {
        OpenFile query(SYS_FileOpen(path.c_str(), 0));
        EXPECT_EQ(query.h & 3, 0u);
        EXPECT_EQ(SYS_FileRead(query.h, bytes, 1), SYS_FAILED);
        EXPECT_EQ(SYS_FileWrite(query.h, bytes, 1), SYS_FAILED);
        OpenFile reader(SYS_FileOpen(path.c_str(), SYS_OPEN_READ));
        EXPECT_EQ(SYS_FileWrite(reader.h, bytes, 8), SYS_FAILED);
        EXPECT_EQ(SYS_FileRead(reader.h, bytes, 8), SYS_OK);
        EXPECT_EQ(bytes[7], Pattern(8)[7]);
    }
    {
        OpenFile writer(SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE | 0x100));
        EXPECT_EQ(SYS_FileRead(writer.h, bytes, 1), SYS_FAILED);
        EXPECT_EQ(SYS_FileWrite(writer.h, "ab", 2), SYS_OK);
    }
    EXPECT_EQ(SizeOf(path), 8u);
    {
        OpenFile both(SYS_FileOpen(path.c_str(), READ_WRITE));
        EXPECT_EQ(SYS_FileRead(both.h, bytes, 2), SYS_OK);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 2), "ab");
        EXPECT_EQ(SYS_FileWrite(both.h, "cd", 2), SYS_OK);
        EXPECT_EQ(both.Position(), 4u);
    }
    {
        OpenFile created(SYS_FileCreate(path.c_str()));
        uint32_t size = 1;
        EXPECT_EQ(SYS_FileSize(created.h, &size), SYS_OK);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(SYS_FileWrite(created.h, "xyz", 3), SYS_OK);
        EXPECT_EQ(SYS_FileSeek(created.h, 0, 0, nullptr), SYS_OK);
        char back[3] = {};
        EXPECT_EQ(SYS_FileRead(created.h, back, 3), SYS_OK); // created for reading too
        EXPECT_EQ(std::string(back, 3), "xyz");
    }
    EXPECT_EQ(SizeOf(path), 3u);
}

TEST_F(FilesTest, SeekOriginsSizeAndRefusalsKeepThePosition)
{
    OpenFile file(SYS_FileOpen(Make(100).c_str(), SYS_OPEN_READ));
    const std::pair<int32_t, uint32_t> moves[] = { { 10, 0 }, { 5, 1 }, { -3, 2 }, { 50, 2 } };
    const uint32_t expected[] = { 10, 15, 97, 150 }; // past the end is allowed
    for (size_t i = 0; i < std::size(moves); ++i) {
        uint32_t position = 0;
        EXPECT_EQ(SYS_FileSeek(file.h, moves[i].first, moves[i].second, &position), SYS_OK);
        EXPECT_EQ(position, expected[i]);
    }
    uint32_t position = 42;
    EXPECT_EQ(SYS_FileSeek(file.h, 0, 3, &position), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_FileSeek(0, 0, 3, &position), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_FileSeek(file.h, -1, 0, &position), SYS_FAILED);
    EXPECT_EQ(position, 42u);
    EXPECT_EQ(SYS_FileSize(file.h, &position), SYS_OK);
    EXPECT_EQ(position, 100u);
    EXPECT_EQ(SYS_FileSize(file.h, nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(file.Position(), 150u);
}

TEST_F(FilesTest, DeleteTellsAMissingFileFromOtherFailures)
{
    std::string path = Make(4);
    EXPECT_EQ(SYS_FileDelete(path.c_str()), SYS_OK);
    EXPECT_EQ(SYS_FileOpen(path.c_str(), 0), 0u);
    EXPECT_EQ(SYS_FileDelete(path.c_str()), SYS_FILE_NOT_FOUND);
    EXPECT_EQ(SYS_FileDeleteW(test::Wide(path.c_str()).c_str()), SYS_FILE_NOT_FOUND);
    EXPECT_EQ(SYS_FileDelete(m_dir.File("no-folder/data.bin").c_str()), SYS_OS_ERROR);
    EXPECT_EQ(SYS_FileDelete(m_dir.Path().string().c_str()), SYS_OS_ERROR);
    EXPECT_EQ(SYS_FileDelete(nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_FileDeleteW(nullptr), SYS_BAD_ARGUMENT);
}

TEST_F(FilesTest, ReadersShareAndAWriterIsAlone)
{
    std::string path = Make(10);
    {
        OpenFile first(SYS_FileOpen(path.c_str(), SYS_OPEN_READ));
        OpenFile second(SYS_FileOpen(path.c_str(), SYS_OPEN_READ));
        EXPECT_EQ(SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE), 0u);
        EXPECT_EQ(SYS_FileCreate(path.c_str()), 0u);
        EXPECT_EQ(SizeOf(path), 10u); // the refused create did not empty it
    }
    {
        OpenFile writer(SYS_FileOpen(path.c_str(), READ_WRITE));
        EXPECT_EQ(SYS_FileOpen(path.c_str(), SYS_OPEN_READ), 0u);
        EXPECT_EQ(SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE), 0u);
        OpenFile query(SYS_FileOpen(path.c_str(), 0));
    }
    OpenFile again(SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE));
}

// A name made with "/" opens with "\\"; wide names reach the same file through the 8-bit side
// (é is in every Western page) or only through the wide calls (日本ł is in none).
TEST_F(FilesTest, NamesWithEitherSeparatorAndNonAsciiCharacters)
{
    std::string folder = m_dir.Path().string();
    {
        OpenFile created(SYS_FileCreate((folder + "/slash.bin").c_str()));
        EXPECT_EQ(SYS_FileWrite(created.h, "12345", 5), SYS_OK);
    }
    EXPECT_EQ(SizeOf(folder + "\\slash.bin"), 5u);
    EXPECT_EQ(SYS_FileDelete((folder + "\\slash.bin").c_str()), SYS_OK);

    for (const char16_t* leaf : { u"\u00e9t\u00e9.txt", u"\u65e5\u672c\u0142.txt" }) {
        std::u16string name = (m_dir.Path() / std::u16string(leaf)).u16string();
        {
            OpenFile created(SYS_FileCreateW(name.c_str()));
            EXPECT_EQ(SYS_FileWrite(created.h, "summer", 6), SYS_OK);
        }
        {
            OpenFile reopened(SYS_FileOpenW(name.c_str(), SYS_OPEN_READ));
        }
        char narrow[260];
        uint32_t capacity = sizeof narrow;
        const bool eightBit = leaf[0] == u'\u00e9';
        if (eightBit) {
            ASSERT_EQ(SYS_WideToFileApi(narrow, &capacity, name.c_str()), SYS_OK);
            EXPECT_EQ(SizeOf(narrow), 6u);
        }
        EXPECT_EQ(eightBit ? SYS_FileDelete(narrow) : SYS_FileDeleteW(name.c_str()), SYS_OK);
        EXPECT_EQ(SYS_FileOpenW(name.c_str(), 0), 0u);
    }
}

}
