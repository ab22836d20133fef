// Running a program: the wait is on the process, not its first thread; both handles are
// closed; the window is pumped and a close ends the wait while the program runs on. The fakes
// stand in for the system; the real runs use a small program that leaves a file behind.
#include "tests/installlib/installlib_fixture.h"

#include <chrono>
#include <thread>

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
    int threadWaits = 0;
    int endsAtWait = 40;
    std::vector<uint32_t> timeouts;
    std::vector<uintptr_t> closed;
    std::u16string program, folder;
    std::string narrowProgram, narrowFolder;
    bool folderGiven = false;
};
FakeProcess g_process;

bool FakeStartW(const char16_t* program, const char16_t* folder, ProcessHandles* handles)
{
    g_process.program = program;
    g_process.folderGiven = folder != nullptr;
    g_process.folder = folder ? folder : u"";
    *handles = { PROCESS, THREAD };
    return g_process.starts;
}

bool FakeStartA(const char* program, const char* folder, ProcessHandles* handles)
{
    g_process.narrowProgram = program;
    g_process.folderGiven = folder != nullptr;
    g_process.narrowFolder = folder ? folder : "";
    *handles = { PROCESS, THREAD };
    return g_process.starts;
}

WaitResult FakeWait(uintptr_t handle, uint32_t milliseconds)
{
    g_process.timeouts.push_back(milliseconds);
    if (handle == THREAD) {
        ++g_process.threadWaits;
        return WaitResult::Signalled;
    }
    if (handle != PROCESS)
        return WaitResult::Failed;
    return ++g_process.processWaits >= g_process.endsAtWait ? WaitResult::Signalled
                                                            : WaitResult::TimedOut;
}

void FakeClose(uintptr_t handle)
{
    g_process.closed.push_back(handle);
}

// A window that reports a close at its n-th pump (0: never).
class WindowStandIn final : public InstallLib_WindowPump {
public:
    explicit WindowStandIn(int closeAt)
        : m_closeAt(closeAt)
    {
    }
    bool Pump() override { return ++m_pumps == m_closeAt; }
    int Pumps() const { return m_pumps; }

private:
    int m_closeAt;
    int m_pumps = 0;
};

class InstallLibRun : public InstallLibFixture {
protected:
    void UseFakeProcess()
    {
        g_process = {};
        m_calls.startProcessW = FakeStartW;
        m_calls.startProcessA = FakeStartA;
        m_calls.waitForHandle = FakeWait;
        m_calls.closeProcessHandle = FakeClose;
    }
};

TEST_F(InstallLibRun, WaitsForTheProcessNotItsFirstThreadAndClosesBothHandles)
{
    UseFakeProcess();
    Start();
    WindowStandIn window(0);
    EXPECT_EQ(1, RunAndWait(u"C:\\Games\\Demo\\setup.exe", &window));
    EXPECT_EQ(0, g_process.threadWaits);
    EXPECT_EQ(40, g_process.processWaits);
    EXPECT_EQ(40, window.Pumps()); // after every wait, the last one too
    EXPECT_EQ(std::vector<uint32_t>(40, 50), g_process.timeouts);
    EXPECT_EQ((std::vector<uintptr_t> { THREAD, PROCESS }), g_process.closed);
    EXPECT_EQ(u"C:\\Games\\Demo\\", g_process.folder);
}

TEST_F(InstallLibRun, CloseOfTheWindowEndsTheWaitWhileTheProgramRuns)
{
    UseFakeProcess();
    g_process.endsAtWait = 1000000;
    Start();
    WindowStandIn window(3);
    EXPECT_EQ(1, RunAndWait(u"tool.exe", &window));
    EXPECT_EQ(3, g_process.processWaits);
    EXPECT_EQ(2u, g_process.closed.size());
}

TEST_F(InstallLibRun, ProgramWithoutFolderRunsInTheCurrentFolder)
{
    UseFakeProcess();
    Start();
    EXPECT_EQ(1, RunAndWait(u"tool.exe", nullptr));
    EXPECT_EQ(u"tool.exe", g_process.program);
    EXPECT_FALSE(g_process.folderGiven);
}

TEST_F(InstallLibRun, AnsiSystemStartsByTheNarrowCall)
{
    UseFakeProcess();
    Start(false);
    EXPECT_EQ(1, RunAndWait(u"C:/Temp/tool.exe", nullptr));
    EXPECT_EQ("C:/Temp/tool.exe", g_process.narrowProgram);
    EXPECT_EQ("C:/Temp/", g_process.narrowFolder);
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

// The real program, copied into a folder of its own, which becomes its working folder.
class InstallLibRunProgram : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        const std::filesystem::path sleeper(INSTALLLIB_TEST_SLEEPER);
        m_program = m_dir.Path() / sleeper.filename();
        std::filesystem::copy_file(sleeper, m_program);
    }
    void RunFor(int milliseconds)
    {
        WriteText(m_dir.Path() / "sleep_ms.txt", std::to_string(milliseconds));
    }
    bool Done() const { return std::filesystem::exists(m_dir.Path() / "done.txt"); }
    // Waits for the program to end on its own, so that its folder can be removed.
    void AwaitEnd() const
    {
        for (int i = 0; i < 200 && !Done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }

    std::filesystem::path m_program;
};

TEST_F(InstallLibRunProgram, WaitEndsWhenTheProgramHasEnded)
{
    for (bool wide : { true, false }) {
        std::filesystem::remove(m_dir.Path() / "done.txt");
        RunFor(100);
        Start(wide);
        WindowStandIn window(0);
        ASSERT_EQ(1, RunAndWait(m_program.u16string().c_str(), &window)) << wide;
        EXPECT_TRUE(Done()) << "the program ran in its own folder and had ended";
        EXPECT_GE(window.Pumps(), 1);
        InstallLibFixture::Done();
    }
}

TEST_F(InstallLibRunProgram, CloseEndsTheWaitWhileTheProgramStillRuns)
{
    RunFor(1500);
    Start();
    WindowStandIn window(2);
    ASSERT_EQ(1, RunAndWait(m_program.u16string().c_str(), &window));
    EXPECT_EQ(2, window.Pumps());
    EXPECT_FALSE(Done());
    AwaitEnd();
    EXPECT_TRUE(Done());
}

TEST_F(InstallLibRunProgram, MissingProgramDoesNotStart)
{
    Start();
    EXPECT_EQ(0, RunAndWait(PathOf("missing-program").c_str(), nullptr));
}

}
