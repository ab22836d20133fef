// The page checks on controls of the test font (6 pixels a character, 10 a line): a wrapped
// label fits while its lines are no more than the whole lines of its height, a one-line caption
// while it is no wider than its room, and characters without a glyph are named once each.
#include "tests/support/gui_driver.h"
#include "tests/support/test_font.h"
#include "tools/page_checks.h"

namespace {

using namespace test;

struct Fit {
    const char* what;
    bool checkBox;
    uint32_t align;
    int32_t height;
    const char16_t* caption;
    std::string fault; // "%" stands for the check box's room
};

class FitCheck : public ::testing::TestWithParam<Fit> { };

TEST_P(FitCheck, NamesOnlyCaptionsThatDoNotFit)
{
    const Fit& fit = GetParam();
    GuiDriver driver;
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    GUIB_WindowCreate create { 10, 10, 60, fit.height, 0, 0, driver.Desktop(), driver.Environment(),
        nullptr, 0 };
    c_GUIB_Window* control = fit.checkBox
        ? static_cast<c_GUIB_Window*>(new c_GUIB_CheckBox(&create))
        : new c_GUIB_Label(&create);
    ASSERT_EQ(SYS_OK, control->SetFont(0, font.Get()));
    control->SetTextAlign(fit.align);
    if (auto* box = dynamic_cast<c_GUIB_CheckBox*>(control))
        box->SetCaption(fit.caption);
    else
        control->SetCaption(fit.caption);
    std::string expected = fit.fault;
    if (auto* box = dynamic_cast<c_GUIB_CheckBox*>(control); box != nullptr && !expected.empty())
        expected.replace(expected.find('%'), 1, std::to_string(60 - box->GetTextRect().left));
    EXPECT_EQ(expected, patchkit::FitFault(*control)) << fit.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, FitCheck,
    ::testing::Values(
        Fit { "two lines in two", false, GUIB_ALIGN_WRAP, 20, u"aaaa bbbb cccc dddd", "" },
        Fit { "three lines in two", false, GUIB_ALIGN_WRAP, 29, u"aaaa bbbb cccc dddd eeee",
            "label 'aaaa bbbb cccc dddd eeee' needs 3 lines, its box holds 2" },
        Fit { "a box lower than a line holds one", false, GUIB_ALIGN_WRAP, 5, u"aaaa", "" },
        Fit { "as wide as the label", false, 0, 20, u"aaaaaaaaaa", "" },
        Fit { "wider than the label", false, 0, 20, u"aaaaaaaaaaa",
            "label 'aaaaaaaaaaa' is 66 px wide, its room 60 px" },
        Fit { "check box text right of its box", true, 0, 20, u"aaaaaaaaa",
            "check box 'aaaaaaaaa' is 54 px wide, its room % px" }));

TEST(MissingGlyphs, EachCharacterOnceLineEndsExcepted)
{
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    EXPECT_EQ(u"\u0416\u00C4", patchkit::MissingGlyphs(*font, u"a\r\n\u0416b\u0416\u00C4"));
    EXPECT_EQ(u"", patchkit::MissingGlyphs(*font, u"Plain ASCII ~"));
}

}
