// The message box: its size and place for its title, text and buttons, the focus it takes, the
// keys that answer it, the one result it reports before it closes itself, and dragging it by
// its title.
#include "tests/guib/control_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t YES_NO = GUIB_MB_YES | GUIB_MB_NO;
constexpr uint32_t YES_NO_CANCEL = GUIB_MB_YES | GUIB_MB_NO | GUIB_MB_CANCEL;
constexpr uint32_t OK_CANCEL = GUIB_MB_OK | GUIB_MB_CANCEL;
constexpr uint8_t VK_ENTER = 13;
constexpr uint8_t VK_ESCAPE = 27;
constexpr uint8_t VK_SPACE = 32;

// What the boxes told their callback: (code, p1) pairs, in order.
std::vector<std::pair<uint32_t, uintptr_t>> g_heard;

uint32_t Hear(c_GUIB_Window* window, uintptr_t user, uint32_t code, uintptr_t p1, uintptr_t)
{
    EXPECT_EQ(user, reinterpret_cast<uintptr_t>(window)) << "the box is its callback's data";
    g_heard.emplace_back(code, p1);
    return 0;
}

std::vector<uintptr_t> Results()
{
    std::vector<uintptr_t> results;
    for (const auto& [code, p1] : g_heard)
        if (code == GUIB_MB_RESULT)
            results.push_back(p1);
    return results;
}

class MessageBox : public test::ControlTest {
protected:
    MessageBox()
        : ControlTest(640, 480)
    {
        g_heard.clear();
    }

    c_GUIB_MessageBox* Open(uint32_t buttons, const char16_t* text = u"Save the changes?")
    {
        c_GUIB_MessageBox* box
            = GUIB_MessageBox(driver.Desktop(), u"Question", text, buttons, Hear);
        id = box->GetId();
        EXPECT_TRUE(driver.PumpUntilIdle());
        return box;
    }
    bool BoxExists() const
    {
        c_GUIB_Window* found = driver.Environment()->FindWindow(id);
        if (found != nullptr)
            (void)found->Drop();
        return found != nullptr;
    }
    // The centre of a button in desktop coordinates.
    GUIB_Point Centre(c_GUIB_Window* window) const
    {
        GUIB_Point p = test::SizeOf(window);
        p = { p.x / 2, p.y / 2 };
        window->ToRoot(&p);
        return p;
    }

    uint32_t id = 0;
};

TEST_F(MessageBox, IsSizedForItsButtonsTitleAndTextAndCentred)
{
    // The test font is 6 pixels a character and 10 high; buttons 70 × 18, margin 16, title 16.
    const std::u16string longText(130, u'w');
    const struct {
        uint32_t buttons;
        std::u16string text;
        int32_t x, y, w, h;
    } cases[] = {
        { YES_NO_CANCEL, u"Save the changes?", 183, 202, 274, 75 }, // 3 × 70 + 2 × 16 + 2 × 16
        { GUIB_MB_OK, u"Done.", 269, 202, 102, 75 },
        { 0, u"Done.", 269, 202, 102, 75 }, // no flag shows Ok, and the box is as wide as Ok
        { GUIB_MB_OK, u"Two\nlines", 269, 197, 102, 85 },
        // A text wider than the parent allows is cut to 640 - 2 × 16 and wrapped: 608 pixels
        // hold 101 characters, so 130 of them take two lines.
        { GUIB_MB_OK, longText, 0, 197, 640, 85 },
    };
    for (const auto& c : cases) {
        c_GUIB_MessageBox* box = Open(c.buttons, c.text.c_str());
        EXPECT_EQ(test::PositionOf(box), (GUIB_Point { c.x, c.y })) << c.buttons;
        EXPECT_EQ(test::SizeOf(box), (GUIB_Point { c.w, c.h })) << c.buttons;
        box->Close();
        driver.Pump();
    }
}

TEST_F(MessageBox, WithoutADefaultFontIsSizedByItsButtons)
{
    (void)driver.Environment()->SetProperty(GUIB_PROP_DEFAULT_FONT, 0);
    const GUIB_Rect r
        = GUIB_MessageBoxRect(640, 480, GUIB_GetMessageMetrics(driver.Environment(), true), nullptr,
            u"Title", u"A long text that would be measured", YES_NO_CANCEL);
    EXPECT_EQ(r.right - r.left, 274);
    EXPECT_EQ(r.bottom - r.top, 32 + 16 + 18 - 1);
}

TEST_F(MessageBox, LaysOutAButtonRowCentredNearTheBottomOfTheBody)
{
    c_GUIB_MessageBox* box = Open(YES_NO_CANCEL);
    const std::pair<uint32_t, std::u16string> buttons[]
        = { { GUIB_MB_YES, u"Yes" }, { GUIB_MB_NO, u"No" }, { GUIB_MB_CANCEL, u"Cancel" } };
    int32_t left = 16;
    for (const auto& [flag, caption] : buttons) {
        c_GUIB_Button* button = box->GetButton(flag);
        ASSERT_NE(button, nullptr) << flag;
        // The body is 75 - 16 + 1 high; the row ends half a margin above its bottom.
        EXPECT_EQ(test::PositionOf(button), (GUIB_Point { left, 60 - 8 - 18 })) << flag;
        EXPECT_EQ(std::u16string(button->GetCaption()), caption);
        left += 70 + 16;
    }
    EXPECT_EQ(box->GetButton(GUIB_MB_OK), nullptr);
}

TEST_F(MessageBox, SetButtonsReplacesTheRowAndAlwaysLeavesAWayOut)
{
    c_GUIB_MessageBox* box = Open(YES_NO_CANCEL);
    for (uint32_t flags : { 0u, 0x10u }) {
        box->SetButtons(flags);
        EXPECT_EQ(box->GetButtonFlags(), GUIB_MB_OK) << flags;
        EXPECT_EQ(box->GetButtonCount(), 1u);
        EXPECT_EQ(box->GetBody()->GetChildCount(), 1u) << "the old buttons are gone";
        EXPECT_EQ(std::u16string(box->GetButton(GUIB_MB_OK)->GetCaption()), u"Ok");
    }
    EXPECT_TRUE(driver.PumpUntilIdle());
}

TEST_F(MessageBox, KeysAnswerOnlyWhereTheChoiceIsPlain)
{
    // Enter and Space answer a box with one button; Escape chooses Cancel, else No.
    const struct {
        uint32_t buttons;
        uint8_t key;
        char16_t character;
        uint32_t result; // 0: the box stays open
    } cases[] = { { GUIB_MB_OK, VK_ENTER, 0, GUIB_MB_OK },
        { GUIB_MB_OK, VK_SPACE, u' ', GUIB_MB_OK }, { GUIB_MB_OK, VK_ESCAPE, 0, 0 },
        { OK_CANCEL, VK_ENTER, 0, 0 }, { OK_CANCEL, VK_ESCAPE, 0, GUIB_MB_CANCEL },
        { YES_NO, VK_ENTER, 0, 0 }, { YES_NO, VK_SPACE, u' ', 0 },
        { YES_NO, VK_ESCAPE, 0, GUIB_MB_NO }, { YES_NO_CANCEL, VK_ESCAPE, 0, GUIB_MB_CANCEL },
        { GUIB_MB_CANCEL, VK_ENTER, 0, GUIB_MB_CANCEL } };
    for (const auto& c : cases) {
        g_heard.clear();
        c_GUIB_MessageBox* box = Open(c.buttons);
        driver.Type(c.key, c.character);
        const std::vector<uintptr_t> expected
            = c.result != 0 ? std::vector<uintptr_t> { c.result } : std::vector<uintptr_t> {};
        EXPECT_EQ(Results(), expected) << c.buttons << " key " << int(c.key);
        if (c.result == 0)
            box->Close();
        driver.Pump();
        EXPECT_FALSE(BoxExists());
    }
}

TEST_F(MessageBox, TakesTheFocusAndClosesItselfAtTheNextPassAfterAClick)
{
    c_GUIB_MessageBox* box = Open(YES_NO_CANCEL);
    EXPECT_EQ(driver.Desktop()->GetFocusWindow(), box);
    const GUIB_Point no = Centre(box->GetButton(GUIB_MB_NO));
    driver.Move(no.x, no.y);
    driver.Click(no.x, no.y);
    ASSERT_EQ(g_heard.size(), 2u);
    EXPECT_EQ(g_heard[0], std::make_pair(GUIB_MB_RESULT, uintptr_t { GUIB_MB_NO }));
    EXPECT_EQ(g_heard[1].first, GUIB_MSG_CLOSE) << "the result comes before the close";
    EXPECT_TRUE(BoxExists()) << "windows go between passes, never during one";
    driver.Pump();
    EXPECT_FALSE(BoxExists());
    EXPECT_EQ(driver.Desktop()->GetFocusWindow(), nullptr);
}

TEST_F(MessageBox, ReportsOneResultWhenClicksQueueUpBehindTheFirst)
{
    // A slow handler lets input pile up: both clicks and a key reach the box in one pass,
    // before the desktop destroys it.
    c_GUIB_MessageBox* box = Open(OK_CANCEL);
    const GUIB_Point ok = Centre(box->GetButton(GUIB_MB_OK));
    driver.Move(ok.x, ok.y);
    c_GUIB_Desktop* desktop = driver.Desktop();
    const intptr_t at = GUIB_MakePointParam(ok.x, ok.y);
    for (int click = 0; click < 2; ++click) {
        ASSERT_TRUE(desktop->PostSystemMessage(GUIB_WM_LBUTTONDOWN, 0, at));
        ASSERT_TRUE(desktop->PostSystemMessage(GUIB_WM_LBUTTONUP, 0, at));
    }
    ASSERT_TRUE(
        desktop->PostSystemMessage(GUIB_WM_KEYDOWN, VK_ESCAPE, static_cast<intptr_t>(0x80000001u)));
    driver.Pump();
    EXPECT_EQ(Results(), std::vector<uintptr_t> { GUIB_MB_OK });
    EXPECT_TRUE(box->HasReported());
    driver.Pump();
    EXPECT_FALSE(BoxExists());
}

TEST_F(MessageBox, DraggingTheTitleMovesTheWholeBox)
{
    c_GUIB_MessageBox* box = Open(OK_CANCEL);
    const GUIB_Point start = test::PositionOf(box);
    driver.Drag(start.x + 40, start.y + 8, start.x - 60, start.y + 92);
    EXPECT_EQ(test::PositionOf(box), (GUIB_Point { start.x - 100, start.y + 84 }));
    EXPECT_TRUE(Results().empty());
    // The buttons went with it.
    const GUIB_Point cancel = Centre(box->GetButton(GUIB_MB_CANCEL));
    driver.Move(cancel.x, cancel.y);
    driver.Click(cancel.x, cancel.y);
    EXPECT_EQ(Results(), std::vector<uintptr_t> { GUIB_MB_CANCEL });
}

TEST_F(MessageBox, ABoxWithoutAParentTakesItsButtonWidthFromTheEnvironment)
{
    (void)driver.Environment()->SetProperty(GUIB_PROP_MESSAGE_BUTTON_WIDTH, 90);
    GUIB_WindowCreate create { 0, 0, 200, 80, 0, 0, nullptr, driver.Environment(), nullptr, 0 };
    auto* box = new c_GUIB_MessageBox(&create);
    const GUIB_MessageMetrics& m = box->GetMetrics();
    EXPECT_EQ((std::vector<int32_t> { m.buttonWidth, m.buttonHeight, m.margin, m.titleHeight }),
        (std::vector<int32_t> { 90, 14, 6, 16 }));
    EXPECT_EQ(box->GetSurface(), nullptr);
    EXPECT_EQ(GUIB_MessageBox(nullptr, u"t", u"x", GUIB_MB_OK, Hear), nullptr);
    (void)box->Drop();
}

}
