// A fixture for the controls' tests: a small driven desktop whose default font is the test font,
// and a recorder of the notifications a control sends to its callbacks.
#pragma once

#include "tests/support/gui_driver.h"
#include "tests/support/test_font.h"

#include <gtest/gtest.h>

#include <vector>

namespace test {

struct Notification {
    uint32_t code;
    uintptr_t p1;
    uint32_t at; // the driver's clock
    bool operator==(const Notification&) const = default;
};

class ControlTest : public ::testing::Test {
protected:
    ControlTest()
        : driver(160, 60)
    {
        (void)driver.Environment()->SetProperty(
            GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(font.Get()));
    }

    GUIB_WindowCreate Place(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        return { x, y, w, h, 0, 0, driver.Desktop(), driver.Environment(), Record,
            reinterpret_cast<uintptr_t>(this) };
    }

    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const Notification& n : notes)
            codes.push_back(n.code);
        return codes;
    }

    GuiDriver driver;
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    std::vector<Notification> notes;

private:
    // Keeps the controls' own codes; the core's ENTER, LEAVE and hint codes are below 257.
    static uint32_t Record(c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
    {
        auto* self = reinterpret_cast<ControlTest*>(user);
        if (code >= 257)
            self->notes.push_back({ code, p1, self->driver.Now() });
        return 0;
    }
};

}
