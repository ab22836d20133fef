// The desktop's pass: ticks, redraws, the dirty rectangles and their merging, composing the
// tree into the back buffer, closing the system window, and where keys go.
#include "tests/guib/bitmap_checks.h"
#include "window_recorder.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr uint32_t F1_KEY = 112;

using Rects = std::vector<std::array<int32_t, 4>>;

Rects DirtyRects(const c_GUIB_Desktop* desktop)
{
    Rects rects;
    for (uint32_t i = 0; i < desktop->GetDirtyRectCount(); ++i) {
        const GUIB_Rect r = desktop->GetDirtyRect(i);
        rects.push_back({ r.left, r.top, r.right, r.bottom });
    }
    return rects;
}

uint64_t Area(const GUIB_Rect& r)
{
    return uint64_t(r.right - r.left) * uint64_t(r.bottom - r.top);
}

class DesktopPass : public DesktopTest {
protected:
    void Report(GUIB_Rect r) { (void)desktop->OnMessage(GUIB_MSG_VISIBLE_RECT, 0, uintptr_t(&r)); }
    void Invalidate(GUIB_Rect r)
    {
        (void)desktop->OnMessage(GUIB_MSG_INVALIDATE, 0, uintptr_t(&r));
    }
    // System messages as the window procedure hands them on: (message, wParam) in order.
    void Send(std::initializer_list<std::pair<uint32_t, uintptr_t>> messages)
    {
        for (auto [message, p1] : messages)
            (void)desktop->HandleSystemMessage(message, p1, 0);
    }
};

TEST_F(DesktopPass, TicksStartOneIntervalAfterTheDesktopWasMadeAndReachEveryWindow)
{
    Make("back", { 0, 0, 10, 10 });
    Probe* front = Make("front", { 0, 0, 10, 10 });
    front->answers[GUIB_MSG_TICK] = 1;
    g_fakeNow = 1020;
    EXPECT_EQ(desktop->Pump(), 1u);
    EXPECT_EQ(log.Count("back", GUIB_MSG_TICK), 0);
    g_fakeNow = 1021;
    (void)desktop->Pump();
    (void)desktop->Pump();
    EXPECT_EQ(log.Count("back", GUIB_MSG_TICK), 2);
    EXPECT_EQ(log.Count("front", GUIB_MSG_TICK), 2);
    EXPECT_EQ(log.Of("back", false).back().code, GUIB_MSG_UPDATE) << "the update follows the tick";
}

TEST_F(DesktopPass, ComposingGoesBackToFront)
{
    Probe* back = Make("back", { 0, 0, 60, 40 });
    Probe* inner = Make("inner", { 30, 10, 20, 20 }, back);
    Probe* front = Make("front", { 40, 0, 60, 40 });
    Probe* hidden = Make("hidden", { 0, 0, 200, 150 });
    back->paint = 0xFFFF0000;
    inner->paint = 0xFFFFFF00;
    front->paint = 0x800000FF;
    hidden->paint = 0xFFFFFFFF;
    hidden->Show(false);
    for (Probe* w : { back, inner, front, hidden })
        w->MarkDirty();
    (void)desktop->Pump();
    EXPECT_EQ(desktop->GetDirtyRectCount(), 0u) << "the flush empties the list";

    const c_GUIB_Bitmap* composed = desktop->GetSurface();
    EXPECT_EQ(composed->GetPixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(composed->GetPixel(35, 15), 0xFFFFFF00u) << "a child lies on its parent";
    // The translucent front window lies over the back window's child: blue blended on yellow.
    const uint32_t blend
        = 0xFF000000 | (255 * 128 >> 8) << 16 | (255 * 128 >> 8) << 8 | 255 * 129 >> 8;
    EXPECT_EQ(composed->GetPixel(45, 15), blend);
    EXPECT_EQ(composed->GetPixel(80, 20), 0x800000FFu) << "on a transparent pixel it is copied";
    EXPECT_EQ(composed->GetPixel(150, 100), 0u);
}

TEST_F(DesktopPass, OnlyTheHoveredButtonIsRedrawnAndRecomposed)
{
    Probe* panel = Make("panel", { 0, 0, 200, 150 });
    Probe* button = Make("button", { 20, 20, 40, 16 }, panel);
    Probe* other = Make("other", { 100, 20, 40, 16 }, panel);
    for (Probe* w : { panel, button, other }) {
        w->paint = 0xFF102030;
        w->MarkDirty();
    }
    for (Probe* w : { button, other }) {
        w->onMouse = [](Probe* self, uint32_t event) {
            if (event == GUIB_MOUSE_ENTER || event == GUIB_MOUSE_LEAVE)
                self->MarkDirty();
        };
    }
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 150, 100, 0);
    (void)desktop->Pump();
    const int panelDraws = panel->draws;
    const int otherDraws = other->draws;

    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 25, 25, 0);
    EXPECT_EQ(desktop->GetHoverWindow(), button);
    EXPECT_EQ(desktop->GetDirtyRectCount(), 0u) << "nothing is drawn before the update";
    (void)desktop->Broadcast(GUIB_MSG_UPDATE, g_fakeNow, 0, GUIB_BC_ALL);
    EXPECT_EQ(DirtyRects(desktop), (Rects { { 20, 20, 60, 36 } }));
    EXPECT_EQ(button->draws, 2);
    EXPECT_EQ(other->draws, otherDraws);
    EXPECT_EQ(panel->draws, panelDraws) << "the panel the pointer left does not repaint";
}

TEST_F(DesktopPass, DirtyRectanglesAreClippedAndMergedWhenThatCostsNoPixels)
{
    struct Case {
        const char* what;
        std::vector<GUIB_Rect> reported;
        size_t listed;
        Rects merged;
    };
    const Case cases[] = {
        { "side by side", { { 0, 0, 10, 10 }, { 10, 0, 20, 10 } }, 2, { { 0, 0, 20, 10 } } },
        { "far apart", { { 0, 0, 10, 10 }, { 100, 100, 110, 110 } }, 2,
            { { 0, 0, 10, 10 }, { 100, 100, 110, 110 } } },
        { "inside a listed one", { { 0, 0, 10, 10 }, { 2, 2, 5, 5 } }, 1, { { 0, 0, 10, 10 } } },
        { "the same twice", { { 0, 0, 10, 10 }, { 0, 0, 10, 10 } }, 1, { { 0, 0, 10, 10 } } },
        { "one pixel gap", { { 0, 0, 10, 10 }, { 11, 0, 21, 10 } }, 2,
            { { 0, 0, 10, 10 }, { 11, 0, 21, 10 } } },
        { "diagonal overlap costs more", { { 0, 0, 10, 10 }, { 5, 5, 15, 15 } }, 2,
            { { 0, 0, 10, 10 }, { 5, 5, 15, 15 } } },
        { "a second pass joins what the first made",
            { { 0, 0, 10, 10 }, { 20, 0, 30, 10 }, { 10, 0, 20, 10 } }, 3, { { 0, 0, 30, 10 } } },
    };
    for (const Case& test : cases) {
        for (const GUIB_Rect& r : test.reported)
            Report(r);
        EXPECT_EQ(desktop->GetDirtyRectCount(), test.listed) << test.what;
        desktop->MergeDirtyRects();
        EXPECT_EQ(DirtyRects(desktop), test.merged) << test.what;
        desktop->FlushDirtyRects();
        EXPECT_EQ(desktop->GetDirtyRectCount(), 0u);
    }

    Invalidate({ -10, -10, 5, 5 });
    Invalidate({ 300, 300, 310, 310 });
    EXPECT_EQ(DirtyRects(desktop), (Rects { { 0, 0, 5, 5 } }));
}

// Random trees, random invalidations from random windows: after merging, every invalidated
// pixel of the desktop is still covered, every rectangle lies on the desktop, and no two
// rectangles are left that the merge rule would join.
TEST_F(DesktopPass, MergingNeverLosesAnInvalidatedPixel)
{
    constexpr int W = 200;
    constexpr int H = 150;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(rng);
        };
        std::vector<c_GUIB_Window*> windows { desktop };
        std::vector<Probe*> roots;
        for (int i = 0; i < 8; ++i) {
            c_GUIB_Window* parent = windows[pick(0, int(windows.size()) - 1)];
            Probe* w = Make("w", { pick(-40, W), pick(-40, H), pick(1, 120), pick(1, 90) },
                parent == desktop ? nullptr : parent);
            w->Show(pick(0, 4) != 0);
            windows.push_back(w);
            if (parent == desktop)
                roots.push_back(w);
        }
        desktop->FlushDirtyRects();
        c_GUIB_Bitmap dirty(W, H); // invalidated pixels opaque, clipped by the bitmap
        dirty.SetColour(0xFFFFFFFF);
        for (int i = 0; i < 30; ++i) {
            c_GUIB_Window* w = windows[pick(0, int(windows.size()) - 1)];
            const int x = pick(-60, W), y = pick(-60, H);
            GUIB_Rect r { x, y, x + pick(1, 80), y + pick(1, 80) };
            if (w == desktop) {
                Invalidate(r);
            } else {
                w->Invalidate(&r);
                GUIB_Point origin { 0, 0 };
                w->ToRoot(&origin);
                r = { r.left + origin.x, r.top + origin.y, r.right + origin.x,
                    r.bottom + origin.y };
            }
            dirty.FillRect(&r);
        }

        desktop->MergeDirtyRects();
        std::vector<GUIB_Rect> rects;
        for (uint32_t i = 0; i < desktop->GetDirtyRectCount(); ++i)
            rects.push_back(desktop->GetDirtyRect(i));
        for (size_t i = 0; i < rects.size(); ++i) {
            const GUIB_Rect& a = rects[i];
            EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= W && a.bottom <= H) << seed;
            EXPECT_TRUE(a.left < a.right && a.top < a.bottom) << seed;
            for (size_t j = i + 1; j < rects.size(); ++j) {
                const GUIB_Rect& b = rects[j];
                GUIB_Rect box { std::min(a.left, b.left), std::min(a.top, b.top),
                    std::max(a.right, b.right), std::max(a.bottom, b.bottom) };
                EXPECT_GT(Area(box), Area(a) + Area(b)) << "seed " << seed << ": " << i << "+" << j;
            }
        }
        dirty.SetColour(0);
        for (const GUIB_Rect& r : rects)
            dirty.FillRect(&r);
        EXPECT_TRUE(test::PixelsWith(dirty, 0xFFFFFFFF).empty()) << "seed " << seed;
        desktop->FlushDirtyRects();
        for (Probe* w : roots)
            w->Drop();
    }
}

TEST_F(DesktopPass, AfterTheWindowIsClosedThePumpEndsAndInputIsIgnored)
{
    Make("w", { 0, 0, 100, 100 });
    EXPECT_EQ(desktop->Pump(), 1u);
    EXPECT_EQ(desktop->HandleSystemMessage(GUIB_WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(desktop->IsClosed());
    EXPECT_EQ(desktop->Pump(), 0u);
    (void)desktop->HandleSystemMessage(GUIB_WM_LBUTTONDOWN, 0, GUIB_MakePointParam(20, 20));
    Send({ { GUIB_WM_CHAR, 'a' } });
    EXPECT_EQ(desktop->GetButtonState(), 0u);
    EXPECT_TRUE(log.Of("w", true).empty());
    EXPECT_EQ(desktop->Pump(), 0u);
}

TEST_F(DesktopPass, KeysGoToTheFocusWindowAloneAndKeyUpEvenWhenItIsDisabled)
{
    Probe* focus = Make("focus", { 0, 0, 100, 100 });
    Make("child", { 0, 0, 10, 10 }, focus);
    Probe* other = Make("other", { 100, 0, 100, 100 });
    focus->Focus();
    ASSERT_EQ(desktop->GetFocusWindow(), focus);
    auto keys = [this] {
        std::vector<std::pair<std::string, uint32_t>> got;
        for (const Heard& h : log.heard)
            if (!h.mouse && (h.code == GUIB_MSG_KEY_DOWN || h.code == GUIB_MSG_KEY_UP))
                got.emplace_back(h.who,
                    h.code == GUIB_MSG_KEY_DOWN ? h.p1 & 0x1FFFF : 0x80000000 | (h.p1 & 0xFFFF));
        log.Clear();
        return got;
    };
    using Got = std::vector<std::pair<std::string, uint32_t>>;
    const uint32_t UP = 0x80000000;
    // Of the characters only 'a' is typed; the others are control characters or beyond 126.
    Send({ { GUIB_WM_CHAR, 'a' }, { GUIB_WM_CHAR, 127 }, { GUIB_WM_CHAR, 0xE9 },
        { GUIB_WM_CHAR, 31 }, { GUIB_WM_CHAR, 0x263A }, { GUIB_WM_KEYDOWN, F1_KEY },
        { GUIB_WM_KEYUP, F1_KEY } });
    EXPECT_EQ(
        keys(), (Got { { "focus", 0x10061 }, { "focus", F1_KEY }, { "focus", UP | F1_KEY } }));

    focus->Enable(false);
    Send({ { GUIB_WM_CHAR, 'b' }, { GUIB_WM_KEYDOWN, F1_KEY }, { GUIB_WM_KEYUP, F1_KEY } });
    focus->Enable(true);
    focus->Show(false);
    Send({ { GUIB_WM_CHAR, 'c' }, { GUIB_WM_KEYUP, F1_KEY } });
    EXPECT_EQ(keys(), (Got { { "focus", UP | F1_KEY }, { "focus", UP | F1_KEY } }));

    other->Focus();
    EXPECT_EQ(focus->GetFlags() & GUIB_WF_FOCUSED, 0u);
    Send({ { GUIB_WM_CHAR, 'd' } });
    other->Unfocus();
    EXPECT_EQ(desktop->GetFocusWindow(), nullptr);
    Send({ { GUIB_WM_CHAR, 'e' } });
    EXPECT_EQ(keys(), (Got { { "other", 0x10064 } }));
}

TEST_F(DesktopPass, AKeyThatTypesACharacterArrivesOnceAsThatCharacter)
{
    constexpr uint32_t A_KEY = 'A';
    constexpr uint8_t LEFT_CONTROL = 162;
    Probe* w = Make("w", { 0, 0, 100, 100 });
    w->Focus();
    Send({ { GUIB_WM_KEYDOWN, A_KEY }, { GUIB_WM_CHAR, 'a' }, { GUIB_WM_KEYUP, A_KEY } });
    GUIB_SetKeyState(LEFT_CONTROL, true, false);
    // 1 is the control character the system sends for Control+A.
    Send({ { GUIB_WM_KEYDOWN, A_KEY }, { GUIB_WM_CHAR, 1 }, { GUIB_WM_KEYUP, A_KEY } });
    const uint32_t control = GUIB_KEY_CTRL | GUIB_KEY_LCTRL;
    EXPECT_EQ(log.Keys("w"),
        (std::vector<std::pair<uint32_t, uintptr_t>> { { GUIB_MSG_KEY_DOWN, 0x10061 },
            { GUIB_MSG_KEY_UP, 0x10061 }, { GUIB_MSG_KEY_DOWN, 0x10061 | control },
            { GUIB_MSG_KEY_UP, 0x10061 | control } }));
}

TEST_F(DesktopPass, TypingHidesTheHintAndReleasingAKeyDoesNot)
{
    Probe* w = Make("w", { 0, 0, 100, 100 });
    w->Focus();
    GUIB_Point at { 5, 5 };
    const char16_t text[] = u"tip";
    for (uint32_t message : { GUIB_WM_KEYUP, GUIB_WM_KEYDOWN, GUIB_WM_CHAR }) {
        (void)desktop->OnMessage(GUIB_MSG_SHOW_HINT, uintptr_t(&at), uintptr_t(text));
        ASSERT_TRUE(desktop->IsHintShown());
        (void)desktop->HandleSystemMessage(message, message == GUIB_WM_CHAR ? 'x' : F1_KEY, 0);
        EXPECT_EQ(desktop->IsHintShown(), message == GUIB_WM_KEYUP) << message;
    }
    EXPECT_EQ(log.Count("w", GUIB_MSG_HIDE_HINT), 2);
}

}
