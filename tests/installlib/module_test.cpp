// The module's life: nested starts, and the delete list, whose files go at the last shutdown
// only (by the wide or the 8-bit calls), with deletion at restart asked for on the NT family only.
#include "tests/installlib/installlib_fixture.h"

namespace {

using namespace test;

int g_restartDeletes = 0;

class InstallLibFilesDeleteList : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_restartDeletes = 0;
        m_calls.deleteAtRestart = [](const char16_t*) { return ++g_restartDeletes > 0; };
    }
};

TEST_F(InstallLibFilesDeleteList, ScheduledFilesGoAtTheLastShutdownOnly)
{
    for (bool wide : { true, false }) {
        WriteText(m_dir.Path() / "a.tmp", "a");
        Start(wide);
        Start(wide);
        EXPECT_EQ(1u, ScheduleDelete(PathOf("a.tmp").c_str()));
        EXPECT_EQ(1u, ScheduleDelete(PathOf("never-made.tmp").c_str()));
        Done();
        EXPECT_TRUE(Exists("a.tmp"));
        Done();
        EXPECT_FALSE(Exists("a.tmp")) << wide;
        EXPECT_EQ(2, g_restartDeletes) << "the NT family only";
    }
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
