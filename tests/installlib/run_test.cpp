// Running a program: the wait is on the process, not its first thread; both handles are
// closed; the window is pumped and a close ends the wait while the program runs on. The fakes
// stand in for the system; the real runs use a small program that leaves a file behind.
#include "tests/installlib/installlib_fixture.h"

namespace {

using namespace test;
using installlib::os::ProcessHandles;
using installlib::os::WaitResult;

constexpr uintptr_t PROCESS = 0x1000;
constexpr uintptr_t THREAD = 0x2000;

// A process whose first thread has ended at once and which itself ends at its 40th wait (2 s
// of 50 ms steps), and what the module did with it.
struct FakeProcess {
    bool starts = true;
    int processWaits = 0;
    std::vector<uint32_t> timeouts;
    std::vector<uintptr_t> closed;
    std::string program, folder; // folder "-" when none was given
};
FakeProcess g_process;

template <typename Char>
bool FakeStart(const Char* program, const Char* folder, ProcessHandles* handles)
{
    g_process.program = Text(program);
    g_process.folder = Text(folder);
    *handles = { PROCESS, THREAD };
    return g_process.starts;
}

WaitResult FakeWait(uintptr_t handle, uint32_t milliseconds)
{
    g_process.timeouts.push_back(milliseconds);
    if (handle == THREAD)
        return WaitResult::Signalled;
    if (handle != PROCESS)
        return WaitResult::Failed;
    return ++g_process.processWaits >= 40 ? WaitResult::Signalled : WaitResult::TimedOut;
}

// A window that reports a close at its n-th pump (0: never).
struct WindowStandIn final : InstallLib_WindowPump {
    bool Pump() override { return ++m_pumps == m_closeAt; }
    int m_closeAt = 0;
    int m_pumps = 0;
};

class InstallLibRun : public InstallLibFixture {
protected:
    void UseFakeProcess()
    {
        g_process = {};
        m_calls.startProcessW = FakeStart<char16_t>;
        m_calls.startProcessA = FakeStart<char>;
        m_calls.waitForHandle = FakeWait;
        m_calls.closeProcessHandle = [](uintptr_t handle) { g_process.closed.push_back(handle); };
    }
};

TEST_F(InstallLibRun, WaitsForTheProcessNotItsFirstThreadAndClosesBothHandles)
{
    UseFakeProcess();
    Start();
    WindowStandIn window;
    EXPECT_EQ(1, RunAndWait(u"C:\\Games\\Demo\\setup.exe", &window));
    EXPECT_EQ(40, g_process.processWaits); // and no wait on the thread
    EXPECT_EQ(40, window.m_pumps); // after every wait, the last one too
    EXPECT_EQ(std::vector<uint32_t>(40, 50), g_process.timeouts);
    EXPECT_EQ((std::vector<uintptr_t> { THREAD, PROCESS }), g_process.closed);
}

TEST_F(InstallLibRun, ProgramRunsInItsOwnFolderByEitherFamilyOfCalls)
{
    struct Case {
        bool wide;
        const char16_t* program;
        const char* folder;
    };
    for (const Case& c : { Case { true, u"C:\\Games\\Demo\\setup.exe", "C:\\Games\\Demo\\" },
             Case { false, u"C:/Temp/tool.exe", "C:/Temp/" }, Case { true, u"tool.exe", "-" } }) {
        UseFakeProcess();
        Start(c.wide);
        EXPECT_EQ(1, RunAndWait(c.program, nullptr));
        EXPECT_EQ(Narrow(c.program), g_process.program);
        EXPECT_EQ(c.folder, g_process.folder);
        Done();
    }
}

TEST_F(InstallLibRun, ProgramThatDoesNotStartIsAFailure)
{
    UseFakeProcess();
    g_process.starts = false;
    Start();
    EXPECT_EQ(0, RunAndWait(u"C:\\missing.exe", nullptr));
    EXPECT_TRUE(g_process.closed.empty());
    EXPECT_EQ(0, RunAndWait(nullptr, nullptr));
    EXPECT_EQ(
        0, RunAndWait((u"C:\\" + std::u16string(300, u'x') + u"\\tool.exe").c_str(), nullptr));
}

TEST_F(InstallLibRun, RealProgramIsWaitedForUntilItEndsOrTheWindowCloses)
{
    for (bool wide : { true, false }) {
        const std::u16string program = Sleeper(100);
        Start(wide);
        WindowStandIn window;
        ASSERT_EQ(1, RunAndWait(program.c_str(), &window)) << wide;
        EXPECT_TRUE(Exists("done.txt")) << "the program ran in its own folder and had ended";
        EXPECT_GE(window.m_pumps, 1);
        Done();
    }
    const std::u16string program = Sleeper(1500);
    Start();
    WindowStandIn window;
    window.m_closeAt = 2;
    ASSERT_EQ(1, RunAndWait(program.c_str(), &window));
    EXPECT_EQ(2, window.m_pumps);
    EXPECT_FALSE(Exists("done.txt"));
    EXPECT_TRUE(AwaitSleeper());
    EXPECT_EQ(0, RunAndWait(PathOf("missing-program").c_str(), nullptr));
}

}
