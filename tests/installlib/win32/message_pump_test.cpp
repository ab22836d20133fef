// The message pump of a plain system window: a close posted to the window ends the wait of
// RunAndWait while the program still runs. A message-only window serves, so no display is
// needed.
#include "tests/installlib/installlib_fixture.h"

#include <chrono>
#include <thread>
#include <windows.h>

namespace {

using namespace test;

// A message-only window of a class whose procedure handles everything by default.
class MessageWindow {
public:
    MessageWindow()
    {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "InstallLibPumpTest";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, "InstallLibPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
            nullptr, windowClass.hInstance, nullptr);
    }
    ~MessageWindow()
    {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
    }
    HWND Get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

class InstallLibRunPump : public InstallLibFixture { };

TEST_F(InstallLibRunPump, PostedCloseIsReportedOnceItsMessageWasHandled)
{
    MessageWindow window;
    ASSERT_NE(nullptr, window.Get());
    InstallLib_MessagePump pump(reinterpret_cast<uintptr_t>(window.Get()));
    PostMessageA(window.Get(), WM_USER, 0, 0);
    EXPECT_FALSE(pump.Pump());
    PostMessageA(window.Get(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(pump.Pump());
    EXPECT_FALSE(IsWindow(window.Get())) << "the default handling of the close destroyed it";
}

TEST_F(InstallLibRunPump, CloseEndsTheWaitForARealProgram)
{
    const std::filesystem::path sleeper(INSTALLLIB_TEST_SLEEPER);
    const std::filesystem::path program = m_dir.Path() / sleeper.filename();
    std::filesystem::copy_file(sleeper, program);
    WriteText(m_dir.Path() / "sleep_ms.txt", "1500");
    MessageWindow window;
    InstallLib_MessagePump pump(reinterpret_cast<uintptr_t>(window.Get()));
    PostMessageA(window.Get(), WM_CLOSE, 0, 0);
    Start();
    ASSERT_EQ(1, RunAndWait(program.u16string().c_str(), &pump));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "done.txt"));
    for (int i = 0; i < 200 && !std::filesystem::exists(m_dir.Path() / "done.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

}
