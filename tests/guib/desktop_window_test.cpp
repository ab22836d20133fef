// The desktop's own window on either system: what is composed reaches the window, input posted
// to the window reaches the tree at the right coordinates, and a close ends the pump.
#include "tests/guib/window_recorder.h"
#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kRed = 0xFFD02020;
constexpr uint32_t kBlue = 0xFF2040C0;

class DesktopWindow : public testing::Test {
protected:
    // A filled probe on the desktop; its creation reference goes when the desktop does.
    Probe* AddPatch(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour)
    {
        Probe* patch = MakeProbe(
            log, "patch", driver.Environment(), driver.Desktop(), { x, y, width, height });
        patch->paint = colour;
        patch->MarkDirty();
        return patch;
    }
    // The mouse events that reached the probes, apart from moves and hover changes.
    std::vector<Heard> Events() const
    {
        std::vector<Heard> events;
        for (const Heard& h : log.heard)
            if (h.mouse && h.code != GUIB_MOUSE_MOVE && h.code != GUIB_MOUSE_ENTER
                && h.code != GUIB_MOUSE_LEAVE)
                events.push_back(h);
        return events;
    }

    // The back buffer as the screen shows it: opaque.
    std::vector<uint32_t> Composed() const
    {
        const uint32_t* pixels = driver.Desktop()->GetSurface()->GetPixels();
        std::vector<uint32_t> opaque(pixels, pixels + size_t(driver.Width()) * driver.Height());
        for (uint32_t& pixel : opaque)
            pixel |= 0xFF000000u;
        return opaque;
    }

    uint32_t FramePixel(const std::vector<uint32_t>& frame, int32_t x, int32_t y) const
    {
        return frame[size_t(y) * driver.Width() + x];
    }

    Recorder log; // outlives the driver, whose desktop destroys the probes
    test::GuiDriver driver;
};

TEST_F(DesktopWindow, PresentsWhatItComposed)
{
    AddPatch(40, 30, 100, 80, kRed);
    Probe* blue = AddPatch(120, 90, 60, 50, kBlue);
    ASSERT_TRUE(driver.PumpUntilIdle());
    std::vector<uint32_t> frame = driver.Frame();
    ASSERT_EQ(frame.size(), size_t(437 * 320));
    EXPECT_EQ(frame, Composed());
    EXPECT_EQ(FramePixel(frame, 41, 31), kRed);
    EXPECT_EQ(FramePixel(frame, 130, 100), kBlue) << "the newer window lies on top";
    EXPECT_EQ(FramePixel(frame, 10, 10), 0xFF000000u);

    // Only the area the moved window left and entered is presented again; the frame must still
    // be the whole back buffer.
    uint64_t before = driver.Desktop()->GetPresentedPixels();
    blue->SetPosition(300, 200);
    ASSERT_TRUE(driver.PumpUntilIdle());
    frame = driver.Frame();
    EXPECT_EQ(frame, Composed());
    EXPECT_EQ(FramePixel(frame, 130, 100), kRed);
    EXPECT_EQ(FramePixel(frame, 310, 210), kBlue);
    uint64_t presented = driver.Desktop()->GetPresentedPixels() - before;
    EXPECT_GE(presented, 2u * 60 * 50);
    EXPECT_LT(presented, uint64_t(437) * 320);
}

TEST_F(DesktopWindow, AClickReachesTheChildAtItsOwnCoordinates)
{
    AddPatch(50, 60, 100, 80, kRed);
    ASSERT_TRUE(driver.PumpUntilIdle());
    driver.Click(57, 71);
    const std::vector<Heard> events = Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, GUIB_MOUSE_LDOWN);
    EXPECT_EQ(events[1].code, GUIB_MOUSE_LUP);
    for (const Heard& e : events)
        EXPECT_EQ(e.at, (GUIB_Point { 7, 11 }));
    EXPECT_EQ(driver.Desktop()->GetButtonState() & 7, 0u);
}

// Wheel messages carry screen coordinates; the window turns them back into client ones.
TEST_F(DesktopWindow, AWheelTurnReachesTheChildUnderThePointer)
{
    AddPatch(200, 100, 50, 50, kRed);
    ASSERT_TRUE(driver.PumpUntilIdle());
    driver.Wheel(210, 125, -3);
    const std::vector<Heard> events = Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, GUIB_MOUSE_WHEEL);
    EXPECT_EQ(events[0].at, (GUIB_Point { 10, 25 }));
    EXPECT_EQ(events[0].p1 >> 24, 0x83u);
}

// The system's message loop would make a character of a posted key-down by its own keyboard;
// a typed key must arrive once, as the character the driver sends.
TEST_F(DesktopWindow, ATypedKeyArrivesOnceAsItsCharacter)
{
    AddPatch(0, 0, 100, 100, kRed)->Focus();
    ASSERT_TRUE(driver.PumpUntilIdle());
    driver.Type('A', u'a');
    EXPECT_EQ(log.Keys("patch"),
        (std::vector<std::pair<uint32_t, uintptr_t>> {
            { GUIB_MSG_KEY_DOWN, 0x10061 }, { GUIB_MSG_KEY_UP, 0x10061 } }));
}

TEST_F(DesktopWindow, ACloseEndsThePumpAndNothingAfterItIsHandled)
{
    AddPatch(0, 0, 100, 100, kRed);
    ASSERT_TRUE(driver.PumpUntilIdle());
    // Queued behind the close: gone with the window.
    ASSERT_TRUE(driver.Desktop()->PostSystemMessage(GUIB_WM_CLOSE, 0, 0));
    ASSERT_TRUE(
        driver.Desktop()->PostSystemMessage(GUIB_WM_LBUTTONDOWN, 0, GUIB_MakePointParam(5, 5)));
    EXPECT_EQ(driver.Pump(), 1u) << "the pass that handles the close still ends normally";
    EXPECT_TRUE(driver.Desktop()->IsClosed());
    EXPECT_EQ(driver.Pump(), 0u);
    EXPECT_FALSE(driver.Desktop()->PostSystemMessage(GUIB_WM_LBUTTONDOWN, 0, 0));
    EXPECT_EQ(driver.Pump(), 0u);
    EXPECT_TRUE(Events().empty());
}

// A handler that posts while the pass drains has its message taken in the same pass; one that
// posts on every message cannot keep the pump from returning.
TEST_F(DesktopWindow, MessagesPostedWhileDrainingAreTakenButBounded)
{
    Probe* patch = AddPatch(0, 0, 100, 100, kRed);
    ASSERT_TRUE(driver.PumpUntilIdle());
    int reposts = 1; // below 0: without end
    patch->onMouse = [&](Probe*, uint32_t event) {
        if (event == GUIB_MOUSE_LDOWN && reposts-- != 0)
            (void)driver.Desktop()->PostSystemMessage(GUIB_WM_LBUTTONDOWN, 0, 0);
    };
    driver.Press(5, 5);
    EXPECT_EQ(Events().size(), 2u);

    log.Clear();
    reposts = -1;
    driver.Press(5, 5);
    const size_t firstPass = Events().size();
    EXPECT_GT(firstPass, 100u);
    EXPECT_EQ(driver.Pump(), 1u);
    EXPECT_GT(Events().size(), firstPass) << "what was left waits for the next pass";
    patch->onMouse = nullptr;
}

TEST_F(DesktopWindow, AModeOtherThanZeroOrOneLeavesNoWindow)
{
    ASSERT_NE(driver.Desktop()->GetWindowHandle(), 0u);
    EXPECT_EQ(driver.Desktop()->SetWindowMode(2, nullptr), GUIB_OUT_OF_RANGE);
    EXPECT_EQ(driver.Desktop()->GetWindowMode(), 0u);
    EXPECT_EQ(driver.Desktop()->GetWindowHandle(), 0u);
    EXPECT_FALSE(driver.Desktop()->PostSystemMessage(GUIB_WM_MOUSEMOVE, 0, 0));
    std::vector<uint32_t> pixels(size_t(437) * 320);
    EXPECT_FALSE(driver.Desktop()->ReadPresented(pixels.data()));
    EXPECT_EQ(driver.Pump(), 1u);
}

TEST_F(DesktopWindow, WithoutParametersTheClassIsNamedAfterTheClock)
{
    driver.Advance(0xBEEF - driver.Now());
    GUIB_WindowCreate create { 0, 0, 64, 48, 0, 0, nullptr, driver.Environment(), nullptr, 0 };
    auto* desktop = new c_GUIB_Desktop(&create);
    ASSERT_EQ(desktop->SetWindowMode(1, nullptr), SYS_OK);
    EXPECT_STREQ(desktop->GetWindowClassName(), "Class_beef");
    EXPECT_EQ(desktop->Pump(), 1u);
    desktop->Drop();
}

}
