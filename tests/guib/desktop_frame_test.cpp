// What the desktop presents, checked through the test driver against the frame manifest: a
// scene of overlapping opaque and translucent windows with text, the same scene with a button
// under the mouse (which must present that button's rectangle and nothing else), and text laid
// out with wrapping and an ellipsis.
#include "tests/support/gui_driver.h"
#include "tests/support/test_font.h"

#include <gtest/gtest.h>

namespace {

GUIB_WindowCreate ChildOf(c_GUIB_Window* parent, const GUIB_Rect& r)
{
    return { r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, parent,
        parent->GetEnvironment(), nullptr, 0 };
}

// The address of a temporary creation record, which lives until the constructor returns.
const GUIB_WindowCreate* Record(const GUIB_WindowCreate& create)
{
    return &create;
}

// A window painted in one colour, another while the mouse is over it, with an optional caption
// drawn in the test font.
class Panel : public c_GUIB_Window {
public:
    Panel(c_GUIB_Window* parent, GUIB_Rect r, uint32_t colour, uint32_t hoverColour = 0)
        : c_GUIB_Window(Record(ChildOf(parent, r)))
        , m_colour(colour)
        , m_hoverColour(hoverColour != 0 ? hoverColour : colour)
    {
        MarkDirty();
    }
    void SetText(const char* text, c_GUIB_Font* font)
    {
        m_text = text;
        (void)SetFont(0, font);
    }
    void OnMouse(uint32_t event, const GUIB_Point*, uint32_t, const GUIB_Rect*) override
    {
        if ((event == GUIB_MOUSE_ENTER || event == GUIB_MOUSE_LEAVE) && m_hoverColour != m_colour)
            MarkDirty();
    }
    void Draw() override
    {
        c_GUIB_Bitmap* surface = GetSurface();
        surface->SetColour((GetFlags() & GUIB_WF_HOVER) != 0 ? m_hoverColour : m_colour);
        surface->FillRect(&GetRect());
        c_GUIB_Font* font = nullptr;
        if (m_text != nullptr && GetFont(0, &font) == SYS_OK) {
            GUIB_Rect inside { 4, 3, GetRect().right - 4, GetRect().bottom - 3 };
            font->OutTextRect(surface, 0xFF000000, m_text, &inside);
            font->Release();
        }
        Invalidate(&GetRect());
    }

private:
    uint32_t m_colour;
    uint32_t m_hoverColour;
    const char* m_text = nullptr;
};

class DesktopFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        font = test::MakeTestFont();
        c_GUIB_Desktop* desktop = driver.Desktop();
        new Panel(desktop, { 0, 0, 437, 320 }, 0xFF434F25);
        auto* page = new Panel(desktop, { 20, 20, 417, 260 }, 0xD8A3BA69);
        page->SetText("Welcome. This text wraps at the edge of its page and ends with an "
                      "ellipsis where the page runs out of room for further lines of text.",
            font.Get());
        new Panel(page, { 200, 60, 380, 200 }, 0x80FFFFC0);
        button = new Panel(desktop, { 340, 280, 410, 298 }, 0xFFA3BA69, 0xFFE0F0C0);
        button->SetText("Next", font.Get());
        ASSERT_TRUE(driver.PumpUntilIdle());
    }

    test::GuiDriver driver;
    GUIB_Ref<c_GUIB_Font> font;
    Panel* button = nullptr;
};

TEST_F(DesktopFrame, AHoverPresentsOnlyTheButton)
{
    EXPECT_TRUE(driver.MatchesFrame("toolkit/scene"));
    driver.Move(10, 10);
    ASSERT_TRUE(driver.PumpUntilIdle());
    const uint64_t before = driver.Desktop()->GetPresentedPixels();
    driver.Move(350, 285);
    ASSERT_TRUE(driver.PumpUntilIdle());
    EXPECT_EQ(driver.Desktop()->GetHoverWindow(), button);
    EXPECT_EQ(driver.Desktop()->GetPresentedPixels() - before, 70u * 18u);
    EXPECT_TRUE(driver.MatchesFrame("toolkit/scene_hover"));

    driver.Move(300, 285);
    ASSERT_TRUE(driver.PumpUntilIdle());
    EXPECT_EQ(driver.Desktop()->GetPresentedPixels() - before, 2u * 70u * 18u);
    EXPECT_TRUE(driver.MatchesFrame("toolkit/scene"));
}

}
