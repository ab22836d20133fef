// ItemPage: the vertical layout of texts and check boxes, and the controls' effect on the
// wizard's choices and links.
#include "tests/patcher/page_fixture.h"

namespace {

using test::Box;
using test::PageFixture;

class ItemPageTest : public PageFixture {
protected:
    ItemPage* Make(const std::vector<PageItem>& items)
    {
        GUIB_WindowCreate create = PageArea();
        auto* page = new ItemPage(&create, items.data(), static_cast<uint32_t>(items.size()));
        EXPECT_TRUE(driver.PumpUntilIdle());
        return page;
    }
    static PageItem Text(const char16_t* text, uint32_t anchor = 0)
    {
        return { PTCH_ITEM_TEXT, text, anchor, 0, 0 };
    }
    static PageItem Check(const char16_t* text, uint32_t* choice)
    {
        return { PTCH_ITEM_CHECK_BOX, text, 0, reinterpret_cast<uintptr_t>(choice), 0 };
    }
};

// One-line items are a line (10) + 2 high; the default margin is 35 and texts reach 2 further.
TEST_F(ItemPageTest, TwoTextsShareTheHeightInThreeEqualGaps)
{
    ItemPage* page = Make({ Text(u"One"), Text(u"Two") });
    // (201 - 24) / 3 = 59 above, between and below.
    EXPECT_EQ(ChildPlaces(page), (std::vector<Box> { { 33, 59, 284, 12 }, { 33, 130, 284, 12 } }));
}

TEST_F(ItemPageTest, ConsecutiveCheckBoxesArePackedBelowAnAnchoredText)
{
    uint32_t a = 1, b = 0;
    ItemPage* page = Make({ Text(u"Heading", 1), Check(u"A", &a), Check(u"B", &b) });
    // Top 13; two gaps of (201 - 13 - 24) / 2 = 82: above the boxes and below them.
    EXPECT_EQ(ChildPlaces(page),
        (std::vector<Box> { { 33, 0, 284, 12 }, { 35, 95, 280, 12 }, { 35, 107, 280, 12 } }));
    EXPECT_EQ(GUIB_CHECK_ON, Made<c_GUIB_CheckBox>(page, 1)->GetCheck());
    EXPECT_EQ(GUIB_CHECK_OFF, Made<c_GUIB_CheckBox>(page, 2)->GetCheck());
}

TEST_F(ItemPageTest, AnchoredLastItemSitsAtTheBottomAndWrappedTextsGrow)
{
    // 46 characters are 276 pixels: two lines in the 280 pixels of a text, one line wider.
    const char16_t* longText = u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa bb";
    PageItem wide = Text(longText);
    wide.margin = 5;
    ItemPage* page = Make({ Text(u"Top", 1), Text(longText), wide, Text(u"End", 1) });
    const std::vector<Box> places = ChildPlaces(page);
    ASSERT_EQ(4u, places.size());
    EXPECT_EQ((Box { 33, 201 - 12 + 1, 284, 12 }), places[3]);
    EXPECT_EQ(22, places[1][3]);
    EXPECT_EQ((Box { 3, places[2][1], 344, 12 }), places[2]);
    // (190 - 13 - 34) / 3 = 47 before each flowing item.
    EXPECT_EQ(13 + 47, places[1][1]);
    EXPECT_EQ(13 + 47 + 22 + 47, places[2][1]);
}

TEST_F(ItemPageTest, EmptyAndUnknownItemsTakeNoRoomAndExtraItemsAreIgnored)
{
    ItemPage* page = Make(
        { Text(u"A"), { PTCH_ITEM_EMPTY, u"x", 0, 0, 0 }, { 2, u"unknown", 0, 0, 0 }, Text(u"B") });
    // Four gaps of (201 - 24) / 5 = 35 count the two items without room.
    EXPECT_EQ(ChildPlaces(page),
        (std::vector<Box> { { 33, 35, 284, 12 }, { 33, 35 + 12 + 35 + 35 + 35, 284, 12 } }));

    std::vector<PageItem> many(25, Text(u"x"));
    EXPECT_EQ(PTCH_MAX_PAGE_ITEMS, Make(many)->GetChildCount());
}

TEST_F(ItemPageTest, CheckBoxClicksSetTheChoiceAtOnce)
{
    uint32_t choice = 1;
    ItemPage* page = Make({ Text(u"Options", 1), Check(u"Desktop", &choice) });
    const Box box = Place(Made<c_GUIB_CheckBox>(page, 1));
    const int32_t x = PAGE_X + box[0] + 3;
    const int32_t y = PAGE_Y + box[1] + box[3] / 2;
    driver.Move(x, y);
    driver.Click(x, y);
    EXPECT_EQ(0u, choice);
    driver.Click(x, y);
    EXPECT_EQ(1u, choice);
    // The toggles are the page's own business: the wizard hears nothing.
    EXPECT_TRUE(events.empty());
}

class LinkPageTest : public ItemPageTest {
protected:
    void SetUp() override
    {
        ItemPageTest::SetUp();
        m_calls.openTarget = [](const char* target) {
            s_opened.emplace_back(target);
            return true;
        };
        s_opened.clear();
    }
    static inline std::vector<std::string> s_opened;
};

TEST_F(LinkPageTest, LinkButtonsOpenTheirTargetsAndOtherSendersAreNotTheirs)
{
    const char* target = "https://example.org/patch";
    ItemPage* page = Make({ Text(u"See"),
        { PTCH_ITEM_LINK, u"the notes", 0, reinterpret_cast<uintptr_t>(target), 0 } });
    const Box link = Place(Made<c_GUIB_Button>(page, 1));
    const int32_t x = PAGE_X + link[0] + link[2] / 2;
    const int32_t y = PAGE_Y + link[1] + link[3] / 2;
    driver.Move(x, y);
    driver.Click(x, y);
    EXPECT_EQ(std::vector<std::string> { target }, s_opened);
    EXPECT_EQ(0u, page->OnControlEvent(Made<c_GUIB_Window>(page, 0), GUIB_BN_CLICKED, 0));
    EXPECT_EQ(0u, page->OnControlEvent(Made<c_GUIB_Window>(page, 1), GUIB_CHK_TOGGLED, 1));
}

TEST_F(ItemPageTest, LooksLikeAPageOfTheWizard)
{
    uint32_t on = 1, off = 0;
    Make({ Text(u"Choose the shortcuts to create:", 1), Check(u"On the desktop", &on),
        Check(u"In the program menu", &off), { PTCH_ITEM_EMPTY, nullptr, 0, 0, 0 } });
    EXPECT_TRUE(driver.MatchesFrame("pages/item_page"));
}

class FontlessItemPageTest : public PageFixture {
protected:
    FontlessItemPageTest()
        : PageFixture(false)
    {
    }
};

TEST_F(FontlessItemPageTest, PageWithoutAFontIsLeftEmpty)
{
    const PageItem item { PTCH_ITEM_TEXT, u"text", 0, 0, 0 };
    GUIB_WindowCreate create = PageArea();
    EXPECT_EQ(0u, (new ItemPage(&create, &item, 1))->GetChildCount());
}

}
