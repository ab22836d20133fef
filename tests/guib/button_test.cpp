// c_GUIB_Button driven through the desktop: clicks and their cancellation, repeats on the ticks,
// disabled buttons, the placement of icon and caption, the icons of the visual states and
// rounded corners.
#include "tests/guib/control_fixture.h"

#include <algorithm>

namespace {

using test::ControlTest;

constexpr int32_t INSIDE_X = 80, INSIDE_Y = 30; // the button is (40, 20) to (120, 40)
constexpr int32_t OUTSIDE_X = 10, OUTSIDE_Y = 10;

class Button : public ControlTest {
protected:
    void SetUp() override
    {
        button->SetCaption(u"OK");
        ASSERT_TRUE(driver.PumpUntilIdle());
    }
    // Holds the button down for the time in steps, pumping after each; the times of the
    // repeats, counted from the start.
    std::vector<uint32_t> Hold(uint32_t milliseconds, uint32_t step = 10)
    {
        std::vector<uint32_t> repeats;
        for (uint32_t t = step; t <= milliseconds; t += step) {
            driver.Advance(step);
            const size_t before = notes.size();
            driver.Pump();
            for (size_t i = before; i < notes.size(); ++i)
                if (notes[i].code == GUIB_BN_REPEAT)
                    repeats.push_back(t);
        }
        return repeats;
    }

    c_GUIB_Button* button = Add<c_GUIB_Button>(40, 20, 80, 20);
};

// The pointer's way between press and release decides whether the release clicks.
TEST_F(Button, ClicksOnlyWhenReleasedOverItAfterAPressOnIt)
{
    struct Case {
        const char* name;
        std::vector<GUIB_Point> between;
        GUIB_Point release;
        bool clicks;
    };
    const Case cases[] = {
        { "in place", {}, { INSIDE_X, INSIDE_Y }, true },
        { "moved within", { { 45, 25 } }, { 115, 35 }, true },
        { "left and released outside", { { OUTSIDE_X, OUTSIDE_Y } }, { OUTSIDE_X, OUTSIDE_Y },
            false },
        { "left and returned", { { OUTSIDE_X, OUTSIDE_Y }, { 50, 30 } }, { 50, 30 }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        notes.clear();
        driver.Move(INSIDE_X, INSIDE_Y);
        driver.Press(INSIDE_X, INSIDE_Y);
        EXPECT_EQ(button->GetPressState(), GUIB_PRESS_LOOK | GUIB_PRESS_TRACKING);
        for (const GUIB_Point& p : c.between)
            driver.Move(p.x, p.y);
        driver.Release(c.release.x, c.release.y);
        EXPECT_EQ(Codes(),
            c.clicks ? std::vector<uint32_t> { GUIB_BN_CLICKED } : std::vector<uint32_t> {});
        EXPECT_EQ(button->GetPressState(), 0u);
        EXPECT_EQ(driver.Desktop()->GetCaptureWindow(), nullptr);
        driver.Move(OUTSIDE_X, OUTSIDE_Y);
    }
}

// Held over the button, it repeats on the first tick after the delay and then on the first tick
// after each interval, for a normal and a repeat button alike and whatever the environment says.
TEST_F(Button, RepeatsWhileHeldByTheEnvironmentsTimes)
{
    struct Case {
        uint32_t style;
        uint32_t delay;
        uint32_t interval;
    };
    for (const Case& c :
        { Case { 1, 250, 50 }, Case { 1 | GUIB_BS_REPEAT, 250, 50 }, Case { 1, 100, 30 } }) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << ", delay " << c.delay);
        ASSERT_EQ(driver.Environment()->SetProperty(GUIB_PROP_REPEAT_DELAY, c.delay), SYS_OK);
        ASSERT_EQ(driver.Environment()->SetProperty(GUIB_PROP_REPEAT_INTERVAL, c.interval), SYS_OK);
        button->SetButtonStyle(c.style);
        notes.clear();
        driver.Move(INSIDE_X, INSIDE_Y);
        driver.Press(INSIDE_X, INSIDE_Y);
        const bool repeatButton = (c.style & GUIB_BS_REPEAT) != 0;
        EXPECT_EQ(Codes(),
            repeatButton ? std::vector<uint32_t> { GUIB_BN_CLICKED } : std::vector<uint32_t> {});
        const std::vector<uint32_t> times = Hold(400);
        ASSERT_GE(times.size(), 2u);
        EXPECT_GT(times[0], c.delay);
        EXPECT_LE(times[0], c.delay + 10);
        for (size_t i = 1; i < times.size(); ++i) {
            EXPECT_GT(times[i] - times[i - 1], c.interval);
            EXPECT_LE(times[i] - times[i - 1], c.interval + 10);
        }
        driver.Release(INSIDE_X, INSIDE_Y);
        const std::vector<uint32_t> codes = Codes();
        EXPECT_EQ(std::count(codes.begin(), codes.end(), GUIB_BN_CLICKED), 1);
        EXPECT_EQ(codes.back(), repeatButton ? GUIB_BN_REPEAT : GUIB_BN_CLICKED);
        const size_t before = notes.size();
        Hold(200);
        EXPECT_EQ(notes.size(), before) << "repeats after the release";
    }
    // Nor while the pointer is away.
    notes.clear();
    driver.Press(INSIDE_X, INSIDE_Y);
    driver.Move(OUTSIDE_X, OUTSIDE_Y);
    EXPECT_TRUE(Hold(400).empty());
}

TEST_F(Button, DisabledTakesNoInput)
{
    button->SetButtonStyle(GUIB_BS_REPEAT);
    button->Enable(false);
    driver.Move(INSIDE_X, INSIDE_Y);
    driver.Press(INSIDE_X, INSIDE_Y);
    Hold(400);
    driver.Release(INSIDE_X, INSIDE_Y);
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(button->GetPressState(), 0u);
    EXPECT_EQ(button->GetFlags() & GUIB_WF_HOVER, 0u);
}

uint32_t DisableOnRepeat(c_GUIB_Window* window, uintptr_t, uint32_t code, uintptr_t, uintptr_t)
{
    if (code == GUIB_BN_REPEAT)
        window->Enable(false);
    return 0;
}

// A button disabled while held, as an arrow button at the end of its range is, must not keep
// the capture: no input reaches a disabled window, so nothing would ever release it.
TEST_F(Button, DisabledWhileHeldGivesUpThePress)
{
    ASSERT_EQ(button->AddCallback(DisableOnRepeat, 0), SYS_OK);
    (void)Add<c_GUIB_Button>(0, 45, 30, 15);
    driver.Move(INSIDE_X, INSIDE_Y);
    driver.Press(INSIDE_X, INSIDE_Y);
    Hold(400);
    EXPECT_EQ(Codes(), std::vector<uint32_t> { GUIB_BN_REPEAT });
    EXPECT_EQ(button->GetPressState(), 0u);
    EXPECT_EQ(driver.Desktop()->GetCaptureWindow(), nullptr);
    driver.Release(INSIDE_X, INSIDE_Y);
    notes.clear();
    driver.Move(10, 50);
    driver.Click(10, 50);
    EXPECT_EQ(Codes(), std::vector<uint32_t> { GUIB_BN_CLICKED }) << "the other button";
    button->Enable(true);
    driver.Move(INSIDE_X, INSIDE_Y);
    driver.Click(INSIDE_X, INSIDE_Y);
    EXPECT_EQ(Codes(), (std::vector<uint32_t> { GUIB_BN_CLICKED, GUIB_BN_CLICKED }));
}

// Caption and icon are centred together: the caption in a box an icon wider than the button,
// the icon ending where the caption begins.
TEST_F(Button, PlacesTheIconLeftOfTheCentredCaption)
{
    auto icon = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(16, 8));
    icon->SetColour(0xFFFF0000);
    icon->FillRect(0, 0, 16, 8);
    button->ClearFlags(0);
    button->SetFrameStyle(0);
    ASSERT_EQ(button->SetIcon(icon.Get(), GUIB_ICON_NORMAL), SYS_OK);
    ASSERT_TRUE(driver.PumpUntilIdle());
    const c_GUIB_Bitmap* surface = button->GetSurface();
    // "OK" is 12 pixels wide, centred in 96: it starts at 42; the icon covers 26 to 41.
    const int32_t captionLeft = (80 + 16 - 2 * test::TEST_FONT_ADVANCE) / 2;
    for (int32_t y : { 6, 13 }) {
        EXPECT_EQ(surface->GetPixel(captionLeft - 16, y), 0xFFFF0000u);
        EXPECT_EQ(surface->GetPixel(captionLeft - 1, y), 0xFFFF0000u);
        EXPECT_NE(surface->GetPixel(captionLeft - 17, y), 0xFFFF0000u);
        EXPECT_NE(surface->GetPixel(captionLeft, y), 0xFFFF0000u);
    }
    EXPECT_NE(surface->GetPixel(captionLeft - 8, 5), 0xFFFF0000u) << "the icon is centred";
}

// Without a caption the icon of the visual state stands in the middle.
TEST_F(Button, ShowsTheIconOfItsVisualState)
{
    button->SetCaption(static_cast<const char16_t*>(nullptr));
    std::vector<GUIB_Ref<c_GUIB_Bitmap>> icons;
    for (uint32_t slot :
        { GUIB_ICON_NORMAL, GUIB_ICON_HOVER, GUIB_ICON_DISABLED, GUIB_ICON_PRESSED }) {
        icons.push_back(GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(8, 8)));
        icons.back()->SetColour(0xFF000000 + slot);
        icons.back()->FillRect(0, 0, 8, 8);
        ASSERT_EQ(button->SetIcon(icons.back().Get(), slot), SYS_OK);
    }
    EXPECT_EQ(button->SetIcon(icons[0].Get(), GUIB_BUTTON_ICONS), GUIB_OUT_OF_RANGE);
    auto centre = [&] {
        EXPECT_TRUE(driver.PumpUntilIdle());
        return button->GetSurface()->GetPixel(40, 10) - 0xFF000000;
    };
    EXPECT_EQ(centre(), GUIB_ICON_NORMAL);
    driver.Move(INSIDE_X, INSIDE_Y);
    EXPECT_EQ(centre(), GUIB_ICON_HOVER);
    driver.Press(INSIDE_X, INSIDE_Y);
    EXPECT_EQ(centre(), GUIB_ICON_PRESSED);
    driver.Move(OUTSIDE_X, OUTSIDE_Y);
    EXPECT_EQ(centre(), GUIB_ICON_NORMAL) << "pressed, the pointer away";
    driver.Release(OUTSIDE_X, OUTSIDE_Y);
    button->Enable(false);
    EXPECT_EQ(centre(), GUIB_ICON_DISABLED);
}

TEST_F(Button, RoundedMakesExactlyTheFourCornersTransparent)
{
    button->SetButtonStyle(GUIB_BS_ROUNDED);
    ASSERT_TRUE(driver.PumpUntilIdle());
    const c_GUIB_Bitmap* surface = button->GetSurface();
    int transparent = 0;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 80; ++x)
            transparent += surface->GetPixel(x, y) >> 24 == 0 ? 1 : 0;
    EXPECT_EQ(transparent, 4);
    for (GUIB_Point corner : { GUIB_Point { 0, 0 }, { 79, 0 }, { 0, 19 }, { 79, 19 } })
        EXPECT_EQ(surface->GetPixel(corner.x, corner.y), 0u);
}

}
