// Staging on POSIX: files go into a private folder of the process below $TMPDIR, so that what
// another user planted in the shared folder (a link to a victim file, a world-writable file of
// the staged name) is neither written through nor used; the folder goes at the last shutdown.
#include "tests/installlib/installlib_fixture.h"
#include "tests/support/scoped_environment.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace test;
namespace fs = std::filesystem;

class InstallLibPrivateStaging : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        fs::create_directory(m_shared);
        WriteText(m_dir.Path() / "victim.txt", "victim");
        fs::create_symlink(m_dir.Path() / "victim.txt", m_shared / "patcher.cbf");
        WriteText(m_shared / "tool.exe", "planted");
        fs::permissions(m_shared / "tool.exe", fs::perms::all);
        WriteText(m_dir.Path() / "patcher.cbf", "archive bytes");
        Start();
    }
    static unsigned Mode(const fs::path& path)
    {
        struct stat status { };
        EXPECT_EQ(0, lstat(path.c_str(), &status)) << path;
        return status.st_mode & 07777;
    }
    std::string Staged(const char16_t* path) const { return Narrow(path); }

    fs::path m_shared = m_dir.Path() / "shared";
    ScopedEnvironment m_tmpdir { "TMPDIR", m_shared.c_str() };
};

TEST_F(InstallLibPrivateStaging, PlantedFilesStayUntouchedAndStagingGoesToAPrivateFolder)
{
    GuardedBuffer<char16_t> data(INSTALLLIB_PATH_CAPACITY);
    ASSERT_EQ(1, CopyToTemp(PathOf("patcher.cbf").c_str(), data.Data(), data.Capacity()));
    const fs::path stagedData(Staged(data.Data()));
    EXPECT_EQ("archive bytes", ReadText(stagedData));
    const fs::path folder = stagedData.parent_path();
    EXPECT_EQ(m_shared, folder.parent_path());
    EXPECT_EQ(0700u, Mode(folder));

    const std::string base = m_dir.File("");
    BF_InitParams params {};
    params.baseDir = base.c_str();
    ASSERT_EQ(1, BF_Init(&params));
    WriteBytes(
        m_dir.File("data.cbf"), BuildArchive({ StoredMember("SETUP\\TOOL.EXE", { 'M', 'Z' }) }));
    ASSERT_EQ(BF_OK, LoadBF(PathOf("data.cbf").c_str(), 0));
    GuardedBuffer<char16_t> program(INSTALLLIB_PATH_CAPACITY);
    EXPECT_EQ(1, ExtractToTemp("setup\\tool.exe", program.Data(), program.Capacity()));
    BF_Shutdown();
    EXPECT_EQ(folder / "tool.exe", fs::path(Staged(program.Data())));
    EXPECT_EQ("MZ", ReadText(folder / "tool.exe"));
    EXPECT_EQ(0700u, Mode(folder / "tool.exe"));

    EXPECT_EQ("victim", ReadText(m_dir.Path() / "victim.txt"));
    EXPECT_TRUE(fs::is_symlink(m_shared / "patcher.cbf"));
    EXPECT_EQ("planted", ReadText(m_shared / "tool.exe"));
    Done();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ("victim", ReadText(m_dir.Path() / "victim.txt"));
}

TEST_F(InstallLibPrivateStaging, FolderIsMadeBelowTmpdirElseTmpAndNamedAfreshEachRun)
{
    char16_t first[INSTALLLIB_PATH_CAPACITY];
    ASSERT_TRUE(installlib::detail::TempFolder(first, INSTALLLIB_PATH_CAPACITY));
    EXPECT_EQ(m_shared, fs::path(Staged(first)).parent_path().parent_path());
    Done();
    EXPECT_FALSE(fs::exists(Staged(first)));

    ScopedEnvironment unset("TMPDIR", nullptr);
    Start();
    char16_t second[INSTALLLIB_PATH_CAPACITY];
    ASSERT_TRUE(installlib::detail::TempFolder(second, INSTALLLIB_PATH_CAPACITY));
    EXPECT_EQ(fs::path("/tmp"), fs::path(Staged(second)).parent_path().parent_path());
    EXPECT_TRUE(fs::is_directory(Staged(second)));
}

// A process killed before its shutdown leaves its private folder; the next one removes it, but
// never the folder of a process that runs, a name it did not make, or what a link points to.
TEST_F(InstallLibPrivateStaging, FoldersOfProcessesThatAreGoneGoWithTheNextRun)
{
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_EQ(gone, waitpid(gone, nullptr, 0));
    const auto named = [this](pid_t pid, const char* tail) {
        return m_shared / ("patcher-" + std::to_string(pid) + "-" + tail);
    };
    fs::create_directories(named(gone, "Ab12Cd") / "sub");
    WriteText(named(gone, "Ab12Cd") / "sub" / "patcher.cbf", "left");
    fs::create_directory(named(getpid(), "Ef34Gh"));
    fs::create_directory(m_shared / ("patcher-" + std::to_string(gone) + "-toolongname"));
    fs::create_directory(m_dir.Path() / "kept");
    WriteText(m_dir.Path() / "kept" / "file", "kept");
    fs::create_directory_symlink(m_dir.Path() / "kept", named(gone, "Ij56Kl"));
    Done();
    Start();
    char16_t folder[INSTALLLIB_PATH_CAPACITY];
    ASSERT_TRUE(installlib::detail::TempFolder(folder, INSTALLLIB_PATH_CAPACITY));
    EXPECT_FALSE(fs::exists(named(gone, "Ab12Cd")));
    EXPECT_TRUE(fs::is_directory(named(getpid(), "Ef34Gh")));
    EXPECT_TRUE(fs::exists(m_shared / ("patcher-" + std::to_string(gone) + "-toolongname")));
    EXPECT_TRUE(fs::is_symlink(named(gone, "Ij56Kl")));
    EXPECT_EQ("kept", ReadText(m_dir.Path() / "kept" / "file"));
    EXPECT_EQ(0u,
        fs::path(Staged(folder))
            .parent_path()
            .filename()
            .string()
            .find("patcher-" + std::to_string(getpid()) + "-"));
}

}
