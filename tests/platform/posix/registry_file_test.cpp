// The POSIX registry's file: where it is found, what is written into it, and the update rules
// that keep it whole: concurrent writers lose nothing, a crash before the rename leaves the old
// file, a file that is not a registry export is never overwritten.
#include "platform/platform.h"
#include "platform/posix/registry_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using test::ScopedEnvironment;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

}

namespace {

class RegistryFileTest : public testing::Test {
protected:
    test::TempDir m_folder;
    std::string m_hive = m_folder.File("config/patcher/registry.reg");
    ScopedEnvironment m_environment { "PATCHER_REGISTRY", m_hive.c_str() };
};

TEST_F(RegistryFileTest, HivePathFollowsTheEnvironment)
{
    EXPECT_EQ(platform::detail::HivePath(), m_hive);
    ScopedEnvironment noOverride("PATCHER_REGISTRY", nullptr);
    ScopedEnvironment home("HOME", "/home/someone");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/etc/xdg-someone");
        EXPECT_EQ(platform::detail::HivePath(), "/etc/xdg-someone/patcher/registry.reg");
    }
    ScopedEnvironment relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(platform::detail::HivePath(), "/home/someone/.config/patcher/registry.reg");
    ScopedEnvironment noHome("HOME", nullptr);
    EXPECT_EQ(platform::detail::HivePath(), "");
    EXPECT_EQ(SYS_RegCreateKey("Software\\Game"), 0u);
}

// The first write makes the hive's folders; every query reads the file again.
TEST_F(RegistryFileTest, WritesGoToTheHiveFileAndQueriesSeeChangesMadeByOthers)
{
    SYS_RegKey key = SYS_RegCreateKey("Software\\Game");
    ASSERT_NE(key, 0u);
    ASSERT_EQ(SYS_RegSetDword(key, "Version", 123), SYS_OK);
    EXPECT_EQ(ReadFile(m_hive),
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Game]\r\n\"Version\"=dword:0000007b\r\n\r\n");
    WriteFile(
        m_hive, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Game]\n\"Edited\"=dword:00000009\n");
    uint32_t value = 0;
    EXPECT_EQ(SYS_RegQueryValue(key, "Edited", &value, sizeof value), SYS_OK);
    EXPECT_EQ(value, 9u);
    EXPECT_EQ(SYS_RegCloseKey(key), 0u);
    EXPECT_EQ(SYS_RegCloseKey(key), 6u) << "a closed key is no longer a key";
}

TEST_F(RegistryFileTest, AFileThatIsNoRegistryIsNeverOverwritten)
{
    std::filesystem::create_directories(std::filesystem::path(m_hive).parent_path());
    WriteFile(m_hive, "precious notes\n[HKEY_LOCAL_MACHINE\\Software]\n");
    EXPECT_EQ(SYS_RegCreateKey("Software\\Game"), 0u);
    EXPECT_EQ(ReadFile(m_hive), "precious notes\n[HKEY_LOCAL_MACHINE\\Software]\n");

    // An empty file is an empty registry and may be written.
    WriteFile(m_hive, "");
    SYS_RegKey key = SYS_RegCreateKey("Software\\Game");
    EXPECT_NE(key, 0u);
    (void)SYS_RegCloseKey(key);
}

// Each child writes its values one call at a time, so every call is a full locked update.
void WriteValuesInChild(int gate, char prefix)
{
    char go = 0;
    if (::read(gate, &go, 1) != 0)
        ::_exit(10);
    SYS_RegKey key = SYS_RegCreateKey("Software\\Shared");
    for (uint32_t i = 0; i < 200 && key != 0; ++i) {
        std::string name = prefix + std::to_string(i);
        if (SYS_RegSetDword(key, name.c_str(), i * 2 + (prefix == 'a')) != SYS_OK)
            ::_exit(11);
    }
    ::_exit(key != 0 ? 0 : 12);
}

TEST_F(RegistryFileTest, TwoProcessesWritingAtOnceLoseNoValue)
{
    // 400 synced replacements take seconds on a disk; what is tested here is the locking, which
    // a memory file system shows just as well, so the hive goes there when there is one.
    std::optional<ScopedEnvironment> inMemory;
    if (std::filesystem::is_directory("/dev/shm"))
        inMemory.emplace("TMPDIR", "/dev/shm");
    test::TempDir folder;
    ScopedEnvironment hive("PATCHER_REGISTRY", folder.File("registry.reg").c_str());
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            ::close(gate[1]);
            WriteValuesInChild(gate[0], i == 0 ? 'a' : 'b');
        }
    }
    ::close(gate[0]);
    ::close(gate[1]); // both children start writing now
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    SYS_RegKey key = SYS_RegOpenKey("Software\\Shared");
    ASSERT_NE(key, 0u);
    int found = 0;
    for (char prefix : { 'a', 'b' })
        for (uint32_t i = 0; i < 200; ++i) {
            uint32_t value = 0;
            std::string name = prefix + std::to_string(i);
            found += SYS_RegQueryValue(key, name.c_str(), &value, sizeof value) == SYS_OK
                && value == i * 2 + (prefix == 'a');
        }
    EXPECT_EQ(found, 400);
    (void)SYS_RegCloseKey(key);
}

TEST_F(RegistryFileTest, ACrashBeforeTheRenameLeavesTheOldHive)
{
    SYS_RegKey key = SYS_RegCreateKey("Software\\Game");
    ASSERT_NE(key, 0u);
    ASSERT_EQ(SYS_RegSetDword(key, "Old", 1), SYS_OK);
    std::string before = ReadFile(m_hive);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::detail::SetHiveCommitHook([] { ::_exit(42); });
        (void)SYS_RegSetDword(key, "Lost", 2);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 42) << "the hook ended the write";

    EXPECT_EQ(ReadFile(m_hive), before);
    uint32_t value = 0;
    EXPECT_EQ(SYS_RegQueryValue(key, "Old", &value, sizeof value), SYS_OK);
    EXPECT_EQ(SYS_RegQueryValue(key, "Lost", &value, sizeof value), SYS_OS_ERROR);

    // The lock died with the child and its left-over temporary file is simply replaced.
    ASSERT_EQ(SYS_RegSetDword(key, "Next", 3), SYS_OK);
    EXPECT_EQ(SYS_RegQueryValue(key, "Next", &value, sizeof value), SYS_OK);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(SYS_RegQueryValue(key, "Old", &value, sizeof value), SYS_OK);
    (void)SYS_RegCloseKey(key);
}

// The mode of the hive's file, or 0 when it cannot be read.
unsigned ModeOf(const std::string& path)
{
    struct stat status { };
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST_F(RegistryFileTest, RewriteKeepsTheModeAndNeverWritesThroughALink)
{
    SYS_RegKey key = SYS_RegCreateKey("Software\\Game");
    ASSERT_NE(key, 0u);
    for (unsigned mode : { 0600u, 0640u }) {
        ASSERT_EQ(::chmod(m_hive.c_str(), mode), 0);
        ASSERT_EQ(SYS_RegSetDword(key, "Value", mode), SYS_OK);
        EXPECT_EQ(ModeOf(m_hive), mode);
    }

    // A link planted under the temporary file's name is not written through.
    const std::string victim = m_folder.File("victim.txt");
    WriteFile(victim, "victim");
    ASSERT_EQ(::symlink(victim.c_str(), (m_hive + ".tmp").c_str()), 0);
    ASSERT_EQ(SYS_RegSetDword(key, "Value", 1), SYS_OK);
    EXPECT_EQ(ReadFile(victim), "victim");

    // A hive that is itself a link is refused, and the link and its target stay as they were.
    const std::string elsewhere = m_folder.File("elsewhere.reg");
    ASSERT_EQ(::rename(m_hive.c_str(), elsewhere.c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), m_hive.c_str()), 0);
    const std::string before = ReadFile(elsewhere);
    EXPECT_EQ(SYS_RegSetDword(key, "Value", 2), SYS_OS_ERROR);
    EXPECT_EQ(ReadFile(elsewhere), before);
    EXPECT_TRUE(std::filesystem::is_symlink(m_hive));
    uint32_t value = 0;
    EXPECT_EQ(SYS_RegQueryValue(key, "Value", &value, sizeof value), SYS_OK) << "still readable";
    EXPECT_EQ(value, 1u);
    (void)SYS_RegCloseKey(key);
}

int g_rewrites = 0;

TEST_F(RegistryFileTest, BatchIsOneRewriteAndACrashInItLosesAllOrNothing)
{
    SYS_RegKey key = SYS_RegCreateKey("Software\\Game");
    ASSERT_NE(key, 0u);
    ASSERT_EQ(SYS_RegSetDword(key, "Old", 1), SYS_OK);
    const std::string before = ReadFile(m_hive);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::detail::SetHiveCommitHook([] { ::_exit(42); });
        bool held = SYS_RegBeginBatch(key) == SYS_OK && SYS_RegSetDword(key, "A", 1) == SYS_OK
            && SYS_RegSetString(key, "B", "b") == SYS_OK;
        (void)SYS_RegCommitBatch(key);
        ::_exit(held ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 42) << status;
    EXPECT_EQ(ReadFile(m_hive), before);

    g_rewrites = 0;
    platform::detail::SetHiveCommitHook([] { ++g_rewrites; });
    ASSERT_EQ(SYS_RegBeginBatch(key), SYS_OK);
    for (uint32_t i = 0; i < 10; ++i)
        ASSERT_EQ(SYS_RegSetDword(key, ("V" + std::to_string(i)).c_str(), i), SYS_OK);
    EXPECT_EQ(SYS_RegSetDword(key, "bad\nname", 1), SYS_OS_ERROR);
    EXPECT_EQ(g_rewrites, 0);
    EXPECT_EQ(ReadFile(m_hive), before) << "nothing is written before the commit";
    ASSERT_EQ(SYS_RegCommitBatch(key), SYS_OK);
    EXPECT_EQ(g_rewrites, 1);
    uint32_t value = 0;
    EXPECT_EQ(SYS_RegQueryValue(key, "V9", &value, sizeof value), SYS_OK);
    EXPECT_EQ(value, 9u);

    // After the commit writes go straight to the file again; a batch dropped by closing its
    // key stores nothing.
    ASSERT_EQ(SYS_RegSetDword(key, "After", 1), SYS_OK);
    EXPECT_EQ(g_rewrites, 2);
    ASSERT_EQ(SYS_RegBeginBatch(key), SYS_OK);
    ASSERT_EQ(SYS_RegSetDword(key, "Dropped", 1), SYS_OK);
    EXPECT_EQ(SYS_RegCloseKey(key), 0u);
    EXPECT_EQ(g_rewrites, 2);
    platform::detail::SetHiveCommitHook(nullptr);
    EXPECT_EQ(SYS_RegCommitBatch(key), SYS_OS_ERROR) << "the key is closed";
}

}
