// The page checks on controls of the test font (6 pixels a character, 10 a line): a wrapped
// label fits while its lines are no more than the whole lines of its height, a one-line caption
// while it is no wider than its room, characters without a glyph are named once each and
// gathered into one finding per font, and 8-bit texts show the characters of their code page.
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
    EXPECT_EQ(expected, patchkit::FitFault(*control, 1252)) << fit.what;
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

// The installer's texts hold one unit per byte of the language's page.
std::u16string Bytes(std::string_view bytes)
{
    std::u16string units;
    for (char byte : bytes)
        units.push_back(static_cast<unsigned char>(byte));
    return units;
}

TEST(ShownText, BytesStandForTheCharactersOfTheLanguagesPage)
{
    struct Case {
        uint32_t codePage;
        std::u16string text;
        std::u16string shown;
    };
    const Case cases[] = {
        { 1251, Bytes("\xDD\xF2\xEE ok"), u"\u042D\u0442\u043E ok" },
        { 1252, Bytes("\xDD\xF2\xEE"), u"\u00DD\u00F2\u00EE" },
        { 1250, Bytes("\x8A\xE8"), u"\u0160\u010D" },
        { 932, Bytes("\x82\xA0") + u"\u0416" + Bytes("\x82\xA2"), u"\u3042\u0416\u3044" },
        // A lead byte cut from its trail byte: the rest of the run is still shown.
        { 932, Bytes("a\x82\xA0\x82"), u"a\uFFFD\uFFFD\uFFFD" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, patchkit::ShownText(c.text, c.codePage)) << c.codePage;

    EXPECT_EQ("byte 0xDD '\xD0\xAD'", patchkit::UnitName(0xDD, 1251));
    EXPECT_EQ("byte 0xDD '\xC3\x9D'", patchkit::UnitName(0xDD, 1252));
    EXPECT_EQ("byte 0x82", patchkit::UnitName(0x82, 932)) << "a lead byte is no character";
    EXPECT_EQ("byte 0x09", patchkit::UnitName(u'\t', 1251));
    EXPECT_EQ("U+0416 '\xD0\x96'", patchkit::UnitName(0x416, 1251));

    // The cut counts characters, not bytes: 40 double-byte characters keep 32.
    std::string kana;
    for (int i = 0; i < 40; ++i)
        kana += "\x82\xA0";
    std::string expected;
    for (int i = 0; i < 32; ++i)
        expected += "\xE3\x81\x82";
    EXPECT_EQ(expected + "...", patchkit::Excerpt(Bytes(kana), 932));
    EXPECT_EQ("\xD0\xAD\xD1\x82\xD0\xBE//ok", patchkit::Excerpt(Bytes("\xDD\xF2\xEE\r\nok"), 1251));
}

TEST(GlyphGaps, OneFindingPerFontNamingTwentyCharacters)
{
    GUIB_Ref<c_GUIB_Font> font = MakeTestFont();
    GUIB_Ref<c_GUIB_Font> other = MakeTestFont();
    const auto name
        = [&font](const c_GUIB_Font& f) { return &f == font.Get() ? "RUS.fnt" : "other.fnt"; };
    patchkit::GlyphGaps gaps(1251);
    EXPECT_EQ(std::vector<std::string> {}, gaps.Findings(name));
    gaps.Check(*font, u"plain");
    // 0xC0.. are the capitals А..Я of the Russian page: 25 of them over two texts, one twice.
    std::string first = "ok ";
    for (char byte = '\xC0'; byte != '\xD0'; ++byte)
        first += byte;
    gaps.Check(*font, Bytes(first));
    gaps.Check(*other, Bytes("\xC0"), "Languages\\RUS.la");
    gaps.Check(*font, Bytes("\xC0\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8"));
    const std::vector<std::string> findings = gaps.Findings(name);
    ASSERT_EQ(2u, findings.size());
    // Byte 0xC0 + i is U+0410 + i, in UTF-8 0xD0 0x90 + i.
    std::string named;
    for (int i = 0; i < 20; ++i) {
        char unit[32];
        std::snprintf(unit, sizeof unit, "%sbyte 0x%02X '\xD0%c'", i > 0 ? ", " : "", 0xC0 + i,
            static_cast<char>(0x90 + i));
        named += unit;
    }
    EXPECT_EQ("no glyph in RUS.fnt for 25 characters: " + named
            + " and 5 more; first in 'ok \xD0\x90\xD0\x91\xD0\x92\xD0\x93\xD0\x94\xD0\x95\xD0\x96"
              "\xD0\x97\xD0\x98\xD0\x99\xD0\x9A\xD0\x9B\xD0\x9C\xD0\x9D\xD0\x9E\xD0\x9F'",
        findings[0]);
    EXPECT_EQ("no glyph in other.fnt for 1 character: byte 0xC0 '\xD0\x90'; first in "
              "Languages\\RUS.la",
        findings[1]);
}

}
