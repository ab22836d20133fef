// The GUI text table: the defaults the toolkit starts with, the fallback entry every missing
// text reads, replacing entries, and the table's life with the toolkit's set-up and shutdown.
#include "guib/guib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(int32_t id)
{
    const char16_t* text = GUIB_GetText(id);
    EXPECT_NE(text, nullptr) << id;
    return text != nullptr ? text : u"<null>";
}

class GuiTexts : public ::testing::Test {
protected:
    void SetUp() override
    {
        const GUIB_Options options { 0 };
        ASSERT_EQ(GUI_Init(&options, &environment), SYS_OK);
    }
    void TearDown() override { GUI_Done(); }

    c_GUIB_Environment* environment = nullptr;
};

TEST_F(GuiTexts, TheToolkitStartsWithEnglishDefaults)
{
    const struct {
        int32_t id;
        std::u16string text;
    } cases[] = { { 1, u"Ok" }, { 2, u"Cancel" }, { 3, u"Retry" }, { 4, u"Yes" }, { 5, u"No" },
        { 6, u"Back" }, { 7, u"Previous" }, { 8, u"Next" }, { 9, u"I agree" }, { 256, u"free" },
        { 261, u"CD_ROM" }, { 262, u"RAM drive" },
        // Entries without a default, and ids outside the table, read the empty fallback.
        { 0, u"" }, { 10, u"" }, { 500, u"" }, { 1000, u"" }, { 1001, u"" }, { -1, u"" } };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.id), c.text) << c.id;
}

TEST_F(GuiTexts, SetTextReplacesWidensByteByByteAndIgnoresIdsBeyondTheTable)
{
    GUIB_SetText(1, "D\xE9j\xE0 vu");
    EXPECT_EQ(Text(1), u"D\u00E9j\u00E0 vu");
    GUIB_SetText(1000, "fallback");
    GUIB_SetText(1001, "ignored");
    EXPECT_EQ(Text(1001), u"fallback");
    EXPECT_EQ(Text(500), u"fallback");
    // Clearing an entry makes it read the fallback too.
    GUIB_SetText(2, nullptr);
    EXPECT_EQ(Text(2), u"fallback");
}

TEST_F(GuiTexts, ShutdownEmptiesTheTableAndTheNextSetUpRestoresTheDefaults)
{
    GUIB_SetText(1, "Okay");
    GUIB_SetText(700, "custom");
    c_GUIB_Environment* again = nullptr;
    EXPECT_EQ(GUI_Init(nullptr, &again), GUIB_ALREADY_SET_UP);
    EXPECT_EQ(Text(1), u"Okay") << "a second set-up must leave the running table alone";

    GUI_Done();
    EXPECT_EQ(Text(1), u"") << "no entry survives the shutdown, not even the fallback";
    EXPECT_EQ(Text(1000), u"");

    const GUIB_Options options { 0 };
    ASSERT_EQ(GUI_Init(&options, &environment), SYS_OK);
    EXPECT_EQ(Text(1), u"Ok");
    EXPECT_EQ(Text(700), u"");
}

}
