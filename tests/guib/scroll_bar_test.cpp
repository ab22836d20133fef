// Scroll bars: their geometry, the value and thumb arithmetic at its edges, and what drags,
// track presses, arrows and the wheel report.
#include "tests/guib/control_fixture.h"

#include <cmath>

namespace {

class ScrollBarTest : public test::ControlTest {
protected:
    ScrollBarTest()
        : ControlTest(240, 200)
    {
    }
    // A bar at (10, 10); points below are in the bar's own coordinates.
    c_GUIB_ScrollBar* Make(int32_t w, int32_t h)
    {
        bar = Add<c_GUIB_ScrollBar>(10, 10, w, h);
        EXPECT_TRUE(driver.PumpUntilIdle());
        return bar;
    }
    void Set(float minimum, float maximum, float value, float page, float step = 1)
    {
        const GUIB_ScrollInfo info { minimum, maximum, value, page, step, 0 };
        ASSERT_EQ(bar->SetScrollInfo(&info), SYS_OK);
    }
    float Value() const { return test::InfoOf(bar).value; }
    void Drag(int32_t from, int32_t to) { driver.Drag(18, 10 + from, 18, 10 + to); }

    c_GUIB_ScrollBar* bar = nullptr;
};

TEST_F(ScrollBarTest, DefaultVerticalBarHasButtonsTrackAndAMinimumThumb)
{
    Make(16, 100);
    const GUIB_ScrollInfo info = test::InfoOf(bar);
    EXPECT_EQ(info.orientation & 0x7, GUIB_SB_VERTICAL);
    EXPECT_EQ(info.maximum, 99);
    EXPECT_EQ(info.page, 10);
    EXPECT_EQ(bar->GetButtonSize(), 16);
    EXPECT_EQ(bar->GetTrackOffset(), 16);
    EXPECT_EQ(bar->GetTrackLength(), 68);
    EXPECT_EQ(bar->GetThumbSize(), 8); // round(68 × 10 / 99) = 7, raised to half the bar size
    EXPECT_EQ(test::PositionOf(bar->GetIncreaseButton()), (GUIB_Point { 0, 84 }));
    bar->SetSize(16, 200);
    EXPECT_EQ(bar->GetTrackLength(), 168);
    EXPECT_EQ(test::PositionOf(bar->GetIncreaseButton()), (GUIB_Point { 0, 184 }));
    // A wide bar is horizontal; its buttons shrink to half its length.
    Make(20, 12);
    EXPECT_TRUE(bar->IsHorizontal());
    EXPECT_EQ(bar->GetButtonSize(), 10);
    EXPECT_EQ(bar->GetTrackLength(), 0);
    EXPECT_EQ(bar->GetThumbSize(), 0); // the minimum size is not below a track of 0
}

TEST_F(ScrollBarTest, DragSendsTrackingPerChangeAndOneChangedAtTheRelease)
{
    Make(16, 100);
    Drag(20, 60); // grabbed 4 pixels into the thumb; moves of 10 pixels over a room of 60
    const std::vector<test::Note> expected { { GUIB_SB_TRACKING, 14, 0 },
        { GUIB_SB_TRACKING, 29, 0 }, { GUIB_SB_TRACKING, 44, 0 }, { GUIB_SB_TRACKING, 59, 0 },
        { GUIB_SB_CHANGED, 59, 0 } };
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(bar->GetThumbPosition(), 40);
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(driver.Desktop()->GetCaptureWindow(), nullptr);
}

TEST_F(ScrollBarTest, DragBeyondTheTrackStopsAtTheEnds)
{
    Make(16, 100);
    Drag(20, 190);
    EXPECT_FLOAT_EQ(Value(), 89);
    notes.clear();
    Drag(84 - 4, -50);
    EXPECT_FLOAT_EQ(Value(), 0);
    EXPECT_EQ(notes.back(), (test::Note { GUIB_SB_CHANGED, 0, 0 }));
}

TEST_F(ScrollBarTest, TrackPressPutsTheThumbsMiddleUnderThePointer)
{
    Make(16, 100);
    driver.Click(18, 10 + 16 + 50);
    EXPECT_EQ(bar->GetThumbPosition(), 46);
    EXPECT_EQ(notes, (std::vector<test::Note> { { GUIB_SB_CHANGED, 68, 0 } }));
}

TEST_F(ScrollBarTest, WheelAwayFromTheUserLowersTheValue)
{
    Make(16, 100);
    Set(0, 99, 50, 10, 3);
    driver.Wheel(18, 50, 2);
    EXPECT_FLOAT_EQ(Value(), 44);
    driver.Wheel(18, 50, -100);
    EXPECT_FLOAT_EQ(Value(), 89);
    driver.Wheel(18, 50, -1); // at the end already: no notification
    const std::vector<test::Note> expected { { GUIB_SB_CHANGED, 44, 0 },
        { GUIB_SB_CHANGED, 89, 0 } };
    EXPECT_EQ(notes, expected);
}

TEST_F(ScrollBarTest, ArrowsStepWithinTheRange)
{
    Make(16, 100);
    Set(0, 20, 9, 10, 2);
    driver.Click(18, 10 + 90); // increase
    driver.Click(18, 10 + 90);
    EXPECT_FLOAT_EQ(Value(), 10); // 9 + 2 limited to 20 - 10, then no change
    driver.Click(18, 10 + 5); // decrease
    EXPECT_FLOAT_EQ(Value(), 8);
    const std::vector<test::Note> expected { { GUIB_SB_CHANGED, 10, 0 },
        { GUIB_SB_CHANGED, 8, 0 } };
    EXPECT_EQ(notes, expected);
}

TEST_F(ScrollBarTest, WithoutAThumbOnlyTheWheelMovesTheValueToTheMinimum)
{
    Make(16, 100);
    Set(3, 8, 3, 10);
    EXPECT_EQ(bar->GetThumbSize(), 0);
    driver.Click(18, 50);
    Drag(20, 60);
    driver.Click(18, 10 + 90);
    EXPECT_TRUE(notes.empty());
    driver.Wheel(18, 50, -3);
    EXPECT_FLOAT_EQ(Value(), 3);
}

TEST_F(ScrollBarTest, SetScrollInfoChecksTheRangeAndClampsTheValue)
{
    Make(16, 100);
    const GUIB_ScrollInfo reversed { 10, 5, 0, 1, 1, 0 };
    EXPECT_EQ(bar->SetScrollInfo(&reversed), GUIB_BAD_RANGE);
    EXPECT_FLOAT_EQ(Value(), 0);
    Set(0, 50, 70, 10);
    EXPECT_FLOAT_EQ(Value(), 40);
    EXPECT_EQ(bar->GetThumbPosition(), bar->GetTrackLength() - bar->GetThumbSize());
    Set(0, 5, 0, 10); // a page beyond the range would put maximum - page below the minimum
    EXPECT_FLOAT_EQ(Value(), 0);
    const GUIB_ScrollInfo horizontal { 0, 99, 0, 10, 1, GUIB_SB_HORIZONTAL };
    ASSERT_EQ(bar->SetScrollInfo(&horizontal), SYS_OK);
    EXPECT_TRUE(bar->IsHorizontal());
    EXPECT_EQ(bar->GetTrackLength(), 16 - 2 * 8);
}

// A track exactly as long as its thumb: the thumb cannot move, and dragging it must not divide
// by the room of zero pixels.
TEST_F(ScrollBarTest, ThumbFillingTheTrackKeepsTheValueInRange)
{
    Make(16, 34);
    Set(0, 4, 1, 3);
    EXPECT_EQ(bar->GetTrackLength(), 2);
    EXPECT_EQ(bar->GetThumbSize(), 2);
    EXPECT_EQ(bar->GetThumbPosition(), 0);
    Drag(16, 30);
    Drag(17, 0);
    driver.Wheel(18, 27, -1);
    const float value = Value();
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 1);
    for (const test::Note& n : notes)
        EXPECT_TRUE(n.p1 == 0 || n.p1 == 1) << n.p1;
}

TEST_F(ScrollBarTest, ThumbLightsUnderThePointerAndPaintsTheTrack)
{
    Make(16, 100);
    driver.Move(18, 10 + 20);
    EXPECT_TRUE(bar->IsThumbHot());
    driver.Move(18, 10 + 60);
    EXPECT_FALSE(bar->IsThumbHot());
    driver.Move(18, 10 + 20);
    driver.Move(100, 150);
    EXPECT_FALSE(bar->IsThumbHot());
    ASSERT_TRUE(driver.PumpUntilIdle());
    uint32_t track = 0;
    (void)bar->GetFillColour(2, &track);
    EXPECT_EQ(bar->GetSurface()->GetPixel(8, 60), track);
}

}
