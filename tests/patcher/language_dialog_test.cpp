// The language dialog driven like a user: its size for the number of languages, the languages
// in the given order with the first one current, confirming by "Ok" or a double click, "Quit",
// a list left without a current item by a Control+click, and its pump loop that ends at an
// answer or at a closed window.
#include "tests/patcher/patcher_fixture.h"

#include "tests/support/gui_driver.h"
#include "tests/support/test_font.h"

namespace {

using namespace test;
using patcher::detail::LanguageDialog;

constexpr uint8_t VK_LCONTROL = 0xA2;
constexpr uint32_t ENG = 0;
constexpr uint32_t GER = 2;

GUIB_Point SizeFor(uint32_t count)
{
    c_GUIB_Environment defaults;
    return patcher::detail::LanguageDialogSize(&defaults, count);
}

// A driver of the dialog's size with the test font as the default font and the dialog built on
// its desktop.
class LanguageDialogTest : public ::testing::Test {
protected:
    void Build(const std::vector<uint32_t>& rows)
    {
        const GUIB_Point size = SizeFor(static_cast<uint32_t>(rows.size()));
        m_driver = std::make_unique<GuiDriver>(size.x, size.y);
        (void)m_driver->Environment()->SetProperty(
            GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(m_font.Get()));
        m_dialog = std::make_unique<LanguageDialog>(
            m_driver->Desktop(), static_cast<uint32_t>(rows.size()), rows.data());
        ASSERT_TRUE(m_driver->PumpUntilIdle());
    }
    void TearDown() override
    {
        m_dialog.reset();
        m_driver.reset();
        patcher::detail::SetLanguageCode(nullptr);
    }
    // A click after a move there, as a user's comes: a real window has seen the pointer
    // elsewhere before.
    void ClickAt(int32_t x, int32_t y)
    {
        m_driver->Move(x, y);
        m_driver->Click(x, y);
    }
    // Row k of the list (15 pixels each below the list's top line at y 32) and the buttons.
    static int32_t RowY(int32_t k) { return 32 + 8 + 15 * k; }
    int32_t ButtonY() const { return m_driver->Height() - 24; }
    static constexpr int32_t LIST_X = 60;
    static constexpr int32_t OK_X = 50;
    static constexpr int32_t QUIT_X = 160;

    GUIB_Ref<c_GUIB_Font> m_font = MakeTestFont();
    std::unique_ptr<GuiDriver> m_driver;
    std::unique_ptr<LanguageDialog> m_dialog;
};

TEST_F(LanguageDialogTest, HeightGrowsByOneRowPerLanguage)
{
    const std::pair<uint32_t, int32_t> cases[] = { { 2, 112 }, { 5, 160 }, { 20, 400 } };
    for (const auto& [count, height] : cases) {
        EXPECT_EQ(214, SizeFor(count).x);
        EXPECT_EQ(height, SizeFor(count).y) << count;
    }
}

TEST_F(LanguageDialogTest, LanguagesAreListedInTheGivenOrderWithTheFirstCurrent)
{
    Build({ ENG, GER });
    c_GUIB_ListBox* list = m_dialog->List();
    ASSERT_EQ(2u, list->GetCount());
    EXPECT_EQ(0u, list->GetCurrent());
    EXPECT_EQ(ENG, list->GetItemData(0));
    EXPECT_EQ(GER, list->GetItemData(1));
    EXPECT_TRUE(m_driver->MatchesFrame("patcher/language_dialog"));
    ClickAt(OK_X, ButtonY());
    ASSERT_TRUE(m_dialog->Answered());
    EXPECT_EQ(1, m_dialog->Result());
    EXPECT_EQ(std::string("ENG"), PTCH_GetLanguageCode());
}

TEST_F(LanguageDialogTest, ChosenLanguageIsConfirmedByOkOrByADoubleClick)
{
    for (bool doubleClick : { false, true }) {
        Build({ ENG, GER });
        ClickAt(LIST_X, RowY(1));
        EXPECT_FALSE(m_dialog->Answered());
        if (doubleClick)
            m_driver->DoubleClick(LIST_X, RowY(1)); // the pointer is there already
        else
            ClickAt(OK_X, ButtonY());
        ASSERT_TRUE(m_dialog->Answered()) << doubleClick;
        EXPECT_EQ(1, m_dialog->Result());
        EXPECT_EQ(std::string("GER"), PTCH_GetLanguageCode());
        TearDown();
    }
}

TEST_F(LanguageDialogTest, QuitAnswersWithoutALanguage)
{
    Build({ ENG, GER });
    ClickAt(QUIT_X, ButtonY());
    ASSERT_TRUE(m_dialog->Answered());
    EXPECT_EQ(0, m_dialog->Result());
    EXPECT_EQ(std::string(), PTCH_GetLanguageCode());
}

TEST_F(LanguageDialogTest, ListLeftWithoutCurrentItemConfirmsTheFirstLanguage)
{
    Build({ ENG, GER });
    m_driver->KeyDown(VK_LCONTROL);
    ClickAt(LIST_X, RowY(0));
    m_driver->KeyUp(VK_LCONTROL);
    ASSERT_EQ(GUIB_LB_NONE, m_dialog->List()->GetCurrent()) << "Control+click unselected it";
    ClickAt(OK_X, ButtonY());
    EXPECT_EQ(1, m_dialog->Result());
    EXPECT_EQ(std::string("ENG"), PTCH_GetLanguageCode());
}

TEST_F(LanguageDialogTest, TwentyLanguagesAreTwentyRowsThatAllFit)
{
    Build(std::vector<uint32_t>(20, ENG));
    EXPECT_EQ(20u, m_dialog->List()->GetCount());
    EXPECT_FALSE(m_dialog->List()->GetScrollBar()->IsVisible());
    ClickAt(LIST_X, RowY(19));
    EXPECT_EQ(19u, m_dialog->List()->GetCurrent());
    EXPECT_TRUE(m_driver->MatchesFrame("patcher/language_dialog_20"));
}

TEST_F(LanguageDialogTest, PumpLoopEndsAtAnAnswerOrAtAClosedWindow)
{
    Build({ ENG, GER });
    c_GUIB_Desktop* desktop = m_driver->Desktop();
    const intptr_t ok = GUIB_MakePointParam(OK_X, ButtonY());
    ASSERT_TRUE(desktop->PostSystemMessage(GUIB_WM_MOUSEMOVE, 0, ok));
    ASSERT_TRUE(desktop->PostSystemMessage(GUIB_WM_LBUTTONDOWN, GUIB_BTN_LEFT, ok));
    ASSERT_TRUE(desktop->PostSystemMessage(GUIB_WM_LBUTTONUP, 0, ok));
    // The window closed in the same pass: the answer given before still counts (and a click
    // that went astray ends the loop instead of leaving it waiting).
    ASSERT_TRUE(desktop->PostSystemMessage(GUIB_WM_CLOSE, 0, 0));
    EXPECT_EQ(1, patcher::detail::RunLanguageDialog(desktop, *m_dialog));
    TearDown();

    Build({ ENG, GER });
    ASSERT_TRUE(m_driver->Desktop()->PostSystemMessage(GUIB_WM_CLOSE, 0, 0));
    EXPECT_EQ(0, patcher::detail::RunLanguageDialog(m_driver->Desktop(), *m_dialog));
}

}
