// The desktop's real window on Windows: placed centred with exactly the desktop's client area,
// named, captioned and styled as asked, repainted from the back buffer.
#include <windows.h>

#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HWND WindowOf(const c_GUIB_Desktop* desktop)
{
    return reinterpret_cast<HWND>(desktop->GetWindowHandle());
}

std::u16string CaptionOf(HWND window)
{
    wchar_t text[128] = {};
    int length = GetWindowTextW(window, text, 128);
    return std::u16string(reinterpret_cast<const char16_t*>(text), size_t(length));
}

// A second desktop beside the driver's, for parameters of its own.
class OwnDesktop {
public:
    OwnDesktop(c_GUIB_Environment* environment, const GUIB_WindowParams* params)
    {
        GUIB_WindowCreate create {};
        create.width = 200;
        create.height = 120;
        create.environment = environment;
        m_desktop = new c_GUIB_Desktop(&create);
        status = m_desktop->SetWindowMode(1, params);
    }
    ~OwnDesktop() { m_desktop->Drop(); }
    HWND Window() const { return WindowOf(m_desktop); }

    SYS_Status status;

private:
    c_GUIB_Desktop* m_desktop;
};

TEST(DesktopWindowWin32, OpensCentredWithTheClientAreaOfTheDesktop)
{
    test::GuiDriver driver;
    HWND window = WindowOf(driver.Desktop());
    ASSERT_TRUE(IsWindow(window));
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 437);
    EXPECT_EQ(client.bottom - client.top, 320);

    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(outer.left, (screenWidth - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (screenHeight - (outer.bottom - outer.top)) / 2);
    // The driver's idea of the screen agrees with the system's.
    GUIB_Point origin { 0, 0 };
    driver.Desktop()->ClientToScreen(&origin);
    POINT systemOrigin { 0, 0 };
    ClientToScreen(window, &systemOrigin);
    EXPECT_EQ(origin.x, systemOrigin.x);
    EXPECT_EQ(origin.y, systemOrigin.y);
    EXPECT_GE(origin.x, outer.left);
    EXPECT_GE(origin.y, outer.top);
}

TEST(DesktopWindowWin32, TakesTheClassCaptionAndStyleGiven)
{
    test::GuiDriver driver;
    HWND window = WindowOf(driver.Desktop());
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    EXPECT_STREQ(className, "GUIB_Test_Class");
    EXPECT_EQ(CaptionOf(window), u"GUIB test");
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(uint32_t(style) & 0x80880000u, 0x80880000u);
    EXPECT_EQ(uint32_t(style) & uint32_t(WS_CAPTION), uint32_t(WS_BORDER));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindowEnabled(window));
}

TEST(DesktopWindowWin32, CaptionsAndDefaultsWithoutAWideCaption)
{
    test::GuiDriver driver;
    const GUIB_WindowParams narrow { 0x80880000, 0, "GUIB_Narrow_Class", "Caf\xE9 \xFF", nullptr,
        0 };
    OwnDesktop widened(driver.Environment(), &narrow);
    ASSERT_EQ(widened.status, SYS_OK);
    EXPECT_EQ(CaptionOf(widened.Window()), u"Caf\u00E9 \u00FF") << "widened byte by byte";

    OwnDesktop plain(driver.Environment(), nullptr);
    ASSERT_EQ(plain.status, SYS_OK);
    EXPECT_EQ(CaptionOf(plain.Window()), u"KVX's GUI desktop");
    LONG style = GetWindowLongA(plain.Window(), GWL_STYLE);
    EXPECT_EQ(uint32_t(style) & 0x00CA0000u, 0x00CA0000u);
    RECT client;
    ASSERT_TRUE(GetClientRect(plain.Window(), &client));
    EXPECT_EQ(client.right, 200) << "the caption bar does not eat into the client area";
    EXPECT_EQ(client.bottom, 120);
}

TEST(DesktopWindowWin32, SetsTheIconGiven)
{
    test::GuiDriver driver;
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_NE(icon, nullptr);
    const GUIB_WindowParams params { 0x80880000, 0, "GUIB_Icon_Class", nullptr, u"icon",
        reinterpret_cast<uintptr_t>(icon) };
    OwnDesktop desktop(driver.Environment(), &params);
    ASSERT_EQ(desktop.status, SYS_OK);
    EXPECT_EQ(
        reinterpret_cast<HICON>(SendMessageA(desktop.Window(), WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(
        reinterpret_cast<HICON>(SendMessageA(desktop.Window(), WM_GETICON, ICON_SMALL, 0)), icon);
}

// An exposed window is repainted from the back buffer as it stands.
TEST(DesktopWindowWin32, APaintCopiesTheExposedPartOfTheBackBuffer)
{
    test::GuiDriver driver;
    ASSERT_TRUE(driver.PumpUntilIdle());
    HWND window = WindowOf(driver.Desktop());
    uint64_t before = driver.Desktop()->GetPresentedPixels();
    RECT exposed { 10, 20, 60, 50 };
    InvalidateRect(window, &exposed, FALSE);
    driver.Pump();
    EXPECT_EQ(driver.Desktop()->GetPresentedPixels() - before, uint64_t(50 * 30));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE)) << "the paint validated the window";
}

}
