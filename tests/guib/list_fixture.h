// A fixture for the tests of scroll bars, list boxes and panels: a driven desktop whose default
// font is the test font, and a record of the notifications the controls send.
#pragma once

#include "tests/support/gui_driver.h"
#include "tests/support/test_font.h"

#include <gtest/gtest.h>

#include <vector>

namespace test {

struct Note {
    uint32_t code;
    intptr_t p1;
    uintptr_t p2;
    bool operator==(const Note&) const = default;
};

inline constexpr uint8_t VK_SHIFT = 160; // the left keys: their state makes the summary bits
inline constexpr uint8_t VK_CONTROL = 162;

class ListControlTest : public ::testing::Test {
protected:
    ListControlTest()
        : driver(240, 200)
    {
        (void)driver.Environment()->SetProperty(
            GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(font.Get()));
    }

    // A creation record for a child of the desktop whose notifications are recorded.
    GUIB_WindowCreate Place(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        return { x, y, w, h, 0, 0, driver.Desktop(), driver.Environment(), Record,
            reinterpret_cast<uintptr_t>(this) };
    }

    std::vector<Note> Notes(uint32_t code) const
    {
        std::vector<Note> found;
        for (const Note& n : notes)
            if (n.code == code)
                found.push_back(n);
        return found;
    }

    // A key pressed with a modifier held.
    void TypeWith(uint8_t modifier, uint8_t key)
    {
        driver.KeyDown(modifier);
        driver.Type(key);
        driver.KeyUp(modifier);
    }

    GuiDriver driver;
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    std::vector<Note> notes;
    uint32_t answer = 0; // what the recorder answers to GUIB_LB_SELCHANGING

private:
    // Keeps the controls' own codes (the core's enter, leave and hint codes are below 256).
    static uint32_t Record(
        c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2)
    {
        auto* self = reinterpret_cast<ListControlTest*>(user);
        if (code >= 256 || code == GUIB_MOUSE_DOWN_OUTSIDE)
            self->notes.push_back({ code, static_cast<intptr_t>(p1), p2 });
        return code == GUIB_LB_SELCHANGING ? self->answer : 0;
    }
};

}
