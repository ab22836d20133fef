// A driver for tests of the GUI toolkit: a desktop of its own in window mode 1 (a real window on
// Windows, the headless one elsewhere), a clock that only moves when told, and input that goes
// the way the system's input goes: every mouse and key event is posted to the desktop's window
// and handled by one pump pass, so that the window procedure's path is the one under test.
#pragma once

#include "guib/guib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test {

enum class MouseButton { Left, Right, Middle };

class GuiDriver {
public:
    // The toolkit is set up without a system font (tests build the fonts they need) unless it
    // runs already; the driver then leaves it running when it goes.
    explicit GuiDriver(int32_t width = 437, int32_t height = 320);
    ~GuiDriver();
    GuiDriver(const GuiDriver&) = delete;
    GuiDriver& operator=(const GuiDriver&) = delete;

    c_GUIB_Desktop* Desktop() const { return m_desktop; }
    c_GUIB_Environment* Environment() const { return m_environment; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }

    // The toolkit's clock: fixed until advanced.
    uint32_t Now() const;
    void Advance(uint32_t milliseconds);

    // One pass of the desktop's pump; its answer.
    uint32_t Pump();
    // Pumps until no window is dirty and no dirty rectangle waits, at most limit passes. False
    // when the tree did not settle.
    bool PumpUntilIdle(int limit = 16);

    // Mouse input at client coordinates.
    void Move(int32_t x, int32_t y);
    void Press(int32_t x, int32_t y, MouseButton button = MouseButton::Left);
    void Release(int32_t x, int32_t y, MouseButton button = MouseButton::Left);
    void Click(int32_t x, int32_t y, MouseButton button = MouseButton::Left);
    void RightClick(int32_t x, int32_t y) { Click(x, y, MouseButton::Right); }
    // A click, then the system's double-click message and the release, as the system reports
    // two quick clicks.
    void DoubleClick(int32_t x, int32_t y);
    // Press at the start, steps moves along the straight line (the last one at the end), release.
    void Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t steps = 4);
    // Notches away from the user are positive. The point travels in screen coordinates.
    void Wheel(int32_t x, int32_t y, int32_t notches);

    // Keys: the toolkit's key state is kept in step (a key's toggle flips on every press, as
    // the system's does). Type is a key press as the system delivers it: the key-down, the
    // character when the key makes one (c non-zero), the key-up.
    void KeyDown(uint8_t virtualKey);
    void KeyUp(uint8_t virtualKey);
    void Char(char16_t character);
    void Type(uint8_t virtualKey, char16_t character = 0);
    // The window manager's close (the system menu, Alt+F4).
    void Close();

    // What the window shows, Width() × Height() opaque pixels, rows top to bottom; empty when
    // it cannot be read.
    std::vector<uint32_t> Frame() const;
    // Compares the frame with the manifest's entry of the name (see frame_check.h).
    ::testing::AssertionResult MatchesFrame(const std::string& name) const;

private:
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void PostMouse(uint32_t message, int32_t x, int32_t y);

    int32_t m_width;
    int32_t m_height;
    bool m_setUp = false;
    c_GUIB_Environment* m_environment = nullptr;
    c_GUIB_Desktop* m_desktop = nullptr;
    bool m_toggled[256] = {};
};

// Whether the system may refuse to give back what a window shows (backend-specific): a real
// screen may, the headless one never does.
bool ScreenMayRefuseReads();
// Moves the system's pointer off where the driver's window opens, so that only posted input
// reaches it (backend-specific; nothing to do for the headless window).
void ParkPointer();

}
