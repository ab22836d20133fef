// c_GUIB_CheckBox driven through the desktop: the layout and the hit area it gives, toggling,
// cancelled presses and disabled boxes.
#include "tests/guib/control_fixture.h"

namespace {

using test::ControlTest;

// A page below the check box that counts the presses falling through to it.
class Backdrop : public c_GUIB_Window {
public:
    explicit Backdrop(const GUIB_WindowCreate* create)
        : c_GUIB_Window(create)
    {
        MarkDirty();
    }
    void Draw() override
    {
        GetSurface()->SetColour(0xFFE0E8D0);
        GetSurface()->FillRect(&GetRect());
        Invalidate(&GetRect());
    }
    void OnMouse(uint32_t event, const GUIB_Point*, uint32_t, const GUIB_Rect*) override
    {
        presses += event == GUIB_MOUSE_LDOWN ? 1 : 0;
    }
    int presses = 0;
};

// The box is 10 × 10 at (10, 15) to (20, 25) of the desktop; "Sound" (30 pixels) runs from x 25
// to 55; the check box's rectangle reaches x 130.
constexpr int32_t BOX_X = 15, BOX_Y = 20;
constexpr int32_t TEXT_X = 40, TEXT_Y = 14;
constexpr int32_t EMPTY_X = 100, EMPTY_Y = 20;

class CheckBox : public ControlTest {
protected:
    void SetUp() override
    {
        box->SetCaption(u"Sound");
        ASSERT_TRUE(driver.PumpUntilIdle());
    }
    void ClickAt(int32_t x, int32_t y)
    {
        driver.Move(x, y);
        driver.Click(x, y);
    }

    Backdrop* backdrop = Add<Backdrop>(0, 0, 160, 60);
    c_GUIB_CheckBox* box = Add<c_GUIB_CheckBox>(10, 10, 120, 20);
};

TEST_F(CheckBox, LaysOutBoxAndMeasuredText)
{
    EXPECT_EQ(box->GetBoxRect(), (GUIB_Rect { 0, 5, 10, 15 }));
    EXPECT_EQ(box->GetTextRect(), (GUIB_Rect { 15, 0, 45, 20 }));
    // A caption longer than the room is cut at the right edge; the box follows the height.
    box->SetCaption("A caption far too long for the box");
    box->SetSize(60, 30);
    EXPECT_EQ(box->GetTextRect(), (GUIB_Rect { 15, 0, 60, 30 }));
    EXPECT_EQ(box->GetBoxRect(), (GUIB_Rect { 0, 10, 10, 20 }));
}

TEST_F(CheckBox, BeforeACaptionOnlyTheBoxTakesClicks)
{
    auto* bare = Add<c_GUIB_CheckBox>(10, 35, 120, 20);
    EXPECT_EQ(bare->GetBoxRect(), (GUIB_Rect { 0, 5, 10, 15 }));
    EXPECT_EQ(bare->GetTextRect().left, bare->GetTextRect().right);
    ClickAt(BOX_X, 45);
    EXPECT_EQ(bare->GetCheck(), GUIB_CHECK_ON);
    ClickAt(40, 45);
    EXPECT_EQ(bare->GetCheck(), GUIB_CHECK_ON);
}

// Only the box and the caption's extent belong to the check box.
TEST_F(CheckBox, HitAreaIsTheBoxAndTheText)
{
    struct Case {
        const char* name;
        int32_t x, y;
        bool taken;
    };
    const Case cases[] = {
        { "box", BOX_X, BOX_Y, true },
        { "text", TEXT_X, TEXT_Y, true },
        { "text's last column", 54, 28, true },
        { "right of the text", EMPTY_X, EMPTY_Y, false },
        { "just right of the text", 55, 20, false },
        { "above the box", BOX_X, 12, false },
        { "between box and text", 22, 20, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t before = box->GetCheck();
        const int pressesBefore = backdrop->presses;
        ClickAt(c.x, c.y);
        EXPECT_EQ(box->GetCheck() != before, c.taken);
        EXPECT_EQ(backdrop->presses - pressesBefore, c.taken ? 0 : 1);
    }
}

TEST_F(CheckBox, TogglesAndReportsTheNewStateUnlessDisabled)
{
    ClickAt(BOX_X, BOX_Y);
    ClickAt(TEXT_X, TEXT_Y);
    box->SetCheck(GUIB_CHECK_UNDETERMINED);
    box->SetCheck(3);
    ClickAt(BOX_X, BOX_Y);
    const std::vector<test::Note> expected
        = { { GUIB_CHK_TOGGLED, 1, 0 }, { GUIB_CHK_TOGGLED, 0, 0 }, { GUIB_CHK_TOGGLED, 0, 0 } };
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(box->GetCheck(), GUIB_CHECK_OFF);
    box->Enable(false); // a disabled box takes no input
    ClickAt(BOX_X, BOX_Y);
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(box->GetCheck(), GUIB_CHECK_OFF);
}

TEST_F(CheckBox, ReleaseAwayFromBoxAndTextDoesNotToggle)
{
    for (GUIB_Point away : { GUIB_Point { EMPTY_X, EMPTY_Y }, GUIB_Point { 150, 50 } }) {
        driver.Move(BOX_X, BOX_Y);
        driver.Press(BOX_X, BOX_Y);
        driver.Move(away.x, away.y);
        driver.Release(away.x, away.y);
        EXPECT_TRUE(notes.empty());
        EXPECT_EQ(driver.Desktop()->GetCaptureWindow(), nullptr);
    }
    // Leaving and coming back before the release toggles.
    driver.Press(BOX_X, BOX_Y);
    driver.Move(EMPTY_X, EMPTY_Y);
    driver.Move(TEXT_X, TEXT_Y);
    driver.Release(TEXT_X, TEXT_Y);
    EXPECT_EQ(box->GetCheck(), GUIB_CHECK_ON);
}

}
