// The wizard pages' fixture (a "_test" file so that the test program takes it in).
#include "tests/patcher/page_fixture.h"

namespace test {

PageFixture::PageFixture(bool withFont)
{
    if (withFont)
        (void)driver.Environment()->SetProperty(
            GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(font.Get()));
}

GUIB_WindowCreate PageFixture::PageArea(int32_t width, int32_t height)
{
    return { PAGE_X, PAGE_Y, width, height, 0, 0, driver.Desktop(), driver.Environment(), Record,
        reinterpret_cast<uintptr_t>(this) };
}

Box PageFixture::Place(const c_GUIB_Window* window)
{
    Box box {};
    window->GetPosition(&box[0], &box[1]);
    window->GetSize(&box[2], &box[3]);
    return box;
}

std::vector<Box> PageFixture::ChildPlaces(const c_GUIB_Window* window)
{
    std::vector<Box> places;
    for (uint32_t i = window->GetChildCount(); i-- > 0;)
        places.push_back(Place(window->GetChild(i)));
    return places;
}

uint32_t PageFixture::Record(c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
{
    // The core's own notifications (mouse, hints) are below the controls' codes.
    if (code < 257)
        return 0;
    const auto* text = reinterpret_cast<const char16_t*>(p1);
    reinterpret_cast<PageFixture*>(user)->events.push_back(
        { code, code == 0x8000000D && text != nullptr ? std::u16string(text) : u"" });
    return 0;
}

}
