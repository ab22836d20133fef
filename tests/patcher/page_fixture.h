// The fixture of the wizard pages' tests: the installer module's fixture with a driven desktop
// of the installer window's size, the test font as the default font, the wizard's page area
// and a recorder of what the pages report to their callback.
#pragma once

#include "tests/patcher/patcher_fixture.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_font.h"

#include <array>
#include <string>
#include <vector>

namespace test {

// A window's place: x, y, width, height.
using Box = std::array<int32_t, 4>;

struct PageEvent {
    uint32_t code;
    std::u16string text; // p1 as a wide text, for the failure's error text
};

class PageFixture : public PatcherFixture {
protected:
    InstallLibSession m_installLib;

    // The page area of the wizard's frame: 350 × 201 at (0, 104).
    static constexpr int32_t PAGE_X = 0;
    static constexpr int32_t PAGE_Y = 104;
    static constexpr int32_t PAGE_WIDTH = 350;
    static constexpr int32_t PAGE_HEIGHT = 201;

    explicit PageFixture(bool withFont = true);

    GUIB_WindowCreate PageArea(int32_t width = PAGE_WIDTH, int32_t height = PAGE_HEIGHT);
    // The places of a window's children in the order they were made.
    static std::vector<Box> ChildPlaces(const c_GUIB_Window* window);
    static Box Place(const c_GUIB_Window* window);
    // The i-th child made (back to front: the order the page made them).
    template <typename T> static T* Made(const c_GUIB_Window* window, uint32_t i)
    {
        return dynamic_cast<T*>(window->GetChild(window->GetChildCount() - 1 - i));
    }

    GuiDriver driver;
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    std::vector<PageEvent> events;

private:
    static uint32_t Record(c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t);
};

}
