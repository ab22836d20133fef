// The message pump of a plain system window: a close posted to the window ends the wait of
// RunAndWait while the program still runs. A message-only window serves, so no display is
// needed.
#include "tests/installlib/installlib_fixture.h"

#include <windows.h>

namespace {

using namespace test;

class InstallLibRunPump : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "InstallLibPumpTest";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, "InstallLibPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
            nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(nullptr, m_window);
    }
    void TearDown() override
    {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        InstallLibFixture::TearDown();
    }
    HWND m_window = nullptr;
};

TEST_F(InstallLibRunPump, PostedCloseEndsTheWaitWhileTheProgramStillRuns)
{
    const std::u16string program = Sleeper(1500);
    InstallLib_MessagePump pump(reinterpret_cast<uintptr_t>(m_window));
    PostMessageA(m_window, WM_USER, 0, 0);
    EXPECT_FALSE(pump.Pump()) << "other messages are only handled";
    PostMessageA(m_window, WM_CLOSE, 0, 0);
    Start();
    ASSERT_EQ(1, RunAndWait(program.c_str(), &pump));
    EXPECT_FALSE(Exists("done.txt"));
    EXPECT_FALSE(IsWindow(m_window)) << "the default handling of the close destroyed it";
    EXPECT_TRUE(AwaitSleeper());
}

}
