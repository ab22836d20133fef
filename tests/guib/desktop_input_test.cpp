// The desktop's mouse input: hit testing, presses that miss a CLICK_OUTSIDE window, capture,
// hover and hints, the motion filter, and the button and wheel state.
#include "window_recorder.h"

#include <gtest/gtest.h>

namespace {

using Events = std::vector<uint32_t>;

constexpr uint32_t LEFT_BUTTON = 1;
constexpr uint32_t RIGHT_BUTTON = 2;

class DesktopInput : public DesktopTest { };

TEST_F(DesktopInput, TheFrontMostWindowUnderThePointerIsHit)
{
    struct Case {
        int32_t x, y;
        bool hideFront, disableFront;
        const char* receiver; // null: no probe
        GUIB_Point at;
    };
    const Case cases[] = {
        { 45, 45, false, false, "frontChild", { 5, 5 } },
        { 55, 55, false, false, "front", { 15, 15 } },
        { 20, 20, false, false, "back", { 10, 10 } },
        { 55, 55, true, false, "back", { 45, 45 } },
        { 55, 55, false, true, "back", { 45, 45 } },
        { 150, 120, false, false, nullptr, {} },
    };
    for (const Case& test : cases) {
        Probe* back = Make("back", { 10, 10, 60, 60 });
        Probe* front = Make("front", { 40, 40, 60, 60 });
        Make("frontChild", { 0, 0, 10, 10 }, front);
        front->Show(!test.hideFront);
        front->Enable(!test.disableFront);
        log.Clear();
        (void)desktop->ProcessMouse(GUIB_MOUSE_LDOWN, test.x, test.y, 0);
        std::vector<std::string> pressed;
        for (const Heard& h : log.heard)
            if (h.mouse && h.code == GUIB_MOUSE_LDOWN) {
                pressed.push_back(h.who);
                EXPECT_EQ(h.at, test.at) << h.who;
            }
        EXPECT_EQ(pressed,
            test.receiver ? std::vector<std::string> { test.receiver }
                          : std::vector<std::string> {})
            << test.x << "," << test.y;
        (void)desktop->ProcessMouse(GUIB_MOUSE_LUP, test.x, test.y, 0);
        back->Drop();
        front->Drop();
    }
}

TEST_F(DesktopInput, APressMissingAClickOutsideWindowReachesNothingBehindIt)
{
    Make("back", { 0, 0, 200, 150 });
    Make("popup", { 50, 50, 40, 40 }, nullptr, GUIB_WF_CLICK_OUTSIDE);
    const uint32_t outside[] = { GUIB_MOUSE_MOVE, GUIB_MOUSE_LDOWN, GUIB_MOUSE_LUP,
        GUIB_MOUSE_LDBLCLK, GUIB_MOUSE_LUP, GUIB_MOUSE_RDOWN, GUIB_MOUSE_RUP, GUIB_MOUSE_MDOWN,
        GUIB_MOUSE_MUP, GUIB_MOUSE_WHEEL };
    for (uint32_t event : outside)
        EXPECT_EQ(desktop->ProcessMouse(event, 10, 10, event == GUIB_MOUSE_WHEEL ? 1 : 0), 1u);

    EXPECT_TRUE(log.Of("back", true).empty());
    EXPECT_EQ(log.MouseEvents("popup"), Events(4, GUIB_MOUSE_DOWN_OUTSIDE));
    EXPECT_EQ(log.Of("popup", true).front().at.x, -40) << "in the popup's coordinates";
    EXPECT_EQ(desktop->GetHoverWindow(), nullptr);

    log.Clear();
    (void)desktop->ProcessMouse(GUIB_MOUSE_LDOWN, 60, 60, 0);
    EXPECT_TRUE(log.Of("back", true).empty());
    EXPECT_EQ(log.MouseEvents("popup"), (Events { GUIB_MOUSE_ENTER, GUIB_MOUSE_LDOWN }));
}

TEST_F(DesktopInput, TheCapturingWindowGetsEveryEventAndItsChildrenNone)
{
    Probe* outer = Make("outer", { 10, 10, 80, 80 });
    Probe* holder = Make("holder", { 5, 5, 20, 20 }, outer);
    Make("inner", { 0, 0, 10, 10 }, holder);
    Probe* beside = Make("beside", { 120, 20, 50, 50 });
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 20, 20, 0);
    EXPECT_EQ(desktop->GetHoverWindow(), holder->GetChild(0));
    holder->Capture();
    EXPECT_EQ(desktop->GetCaptureWindow(), holder);
    EXPECT_NE(holder->GetFlags() & GUIB_WF_CAPTURE, 0u);
    log.Clear();

    (void)desktop->ProcessMouse(GUIB_MOUSE_LDOWN, 20, 20, 0); // over inner
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 140, 40, 0); // over beside
    (void)desktop->ProcessMouse(GUIB_MOUSE_LUP, 199, 149, 0); // over the desktop
    std::vector<std::string> receivers;
    std::vector<Heard> got;
    for (const Heard& h : log.heard)
        if (h.mouse && h.code != GUIB_MOUSE_ENTER && h.code != GUIB_MOUSE_LEAVE) {
            receivers.push_back(h.who);
            got.push_back(h);
        }
    ASSERT_EQ(receivers, (std::vector<std::string> { "holder", "holder", "holder" }));
    EXPECT_EQ(got.front().at, (GUIB_Point { 5, 5 }));
    EXPECT_EQ(got.back().at, (GUIB_Point { 199 - 15, 149 - 15 }));

    log.Clear();
    holder->ReleaseCapture();
    EXPECT_EQ(desktop->GetCaptureWindow(), nullptr);
    EXPECT_EQ(holder->GetFlags() & GUIB_WF_CAPTURE, 0u);
    // The pointer rests over beside: it is entered at once, without waiting for a move.
    EXPECT_EQ(log.MouseEvents("beside"), (Events { GUIB_MOUSE_ENTER, GUIB_MOUSE_MOVE }));
    EXPECT_EQ(desktop->GetHoverWindow(), beside);
    EXPECT_EQ(holder->GetFlags() & GUIB_WF_HOVER, 0u);
}

uint32_t NoteCode(c_GUIB_Window*, uintptr_t user, uint32_t code, uintptr_t, uintptr_t)
{
    reinterpret_cast<Events*>(user)->push_back(code);
    return 0;
}

TEST_F(DesktopInput, HoverMovesFromWindowToWindowThroughTheRoot)
{
    Probe* a = Make("a", { 10, 10, 40, 40 });
    Probe* b = Make("b", { 60, 10, 40, 40 });
    Events notified;
    ASSERT_EQ(a->AddCallback(NoteCode, reinterpret_cast<uintptr_t>(&notified)), 0u);

    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 20, 20, 0);
    EXPECT_EQ(desktop->ProcessMouse(GUIB_MOUSE_MOVE, 20, 20, 0), 1u); // dropped: no motion
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 21, 20, 0);
    EXPECT_EQ(desktop->GetHoverWindow(), a);
    EXPECT_NE(a->GetFlags() & GUIB_WF_HOVER, 0u);
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 70, 20, 0);
    EXPECT_EQ(desktop->GetHoverWindow(), b);
    EXPECT_EQ(a->GetFlags() & GUIB_WF_HOVER, 0u);
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 150, 100, 0);
    EXPECT_EQ(desktop->GetHoverWindow(), nullptr);
    EXPECT_EQ(b->GetFlags() & GUIB_WF_HOVER, 0u);

    EXPECT_EQ(log.MouseEvents("a"),
        (Events { GUIB_MOUSE_ENTER, GUIB_MOUSE_MOVE, GUIB_MOUSE_MOVE, GUIB_MOUSE_LEAVE }));
    EXPECT_EQ(
        log.MouseEvents("b"), (Events { GUIB_MOUSE_ENTER, GUIB_MOUSE_MOVE, GUIB_MOUSE_LEAVE }));
    EXPECT_EQ(notified, (Events { GUIB_MOUSE_ENTER, GUIB_MOUSE_LEAVE }));
}

TEST_F(DesktopInput, AHintShowsAfterMoreThanASecondOfRestAndGoesWithThePointer)
{
    Probe* panel = Make("panel", { 20, 10, 100, 100 });
    Probe* a = Make("a", { 10, 10, 40, 40 }, panel);
    a->SetHint("Tip");
    struct Step {
        uint32_t now;
        int32_t moveX; // 0: no move
        bool shown;
    };
    const Step steps[] = {
        { 2000, 37, false }, // the first tick after the move starts the timing
        { 3000, 0, false }, // exactly one second is not enough
        { 3000, 38, false }, // a mouse event starts it again
        { 3001, 0, false },
        { 4000, 0, false },
        { 4001, 0, true },
    };
    for (const Step& step : steps) {
        g_fakeNow = step.now;
        if (step.moveX != 0)
            (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, step.moveX, 23, 0);
        (void)desktop->Pump();
        EXPECT_EQ(desktop->IsHintShown(), step.shown) << step.now;
    }
    std::vector<Heard> shown;
    for (const Heard& h : log.Of("a", false))
        if (h.code == GUIB_MSG_SHOW_HINT)
            shown.push_back(h);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].at, (GUIB_Point { 38, 23 })) << "the point is in root coordinates";
    EXPECT_EQ(shown[0].text, u"Tip");

    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 190, 140, 0);
    EXPECT_FALSE(desktop->IsHintShown());
    EXPECT_EQ(log.Count("a", GUIB_MSG_HIDE_HINT), 1);
    g_fakeNow = 9000;
    (void)desktop->Pump();
    EXPECT_FALSE(desktop->IsHintShown()) << "no hint without hover";
}

TEST_F(DesktopInput, ButtonsDoubleClicksAndTheWheelByte)
{
    Make("w", { 0, 0, 100, 100 });
    const intptr_t at = GUIB_MakePointParam(20, 20);
    (void)desktop->HandleSystemMessage(GUIB_WM_RBUTTONDBLCLK, 0, at);
    EXPECT_EQ(desktop->GetButtonState(), RIGHT_BUTTON);
    (void)desktop->HandleSystemMessage(GUIB_WM_RBUTTONUP, 0, at);
    (void)desktop->HandleSystemMessage(GUIB_WM_MBUTTONDBLCLK, 0, at);
    EXPECT_EQ(desktop->GetButtonState(), 0u);
    (void)desktop->HandleSystemMessage(GUIB_WM_LBUTTONDBLCLK, 0, at);
    EXPECT_EQ(desktop->GetButtonState(), LEFT_BUTTON);
    EXPECT_EQ(log.MouseEvents("w"),
        (Events { GUIB_MOUSE_ENTER, GUIB_MOUSE_RDOWN, GUIB_MOUSE_RUP, GUIB_MOUSE_LDBLCLK }));

    const std::pair<int32_t, uint32_t> wheels[]
        = { { -3, 0x83 }, { 200, 0x7F }, { -200, 0xFF }, { 1, 0x01 } };
    for (auto [notches, top] : wheels) {
        (void)desktop->ProcessMouse(GUIB_MOUSE_WHEEL, 20, 20, notches);
        EXPECT_EQ(desktop->GetButtonState(), top << 24 | LEFT_BUTTON) << notches;
        EXPECT_EQ(log.heard.back().p1, top << 24 | LEFT_BUTTON) << "the state given with it";
    }
    (void)desktop->ProcessMouse(GUIB_MOUSE_LUP, 20, 20, 0);
    EXPECT_EQ(desktop->GetButtonState(), 0x01000000u) << "the wheel byte stays";
}

}
