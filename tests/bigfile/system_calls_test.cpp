// The module's low-level file calls and path helpers on whichever backend is built: the
// contract of the seam (failures, short reads, positions) and the 8-bit path of systems
// without the wide calls. Also the start: folders that must exist, one start at a time.
#include "bigfile/bigfile.h"
#include "bigfile/bigfile_internal.h"
#include "bigfile/os_file.h"
#include "tests/bigfile/vfs_fixture.h"

#include <filesystem>

namespace {

class SysCalls : public test::VfsFixture {
protected:
    std::u16string Current()
    {
        char16_t buffer[260] = {};
        EXPECT_NE(0u, BF_GetCurrentDir(260, buffer));
        return buffer;
    }
};

TEST_F(SysCalls, OpenReadSeekSizeClose)
{
    Put("ten.bin", Bytes("0123456789"));
    std::filesystem::create_directory(m_dir.Path() / "folder");
    EXPECT_EQ(0u, BF_SysOpen(m_dir.File("missing").c_str(), BF_GENERIC_READ));
    EXPECT_EQ(0u, BF_SysOpen(m_dir.File("folder").c_str(), BF_GENERIC_READ));
    SYS_Handle file = BF_SysOpen(m_dir.File("ten.bin").c_str(), BF_OWN_HANDLE);
    ASSERT_NE(0u, file);
    EXPECT_EQ(0u, file & 3u);
    EXPECT_EQ(10u, BF_SysSize(file));
    EXPECT_EQ(7u, BF_SysSeek(file, -3, 2));
    char buffer[8] = {};
    EXPECT_EQ(3u, BF_SysRead(file, buffer, sizeof(buffer))); // a short read at the end
    EXPECT_EQ("789", std::string(buffer, 3));
    EXPECT_EQ(2u, BF_SysSeek(file, 2, 0));
    EXPECT_EQ(5u, BF_SysSeek(file, 3, 1));
    EXPECT_EQ(BF_BAD_POSITION, BF_SysSeek(file, -1, 0));
    EXPECT_EQ(BF_BAD_POSITION, BF_SysSeek(file, 0, 3));
    EXPECT_EQ(1, BF_SysClose(file));
    EXPECT_EQ(0, BF_SysClose(0));
    EXPECT_EQ(BF_BAD_POSITION, BF_SysSize(0));
    EXPECT_EQ(0u, BF_SysRead(0, buffer, 1));
}

TEST_F(SysCalls, ReadsAtAnOffsetIgnoreThePosition)
{
    Put("ten.bin", Bytes("0123456789"));
    SYS_Handle file = BF_SysOpen(m_dir.File("ten.bin").c_str(), 0);
    ASSERT_NE(0u, file);
    EXPECT_EQ(9u, BF_SysSeek(file, 9, 0));
    char buffer[8] = {};
    EXPECT_EQ(4u, bigfile::detail::SysReadAt(file, 2, buffer, 4));
    EXPECT_EQ("2345", std::string(buffer, 4));
    EXPECT_EQ(2u, bigfile::detail::SysReadAt(file, 8, buffer, 8)); // a short read at the end
    EXPECT_EQ("89", std::string(buffer, 2));
    EXPECT_EQ(0u, bigfile::detail::SysReadAt(file, 10, buffer, 1));
    EXPECT_EQ(0u, bigfile::detail::SysReadAt(file, UINT64_MAX - 1, buffer, 1));
    EXPECT_EQ(0u, bigfile::detail::SysReadAt(0, 0, buffer, 1));
    (void)BF_SysClose(file);
}

TEST_F(SysCalls, NamesIgnoreLetterCaseAndTakeEitherSeparator)
{
    std::filesystem::create_directory(m_dir.Path() / "Sub");
    Put("Sub/File.txt", Bytes("x"));
    SYS_Handle file = BF_SysOpen((m_base + "SUB\\FILE.TXT").c_str(), 0);
    EXPECT_NE(0u, file);
    (void)BF_SysClose(file);
    file = BF_SysOpen((m_base + "Sub/File.txt").c_str(), 0);
    EXPECT_NE(0u, file);
    (void)BF_SysClose(file);
}

TEST_F(SysCalls, FullPathsAndTheCurrentFolder)
{
    std::u16string before = Current();
    ASSERT_EQ(1, BF_SetCurrentDir(m_dir.Path().u16string().c_str()));
    std::u16string here = Current();
    char16_t full[260] = {};
    char16_t* filePart = nullptr;
    uint32_t length = BF_GetFullPath(u"a\\..\\b\\name.txt", 260, full, &filePart);
    ASSERT_NE(0u, length);
    std::u16string path(full, length);
    EXPECT_EQ(0u, path.find(here));
    EXPECT_EQ(u"name.txt", std::u16string(filePart));
    EXPECT_EQ(std::u16string::npos, path.find(u".."));
    EXPECT_EQ(0u, BF_GetFullPath(u"x", 3, full, nullptr)); // does not fit
    EXPECT_EQ(0, BF_SetCurrentDir(u"no such folder"));
    EXPECT_EQ(1, BF_SetCurrentDir(before.c_str()));
}

TEST_F(SysCalls, TheEightBitPathReachesTheSameFiles)
{
    Put("eight.bin", Bytes("8"));
    std::u16string path = PathOf("eight.bin");
    bigfile::detail::SetWideCallsForTest(false);
    SYS_Handle file = BF_OpenWide(path.c_str(), BF_GENERIC_READ);
    char16_t full[260] = {};
    uint32_t length = BF_GetFullPath(path.c_str(), 260, full, nullptr);
    std::u16string current = Current();
    bigfile::detail::SetWideCallsForTest(bigfile::os::HasWideCalls());
    EXPECT_NE(0u, file);
    (void)BF_SysClose(file);
    EXPECT_EQ(path, std::u16string(full, length));
    EXPECT_EQ(Current(), current);
}

TEST_F(SysCalls, StartNeedsExistingFoldersAndHappensOnce)
{
    BF_InitParams params = Params();
    EXPECT_EQ(0, BF_Init(&params)); // already started
    EXPECT_EQ(0, BF_Init(nullptr));
    BF_Shutdown();
    std::string missing = m_dir.File("missing");
    params.baseDir = missing.c_str();
    EXPECT_EQ(0, BF_Init(&params));
    params = Params();
    params.secondDir = missing.c_str();
    EXPECT_EQ(0, BF_Init(&params));
    std::string noSeparator = m_dir.Path().string();
    params = Params();
    params.baseDir = noSeparator.c_str();
    ASSERT_EQ(1, BF_Init(&params));
    Put("base.txt", Bytes("base"));
    EXPECT_EQ("base", Content("base.txt")); // the folder got its separator
}

}
