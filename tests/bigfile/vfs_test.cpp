// The virtual file interface: where a name is found, reads and seeks at the edges of a file,
// and the handle table with its pseudo handles, which never equal a system handle.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"

#include <set>

namespace {

using test::StoredMember;

// "prefix" followed by the number, built without the temporary strings of operator+.
std::string Numbered(const char* prefix, int number)
{
    std::string name(prefix);
    name += std::to_string(number);
    return name;
}

class Vfs : public test::VfsFixture {
protected:
    void PutText(const std::string& name, const std::string& text) { Put(name, Bytes(text)); }
};

struct OrderCase {
    uint32_t plainNames;
    uint32_t diskFirst;
    const char* name; // "*" stands for the base folder
    const char* expected;
};

// "same.txt" is in the archive and the base folder, "diskonly.txt" only in the base folder.
const OrderCase ORDER_CASES[] = {
    { 0, 0, "same.txt", "archive" },
    { 0, 0, "diskonly.txt", "only on disk" },
    { 1, 0, "same.txt", "archive" },
    { 1, 1, "same.txt", "disk" },
    // Disk first without plain names: only names never looked up in the archives reach the disk.
    { 0, 1, "same.txt", "archive" },
    { 0, 1, "diskonly.txt", "missing" },
    { 0, 1, "*diskonly.txt", "only on disk" },
};

TEST_F(Vfs, ArchivesComeFirstUnlessTheDiskIsAskedFirst)
{
    PutText("same.txt", "disk");
    PutText("diskonly.txt", "only on disk");
    for (const OrderCase& order : ORDER_CASES) {
        BF_InitParams params = Params();
        params.plainNames = order.plainNames;
        params.diskFirst = order.diskFirst;
        ASSERT_EQ(1, Restart(params));
        ASSERT_EQ(BF_OK, Mount("a.cbf", { StoredMember("same.txt", Bytes("archive")) }));
        std::string name = order.name[0] == '*' ? m_base + (order.name + 1) : order.name;
        EXPECT_EQ(order.expected, Content(name.c_str()))
            << order.plainNames << order.diskFirst << " " << order.name;
    }
}

TEST_F(Vfs, WithoutABaseFolderRelativeNamesOpenFromTheCurrentFolder)
{
    PutText("diskonly.txt", "only on disk");
    char16_t current[260] = {};
    ASSERT_NE(0u, BF_GetCurrentDir(260, current));
    BF_InitParams params = Params();
    params.baseDir = nullptr;
    ASSERT_EQ(1, Restart(params));
    ASSERT_EQ(1, BF_SetCurrentDir(m_dir.Path().u16string().c_str()));
    std::string content = Content("diskonly.txt");
    ASSERT_EQ(1, BF_SetCurrentDir(current));
    EXPECT_EQ("only on disk", content);
}

TEST_F(Vfs, DriveNetworkAndWritePathsAreNeverLookedUp)
{
    ASSERT_EQ(BF_OK,
        Mount("odd.cbf",
            { StoredMember("C:\\DIR\\FILE", Bytes("drive")),
                StoredMember("\\\\SERVER\\SHARE\\FILE", Bytes("net")),
                StoredMember("W.TXT", Bytes("write")) }));
    EXPECT_EQ(0u, BF_OpenEx("C:\\dir\\file", 0, 0));
    EXPECT_EQ(0u, BF_OpenEx("\\\\server\\share\\file", 0, 0));
    EXPECT_EQ(0u, BF_OpenEx("w.txt", BF_GENERIC_WRITE, 0));
    EXPECT_EQ("write", Content("w.txt"));
}

TEST_F(Vfs, ReadsStopAtTheEndAndSeeksFollowTheirOrigin)
{
    ASSERT_EQ(BF_OK, Mount("a.cbf", { StoredMember("f", Bytes("0123456789abcdefghij")) }));
    BF_Handle file = BF_OpenEx("f", 0, 0);
    ASSERT_NE(0u, file);
    char buffer[16] = {};
    EXPECT_EQ(15u, BF_Seek(file, 5, 2));
    EXPECT_EQ(5u, BF_Read(file, buffer, 10));
    EXPECT_EQ("fghij", std::string(buffer, 5));
    EXPECT_EQ(0u, BF_Read(file, buffer, 10));
    EXPECT_EQ(20u, BF_Seek(file, 0, 2));
    EXPECT_EQ(BF_BAD_POSITION, BF_Seek(file, 21, 2));
    EXPECT_EQ(20u, BF_Seek(file, 0, 1)); // the refused seek left the position
    EXPECT_EQ(2u, BF_Seek(file, 2, 0));
    EXPECT_EQ(5u, BF_Seek(file, 3, 1));
    EXPECT_EQ(1u, BF_Read(file, buffer, 1));
    EXPECT_EQ('5', buffer[0]);
    EXPECT_EQ(1000u, BF_Seek(file, 1000, 0));
    EXPECT_EQ(0u, BF_Read(file, buffer, 1));
    EXPECT_EQ(BF_BAD_POSITION, BF_Seek(file, 0, 3));
    EXPECT_EQ(0u, BF_Read(file, nullptr, 1));
    EXPECT_EQ(20u, BF_GetSize(file));
    BF_Close(file);
    EXPECT_EQ(BF_BAD_POSITION, BF_GetSize(file));
    EXPECT_EQ(BF_BAD_POSITION, BF_Seek(0, 0, 0));
    EXPECT_EQ(0u, BF_Read(0, buffer, 1));
    BF_Close(0);
}

TEST_F(Vfs, ScrambledMembersReadInAnyPieces)
{
    std::vector<uint8_t> data = test::SampleBytes(777, 3);
    ASSERT_EQ(BF_OK, Mount("s.cbf", { test::ScrambledMember("s", data) }));
    BF_Handle file = BF_OpenEx("s", 0, 0);
    ASSERT_NE(0u, file);
    EXPECT_EQ(data, ReadRest(file, 100));
    std::vector<uint8_t> part(50);
    ASSERT_EQ(300u, BF_Seek(file, 300, 0));
    ASSERT_EQ(50u, BF_Read(file, part.data(), 50));
    EXPECT_TRUE(std::equal(part.begin(), part.end(), data.begin() + 300));
    BF_Close(file);
}

TEST_F(Vfs, OpensOfOneMemberAreIndependent)
{
    ASSERT_EQ(BF_OK, Mount("a.cbf", { StoredMember("m", Bytes("member")) }));
    BF_Handle first = BF_OpenEx("m", 0, 0);
    BF_Handle second = BF_OpenEx("m", 0, 0);
    ASSERT_NE(0u, first);
    EXPECT_NE(first, second);
    EXPECT_EQ(1u, first & 1u);
    EXPECT_EQ(1u, second & 1u);
    EXPECT_EQ(3u, BF_Seek(first, 3, 0));
    BF_Close(first);
    EXPECT_EQ(Bytes("member"), ReadRest(second));
    BF_Close(second);
}

TEST_F(Vfs, MoreThan511FilesStayOpenAndValid)
{
    std::vector<test::ArchiveMember> members;
    for (int i = 0; i < 600; ++i)
        members.push_back(StoredMember(Numbered("m", i), Bytes(std::to_string(i))));
    ASSERT_EQ(BF_OK, Mount("many.cbf", members));
    std::vector<BF_Handle> files;
    for (int i = 0; i < 600; ++i) {
        files.push_back(BF_OpenEx(Numbered("m", i).c_str(), 0, 0));
        ASSERT_NE(0u, files.back());
    }
    for (int i = 0; i < 600; ++i)
        EXPECT_EQ(Bytes(std::to_string(i)), ReadRest(files[i])) << i;
    for (BF_Handle file : files)
        BF_Close(file);
}

TEST_F(Vfs, PseudoHandlesNeverMeetSystemHandles)
{
    ASSERT_EQ(BF_OK, Mount("a.cbf", { StoredMember("m", Bytes("member")) }));
    std::set<BF_Handle> seen;
    std::vector<BF_Handle> members;
    std::vector<std::pair<BF_Handle, std::string>> disk;
    for (int i = 0; i < 1000; ++i) {
        if (i % 20 == 0) {
            std::string text = Numbered("disk ", i);
            std::string name = Numbered("d", i) + ".txt";
            PutText(name, text);
            disk.emplace_back(BF_OpenEx(name.c_str(), 0, 0), text);
            ASSERT_NE(0u, disk.back().first);
            EXPECT_EQ(0u, disk.back().first & 3u);
            EXPECT_TRUE(seen.insert(disk.back().first).second);
        }
        members.push_back(BF_OpenEx("m", 0, 0));
        ASSERT_NE(0u, members.back());
        EXPECT_TRUE(seen.insert(members.back()).second);
    }
    for (BF_Handle member : members)
        BF_Close(member);
    for (const auto& [file, text] : disk) {
        EXPECT_EQ(Bytes(text), ReadRest(file));
        BF_Close(file);
    }
}

TEST_F(Vfs, MembersWithAHandleOfTheirOwnReadThroughASecondOpen)
{
    ASSERT_EQ(BF_OK, Mount("a.cbf", { StoredMember("m", Bytes("member")) }));
    BF_Handle own = BF_OpenEx("m", BF_OWN_HANDLE, 0);
    BF_Handle shared = BF_OpenEx("m", 0, 0);
    ASSERT_NE(0u, own);
    EXPECT_EQ(0u, own & 3u);
    EXPECT_EQ(2u, BF_Seek(shared, 2, 0));
    EXPECT_EQ(Bytes("member"), ReadRest(own));
    EXPECT_EQ(Bytes("mber"), ReadRest(shared));
    BF_Close(own);
    BF_Close(shared);
}

std::vector<std::string> g_notified;

uint32_t Notice(uint32_t what, const char* name, uintptr_t extra)
{
    g_notified.push_back(std::to_string(what) + " " + name + " " + std::to_string(extra));
    return 0;
}

TEST_F(Vfs, ExistsAndSizeByNameWithTheOpenNotice)
{
    BF_InitParams params = Params();
    params.openNotify = Notice;
    ASSERT_EQ(1, Restart(params));
    ASSERT_EQ(BF_OK, Mount("a.cbf", { StoredMember("m", Bytes("member")) }));
    g_notified.clear();
    EXPECT_EQ(1, BF_Exists("M"));
    EXPECT_EQ(0, BF_Exists("none"));
    EXPECT_TRUE(g_notified.empty()); // BF_Exists opens without the notice
    EXPECT_EQ(6u, BF_GetFileSize("m"));
    EXPECT_EQ(BF_BAD_POSITION, BF_GetFileSize("none"));
    EXPECT_EQ((std::vector<std::string> { "1 m 0", "1 none 0" }), g_notified);
}

}
