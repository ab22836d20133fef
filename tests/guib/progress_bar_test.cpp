// c_GUIB_ProgressBar: clamping, the percent text, the bar's length with and without the frame,
// and the no-redraw flag.
#include "tests/guib/control_fixture.h"

#include <string>

namespace {

using test::ControlTest;

class ProgressBar : public ControlTest {
protected:
    void SetUp() override { ASSERT_TRUE(driver.PumpUntilIdle()); }
    c_GUIB_ProgressBar* bar = Add<c_GUIB_ProgressBar>(10, 20, 101, 16);
};

TEST_F(ProgressBar, ClampsAndWritesFiveCharacters)
{
    struct Case {
        int32_t set;
        int32_t value;
        const char* text;
        int32_t framed; // bar length with the frame (100 pixels of span)
        int32_t plain; // and without it (101)
    };
    const Case cases[] = { { 7, 7, "  7 %", 7, 7 }, { 42, 42, " 42 %", 42, 42 },
        { 100, 100, "100 %", 100, 101 }, { 150, 100, "100 %", 100, 101 }, { 9, 9, "  9 %", 9, 9 },
        { 10, 10, " 10 %", 10, 10 }, { 99, 99, " 99 %", 99, 99 }, { -5, 0, "  0 %", 0, 0 },
        { INT32_MIN, 0, "  0 %", 0, 0 } };
    EXPECT_STREQ(bar->GetPercentText(), "  0 %");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        bar->SetFrameStyle(GUIB_FRAME_BIT);
        bar->SetValue(c.set, 0);
        EXPECT_EQ(bar->GetValue(), c.value);
        EXPECT_STREQ(bar->GetPercentText(), c.text);
        EXPECT_EQ(bar->GetBarLength(), c.framed);
        bar->SetFrameStyle(0);
        EXPECT_EQ(bar->GetBarLength(), c.plain);
    }
}

// The bar follows a size change made after the value.
TEST_F(ProgressBar, BarFollowsTheSize)
{
    bar->SetFrameStyle(0);
    bar->SetValue(50, 0);
    bar->SetSize(200, 16);
    EXPECT_EQ(bar->GetBarLength(), 100);
    ASSERT_TRUE(driver.PumpUntilIdle());
    uint32_t done = 0, rest = 0;
    ASSERT_EQ(bar->GetFillColour(4, &done), SYS_OK);
    ASSERT_EQ(bar->GetFillColour(0, &rest), SYS_OK);
    EXPECT_EQ(bar->GetSurface()->GetPixel(99, 0), done);
    EXPECT_EQ(bar->GetSurface()->GetPixel(100, 0), rest);
    EXPECT_EQ(bar->GetSurface()->GetPixel(199, 15), rest);
}

TEST_F(ProgressBar, NoRedrawFlagLeavesItClean)
{
    bar->SetValue(30, GUIB_PB_NO_REDRAW);
    EXPECT_EQ(bar->GetFlags() & GUIB_WF_DIRTY, 0u);
    EXPECT_STREQ(bar->GetPercentText(), " 30 %");
    bar->SetValue(30, 0);
    EXPECT_EQ(bar->GetFlags() & GUIB_WF_DIRTY, 0u) << "an unchanged value";
    bar->SetValue(31, 0);
    EXPECT_NE(bar->GetFlags() & GUIB_WF_DIRTY, 0u);
}

}
