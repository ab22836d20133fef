// A fixture for the controls' tests: a driven desktop of a given size whose default font is the
// test font, and a record of the notifications the controls on it send.
#pragma once

#include "tests/guib/geometry_checks.h"
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

class ControlTest : public ::testing::Test {
protected:
    explicit ControlTest(int32_t width = 160, int32_t height = 60)
        : driver(width, height)
    {
        (void)driver.Environment()->SetProperty(
            GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(font.Get()));
    }

    // A control of the class on the desktop, reporting to the record.
    template <typename Control> Control* Add(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        GUIB_WindowCreate create { x, y, w, h, 0, 0, driver.Desktop(), driver.Environment(), Record,
            reinterpret_cast<uintptr_t>(this) };
        return new Control(&create);
    }

    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const Note& n : notes)
            codes.push_back(n.code);
        return codes;
    }
    std::vector<Note> Notes(uint32_t code) const
    {
        std::vector<Note> found;
        for (const Note& n : notes)
            if (n.code == code)
                found.push_back(n);
        return found;
    }

    GuiDriver driver;
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    std::vector<Note> notes;
    uint32_t answer = 0; // what the record answers to GUIB_LB_SELCHANGING

private:
    // Keeps the controls' own codes (the core's enter, leave and hint codes are below 256) and
    // the presses that miss a control taking clicks outside.
    static uint32_t Record(
        c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t p2)
    {
        auto* self = reinterpret_cast<ControlTest*>(user);
        if (code >= 256 || code == GUIB_MOUSE_DOWN_OUTSIDE)
            self->notes.push_back({ code, static_cast<intptr_t>(p1), p2 });
        return code == GUIB_LB_SELCHANGING ? self->answer : 0;
    }
};

}
