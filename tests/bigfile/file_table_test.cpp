// The file table: names sorted as unsigned upper-case bytes, found whatever their ASCII case,
// each held once (the first one entered wins), and insertion points from the lookup.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {

using test::StoredMember;

class FileTable : public test::VfsFixture { };

TEST_F(FileTable, NamesAreFoundWithoutRegardToAsciiCase)
{
    ASSERT_EQ(BF_OK,
        Mount("a.cbf",
            { StoredMember("Icons\\ft_dir.tga", Bytes("icon")),
                StoredMember("\xE9t\xE9.txt", Bytes("summer")) }));
    EXPECT_EQ("icon", Content("ICONS\\FT_DIR.TGA"));
    EXPECT_EQ("icon", Content("icons\\Ft_Dir.tga"));
    EXPECT_EQ("summer", Content("\xE9T\xE9.TXT"));
    EXPECT_EQ("missing", Content("\xC9T\xC9.TXT")); // only ASCII letters fold
}

TEST_F(FileTable, ManyNamesInAnyOrderAreIndexedInByteOrder)
{
    std::vector<std::string> names = { "A", "AB", "A\\B", "a.b", "\x80", "Z~", "_" };
    for (int i = 0; i < 3000; ++i)
        names.push_back(
            "dir" + std::to_string(i % 7) + "\\File" + std::to_string(i * 7919 % 10007));
    std::shuffle(names.begin(), names.end(), std::mt19937(5));
    std::vector<test::ArchiveMember> members;
    for (const std::string& name : names)
        members.push_back(StoredMember(name, Bytes(name)));
    ASSERT_EQ(BF_OK, Mount("many.cbf", members, 0, 1));

    std::vector<std::string> expected;
    for (std::string name : names) {
        std::transform(name.begin(), name.end(), name.begin(),
            [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return std::strcmp(a.c_str(), b.c_str()) < 0; // strcmp compares unsigned bytes
    });
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    for (uint32_t i = 0; i < expected.size(); ++i) {
        uint32_t index = 0;
        ASSERT_TRUE(BF_LookupName(expected[i].c_str(), true, &index)) << expected[i];
        EXPECT_EQ(i, index) << expected[i];
    }
}

TEST_F(FileTable, FirstEntryOfADuplicateNameWins)
{
    ASSERT_EQ(BF_OK,
        Mount("dup.cbf",
            { StoredMember("same", Bytes("first")), StoredMember("SAME", Bytes("second")) }));
    EXPECT_EQ("first", Content("Same"));
}

TEST_F(FileTable, LookupGivesTheInsertionPoint)
{
    uint32_t index = 99;
    EXPECT_FALSE(BF_LookupName("B", false, &index));
    EXPECT_EQ(0u, index); // an empty table
    ASSERT_EQ(
        BF_OK, Mount("ac.cbf", { StoredMember("A", Bytes("a")), StoredMember("C", Bytes("c")) }));
    EXPECT_FALSE(BF_LookupName("B", false, &index));
    EXPECT_EQ(1u, index);
    EXPECT_FALSE(BF_LookupName("D", false, &index));
    EXPECT_EQ(1u, index); // after every entry: the last one's place, and the entry goes after it
    EXPECT_TRUE(BF_LookupName("C", false, &index));
    EXPECT_EQ(1u, index);
    EXPECT_FALSE(BF_LookupName("0", true, &index));
}

}
