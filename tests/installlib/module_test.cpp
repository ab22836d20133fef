// The module's life: nested starts, and the delete list, whose files go at the last shutdown
// only (by the wide or the 8-bit calls), with the system's deletion at restart asked for on the
// NT family only.
#include "tests/installlib/installlib_fixture.h"

namespace {

using namespace test;

std::vector<std::u16string> g_restartDeletes;

bool RecordRestartDelete(const char16_t* path)
{
    g_restartDeletes.emplace_back(path);
    return true;
}

class InstallLibFilesDeleteList : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_restartDeletes.clear();
        m_calls.deleteAtRestart = RecordRestartDelete;
    }
    bool Exists(const std::string& name) const
    {
        return std::filesystem::exists(m_dir.Path() / name);
    }
};

TEST_F(InstallLibFilesDeleteList, ScheduledFilesGoAtTheLastShutdownOnly)
{
    WriteText(m_dir.Path() / "a.tmp", "a");
    WriteText(m_dir.Path() / "b.tmp", "b");
    Start();
    Start();
    EXPECT_EQ(1u, ScheduleDelete(PathOf("a.tmp").c_str()));
    EXPECT_EQ(1u, ScheduleDelete(PathOf("b.tmp").c_str()));
    EXPECT_EQ(1u, ScheduleDelete(PathOf("never-made.tmp").c_str()));
    Done();
    EXPECT_TRUE(Exists("a.tmp"));
    EXPECT_TRUE(Exists("b.tmp"));
    Done();
    EXPECT_FALSE(Exists("a.tmp"));
    EXPECT_FALSE(Exists("b.tmp"));
    EXPECT_EQ(3u, g_restartDeletes.size());
    EXPECT_EQ(PathOf("a.tmp"), g_restartDeletes.front());
}

TEST_F(InstallLibFilesDeleteList, AnsiSystemDeletesByTheNarrowCallsWithoutRestartDeletes)
{
    WriteText(m_dir.Path() / "a.tmp", "a");
    Start(false);
    EXPECT_EQ(1u, ScheduleDelete(PathOf("a.tmp").c_str()));
    Done();
    EXPECT_FALSE(Exists("a.tmp"));
    EXPECT_TRUE(g_restartDeletes.empty());
}

TEST_F(InstallLibFilesDeleteList, NothingIsScheduledOutsideTheModuleLife)
{
    WriteText(m_dir.Path() / "a.tmp", "a");
    EXPECT_EQ(0u, ScheduleDelete(PathOf("a.tmp").c_str()));
    Start();
    EXPECT_EQ(0u, ScheduleDelete(nullptr));
    Done();
    DoneInstallLib(); // one shutdown too many changes nothing
    EXPECT_TRUE(Exists("a.tmp"));
    EXPECT_EQ(nullptr, installlib::detail::DeleteList());
}

}
