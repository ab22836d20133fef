// The GUI test driver: see gui_driver.h.
#include "tests/support/gui_driver.h"
#include "tests/support/frame_check.h"

#include <gtest/gtest.h>

namespace {

// The tick source is a plain function, so the clock it reads lives here; one driver at a time.
uint32_t g_now = 1000;
bool g_driverAlive = false;

uint32_t DriverClock()
{
    return g_now;
}

constexpr char16_t kCaption[] = u"GUIB test";

struct ButtonMessages {
    uint32_t down;
    uint32_t up;
};

ButtonMessages MessagesOf(test::MouseButton button)
{
    switch (button) {
    case test::MouseButton::Right:
        return { GUIB_WM_RBUTTONDOWN, GUIB_WM_RBUTTONUP };
    case test::MouseButton::Middle:
        return { GUIB_WM_MBUTTONDOWN, GUIB_WM_MBUTTONUP };
    default:
        return { GUIB_WM_LBUTTONDOWN, GUIB_WM_LBUTTONUP };
    }
}

bool TreeDirty(const c_GUIB_Window* window)
{
    if (window->GetFlags() & GUIB_WF_DIRTY)
        return true;
    for (uint32_t i = 0; i < window->GetChildCount(); ++i)
        if (TreeDirty(window->GetChild(i)))
            return true;
    return false;
}

}

namespace test {

GuiDriver::GuiDriver(int32_t width, int32_t height)
    : m_width(width)
    , m_height(height)
{
    EXPECT_FALSE(g_driverAlive) << "one GuiDriver at a time: they share the clock";
    g_driverAlive = true;
    g_now = 1000;
    GUIB_SetTickSource(DriverClock);
    const GUIB_Options options { 0 };
    SYS_Status status = GUI_Init(&options, &m_environment);
    m_setUp = status == SYS_OK;
    EXPECT_TRUE(m_setUp || status == GUIB_ALREADY_SET_UP) << "GUI_Init: " << status;
    GUIB_WindowCreate create {};
    create.width = width;
    create.height = height;
    create.environment = m_environment;
    m_desktop = new c_GUIB_Desktop(&create);
    const GUIB_WindowParams params { 0x80880000, 0, "GUIB_Test_Class", nullptr, kCaption, 0 };
    ParkPointer();
    EXPECT_EQ(m_desktop->SetWindowMode(1, &params), SYS_OK);
}

GuiDriver::~GuiDriver()
{
    m_desktop->Drop();
    GUIB_ResetKeyStates();
    if (m_setUp)
        GUI_Done();
    GUIB_SetTickSource(nullptr);
    g_driverAlive = false;
}

uint32_t GuiDriver::Now() const
{
    return g_now;
}

void GuiDriver::Advance(uint32_t milliseconds)
{
    g_now += milliseconds;
}

uint32_t GuiDriver::Pump()
{
    return m_desktop->Pump();
}

bool GuiDriver::PumpUntilIdle(int limit)
{
    for (int pass = 0; pass < limit; ++pass) {
        if (m_desktop->Pump() == 0)
            return true;
        if (m_desktop->GetDirtyRectCount() == 0 && !TreeDirty(m_desktop))
            return true;
    }
    return false;
}

void GuiDriver::Post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    EXPECT_TRUE(m_desktop->PostSystemMessage(message, wParam, lParam))
        << "the window took no message " << message;
    (void)m_desktop->Pump();
}

void GuiDriver::PostMouse(uint32_t message, int32_t x, int32_t y)
{
    Post(message, 0, GUIB_MakePointParam(x, y));
}

void GuiDriver::Move(int32_t x, int32_t y)
{
    PostMouse(GUIB_WM_MOUSEMOVE, x, y);
}

void GuiDriver::Press(int32_t x, int32_t y, MouseButton button)
{
    PostMouse(MessagesOf(button).down, x, y);
}

void GuiDriver::Release(int32_t x, int32_t y, MouseButton button)
{
    PostMouse(MessagesOf(button).up, x, y);
}

void GuiDriver::Click(int32_t x, int32_t y, MouseButton button)
{
    Press(x, y, button);
    Release(x, y, button);
}

void GuiDriver::DoubleClick(int32_t x, int32_t y)
{
    Click(x, y);
    PostMouse(GUIB_WM_LBUTTONDBLCLK, x, y);
    Release(x, y);
}

void GuiDriver::Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t steps)
{
    Move(x0, y0);
    Press(x0, y0);
    if (steps < 1)
        steps = 1;
    for (int32_t i = 1; i <= steps; ++i)
        Move(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    Release(x1, y1);
}

void GuiDriver::Wheel(int32_t x, int32_t y, int32_t notches)
{
    GUIB_Point p { x, y };
    m_desktop->ClientToScreen(&p);
    uintptr_t delta = static_cast<uint16_t>(static_cast<int16_t>(notches * 120));
    Post(GUIB_WM_MOUSEWHEEL, delta << 16, GUIB_MakePointParam(p.x, p.y));
}

// A posted key-down carries the "key is up" transition bit (bit 31 of lParam): Windows' message
// loop translates key-downs into characters by the system's keyboard, which would add a second
// character to the one the driver sends itself, and it makes none for a key reported as up.
// The desktop reads no lParam bits of key messages.
void GuiDriver::KeyDown(uint8_t virtualKey)
{
    m_toggled[virtualKey] = !m_toggled[virtualKey];
    GUIB_SetKeyState(virtualKey, true, m_toggled[virtualKey]);
    Post(GUIB_WM_KEYDOWN, virtualKey, static_cast<intptr_t>(0x80000001u));
}

void GuiDriver::KeyUp(uint8_t virtualKey)
{
    GUIB_SetKeyState(virtualKey, false, m_toggled[virtualKey]);
    Post(GUIB_WM_KEYUP, virtualKey, static_cast<intptr_t>(0xC0000001u));
}

void GuiDriver::Char(char16_t character)
{
    Post(GUIB_WM_CHAR, character, 1);
}

void GuiDriver::Type(uint8_t virtualKey, char16_t character)
{
    KeyDown(virtualKey);
    if (character != 0)
        Char(character);
    KeyUp(virtualKey);
}

void GuiDriver::Close()
{
    Post(GUIB_WM_CLOSE, 0, 0);
}

// A real screen may refuse to give back what a window shows (a display without readable
// window surfaces, a window covered by another); only there the back buffer stands in, since
// it holds exactly what was presented. The headless frame is always readable, so a refusal
// there is a fault the test must see.
std::vector<uint32_t> GuiDriver::Frame() const
{
    std::vector<uint32_t> pixels(size_t(m_width) * size_t(m_height));
    if (m_desktop->ReadPresented(pixels.data()))
        return pixels;
    const c_GUIB_Bitmap* surface = m_desktop->GetSurface();
    int32_t width = 0;
    int32_t height = 0;
    if (surface)
        surface->GetSize(&width, &height);
    if (!ScreenMayRefuseReads() || width != m_width || height != m_height)
        return {};
    const uint32_t* from = surface->GetPixels();
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = from[i] | 0xFF000000u;
    return pixels;
}

::testing::AssertionResult GuiDriver::MatchesFrame(const std::string& name) const
{
    std::vector<uint32_t> frame = Frame();
    if (frame.empty())
        return ::testing::AssertionFailure()
            << "the window's pixels could not be read for " << name;
    return test::MatchesFrame(name, frame.data(), m_width, m_height, m_width);
}

}
