// Picture panels: every picture mode, the scroll bars of scroll mode and the wheel, and what
// the panel shows scrolled.
#include "tests/guib/bitmap_checks.h"
#include "tests/guib/control_fixture.h"

namespace {

// A picture whose every pixel tells where it is: 0xFF000000 | x << 8 | y.
GUIB_Ref<c_GUIB_Bitmap> Picture(int32_t w, int32_t h)
{
    auto bitmap = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(w, h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bitmap->SetPixel(x, y, 0xFF000000u | uint32_t(x & 0xFF) << 8 | uint32_t(y & 0xFF));
    return bitmap;
}

constexpr uint32_t BACKGROUND = 0xFF203040;

class PanelTest : public test::ControlTest {
protected:
    PanelTest()
        : ControlTest(240, 200)
    {
    }
    c_GUIB_Panel* Make(int32_t w, int32_t h, bool frame = false)
    {
        panel = Add<c_GUIB_Panel>(10, 10, w, h);
        panel->SetFrameStyle(frame ? GUIB_FRAME_BIT : 0);
        return panel;
    }
    SYS_Status Set(c_GUIB_Bitmap* picture, uint32_t mode, int32_t hStep = 0, int32_t vStep = 0)
    {
        const GUIB_PictureSetup setup { BACKGROUND, picture, mode, hStep, vStep };
        return panel->SetPicture(&setup);
    }
    GUIB_Point Offset() const
    {
        GUIB_Point offset { 0, 0 };
        panel->GetScrollOffset(&offset.x, &offset.y);
        return offset;
    }
    uint32_t Pixel(int32_t x, int32_t y)
    {
        EXPECT_TRUE(driver.PumpUntilIdle());
        return panel->GetSurface()->GetPixel(x, y);
    }

    c_GUIB_Panel* panel = nullptr;
};

TEST_F(PanelTest, FitShrinksALargerPictureKeepingItsAspect)
{
    Make(200, 200);
    auto large = Picture(400, 300);
    EXPECT_EQ(Set(large.Get(), GUIB_PM_FIT), SYS_OK);
    EXPECT_EQ(test::SizeOf(*large), std::pair(200, 150));
    auto small = Picture(100, 50);
    EXPECT_EQ(Set(small.Get(), GUIB_PM_FIT), SYS_OK);
    EXPECT_EQ(test::SizeOf(*small), std::pair(100, 50));
    auto tall = Picture(150, 601); // 601 / 3 = 200.33: the width rounds from 49.9 to 50
    EXPECT_EQ(Set(tall.Get(), GUIB_PM_FIT), SYS_OK);
    EXPECT_EQ(test::SizeOf(*tall), std::pair(50, 200));
}

TEST_F(PanelTest, StretchResamplesToThePanelAndOtherModesAreRefused)
{
    Make(60, 40);
    auto picture = Picture(10, 10);
    EXPECT_EQ(Set(picture.Get(), GUIB_PM_STRETCH), SYS_OK);
    EXPECT_EQ(test::SizeOf(*picture), std::pair(60, 40));
    for (uint32_t mode : { 3u, 5u, 6u, 0x13u }) {
        EXPECT_EQ(Set(picture.Get(), mode), GUIB_BAD_RANGE) << mode;
        GUIB_PictureSetup held {};
        panel->GetPicture(&held);
        EXPECT_EQ(held.picture, picture.Get());
        EXPECT_EQ(held.mode, mode);
        EXPECT_EQ(held.background, BACKGROUND);
    }
    panel->GetPicture(nullptr);
}

TEST_F(PanelTest, OnceAndCentreFillAroundThePicture)
{
    Make(40, 30);
    auto picture = Picture(10, 8);
    ASSERT_EQ(Set(picture.Get(), GUIB_PM_ONCE), SYS_OK);
    EXPECT_EQ(Pixel(9, 7), 0xFF000907u);
    EXPECT_EQ(Pixel(10, 7), BACKGROUND);
    ASSERT_EQ(Set(picture.Get(), GUIB_PM_CENTRE), SYS_OK);
    EXPECT_EQ(Pixel(15, 11), 0xFF000000u);
    EXPECT_EQ(Pixel(14, 11), BACKGROUND);
    auto large = Picture(100, 50);
    ASSERT_EQ(Set(large.Get(), GUIB_PM_CENTRE), SYS_OK); // placed at (-30, -10)
    EXPECT_EQ(Pixel(0, 0), 0xFF001E0Au);
    EXPECT_EQ(Pixel(39, 29), 0xFF004527u);
}

TEST_F(PanelTest, TilingAPictureWithoutPixelsFillsTheBackground)
{
    Make(40, 30, true);
    auto empty = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap());
    ASSERT_EQ(Set(empty.Get(), GUIB_PM_TILE), SYS_OK);
    EXPECT_EQ(Pixel(20, 15), BACKGROUND);
    auto tile = Picture(7, 5);
    ASSERT_EQ(Set(tile.Get(), GUIB_PM_TILE), SYS_OK);
    EXPECT_EQ(Pixel(1 + 7 * 3 + 2, 1 + 5 * 2 + 4), 0xFF000204u);
}

TEST_F(PanelTest, AWidePictureGetsAHorizontalBarAndBothWhenTheBarMakesItTooHigh)
{
    Make(100, 80);
    auto wide = Picture(150, 60);
    ASSERT_EQ(Set(wide.Get(), GUIB_PM_SCROLL), SYS_OK);
    ASSERT_NE(panel->GetHorizontalBar(), nullptr);
    EXPECT_EQ(panel->GetVerticalBar(), nullptr);
    EXPECT_EQ(test::InfoOf(panel->GetHorizontalBar()).maximum, 150);
    EXPECT_EQ(test::InfoOf(panel->GetHorizontalBar()).page, 100);
    auto higher = Picture(150, 70); // 70 > 80 - 16
    ASSERT_EQ(Set(higher.Get(), GUIB_PM_SCROLL), SYS_OK);
    ASSERT_NE(panel->GetHorizontalBar(), nullptr);
    ASSERT_NE(panel->GetVerticalBar(), nullptr);
    EXPECT_EQ(test::SizeOf(panel->GetHorizontalBar()).x, 84);
    auto fits = Picture(100, 80);
    ASSERT_EQ(Set(fits.Get(), GUIB_PM_SCROLL), SYS_OK);
    EXPECT_EQ(panel->GetHorizontalBar(), nullptr);
    EXPECT_EQ(panel->GetVerticalBar(), nullptr);
    EXPECT_TRUE(driver.PumpUntilIdle()); // the dropped bars go at the next pass
    EXPECT_EQ(panel->GetChildCount(), 0u);
}

TEST_F(PanelTest, WheelTowardsTheUserScrollsDownAsFarAsTheBarAllows)
{
    Make(100, 80, true);
    auto tall = Picture(50, 200);
    ASSERT_EQ(Set(tall.Get(), GUIB_PM_SCROLL, 0, 7), SYS_OK);
    // The frame takes 2 pixels when the other bar is absent.
    EXPECT_EQ(test::InfoOf(panel->GetVerticalBar()).page, 78);
    driver.Wheel(40, 40, -3);
    EXPECT_EQ(Offset(), (GUIB_Point { 0, 21 }));
    EXPECT_EQ(Pixel(1, 1), 0xFF000015u);
    driver.Wheel(40, 40, -100);
    EXPECT_EQ(Offset(), (GUIB_Point { 0, 200 - 78 }));
    driver.Wheel(40, 40, 100);
    EXPECT_EQ(Offset(), (GUIB_Point { 0, 0 }));
}

TEST_F(PanelTest, ScrollStepsDefaultToTheFontsLineHeight)
{
    Make(100, 80);
    auto large = Picture(300, 300);
    ASSERT_EQ(Set(large.Get(), GUIB_PM_SCROLL), SYS_OK);
    const int32_t lineHeight = test::TEST_FONT_HEIGHT;
    EXPECT_EQ(test::InfoOf(panel->GetVerticalBar()).step, lineHeight);
    EXPECT_EQ(test::InfoOf(panel->GetHorizontalBar()).step, 4 * lineHeight);
    driver.Click(10 + 84 - 5, 10 + 64 + 8); // the horizontal bar's increase arrow
    EXPECT_EQ(Offset().x, 4 * lineHeight);
}

TEST_F(PanelTest, NoPictureOnAPanelWithoutOneLeavesItClean)
{
    Make(40, 30);
    EXPECT_EQ(Set(nullptr, 0), SYS_OK);
    EXPECT_EQ(Pixel(5, 5), BACKGROUND); // a new background shows without a picture too
    EXPECT_EQ(Set(nullptr, 0), SYS_OK);
    EXPECT_EQ(panel->GetFlags() & GUIB_WF_DIRTY, 0u);
    auto picture = Picture(4, 4);
    ASSERT_EQ(Set(picture.Get(), 0), SYS_OK);
    ASSERT_TRUE(driver.PumpUntilIdle());
    EXPECT_EQ(Set(nullptr, 0), SYS_OK);
    EXPECT_NE(panel->GetFlags() & GUIB_WF_DIRTY, 0u);
    EXPECT_EQ(picture->GetRefCount(), 1u);
}

TEST_F(PanelTest, APictureThatWasTheSurfaceIsNotPaintedOnLater)
{
    Make(20, 20);
    auto picture = Picture(20, 20);
    ASSERT_EQ(Set(picture.Get(), GUIB_PM_SURFACE), SYS_OK);
    EXPECT_EQ(panel->GetSurface(), picture.Get());
    auto other = Picture(5, 5);
    ASSERT_EQ(Set(other.Get(), GUIB_PM_ONCE), SYS_OK);
    EXPECT_EQ(Pixel(10, 10), BACKGROUND);
    EXPECT_EQ(picture->GetPixel(10, 10), 0xFF000A0Au);
    EXPECT_EQ(picture->GetRefCount(), 1u);
}

TEST_F(PanelTest, FrameOfAScrolledPicture)
{
    Make(150, 110, true);
    auto large = Picture(220, 90);
    ASSERT_EQ(Set(large.Get(), GUIB_PM_SCROLL, 10, 10), SYS_OK);
    driver.Click(10 + 150 - 30, 10 + 110 - 8); // right along the horizontal track
    ASSERT_TRUE(driver.PumpUntilIdle());
    EXPECT_TRUE(driver.MatchesFrame("controls/panel_scroll"));
}

}
