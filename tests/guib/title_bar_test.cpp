// The title bar: dragging it moves its parent by the distance the mouse travelled, whatever
// speed the mouse goes at, and the release ends the move.
#include "tests/guib/geometry_checks.h"
#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

namespace {

class TitleBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        GUIB_WindowCreate create { 100, 80, 200, 120, 0, 0, driver.Desktop(), driver.Environment(),
            nullptr, 0 };
        frame = new c_GUIB_Window(&create);
        create = { 0, 0, 200, 16, 0, 0, frame, driver.Environment(), nullptr, 0 };
        bar = new c_GUIB_TitleBar(&create);
        ASSERT_TRUE(driver.PumpUntilIdle());
    }

    test::GuiDriver driver;
    c_GUIB_Window* frame = nullptr;
    c_GUIB_TitleBar* bar = nullptr;
};

TEST_F(TitleBar, DraggingMovesTheParentUntilTheRelease)
{
    // Many small steps and one big one end in the same place: the move is measured from the
    // press, not summed from step to step.
    for (int32_t steps : { 1, 7 }) {
        const GUIB_Point start = test::PositionOf(frame);
        driver.Drag(start.x + 10, start.y + 5, start.x + 60, start.y - 35, steps);
        EXPECT_EQ(test::PositionOf(frame), (GUIB_Point { start.x + 50, start.y - 40 })) << steps;
        EXPECT_FALSE(bar->IsDragging());
        EXPECT_EQ(driver.Desktop()->GetCaptureWindow(), nullptr);
    }
    const GUIB_Point before = test::PositionOf(frame);
    driver.Move(before.x + 100, before.y + 90);
    EXPECT_EQ(test::PositionOf(frame), before);
}

TEST_F(TitleBar, TheDragFollowsTheMouseOutsideTheBarAndTheWindow)
{
    driver.Move(150, 85);
    driver.Press(150, 85);
    EXPECT_TRUE(bar->IsDragging());
    driver.Move(10, 300);
    EXPECT_EQ(test::PositionOf(frame), (GUIB_Point { -40, 295 }));
    driver.Release(10, 300);
    EXPECT_FALSE(bar->IsDragging());
}

}
