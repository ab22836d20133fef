// List boxes: rows and the scroll bar that follows the item count, selection by mouse, keys and
// wheel with the anchor, the veto of GUIB_LB_SELCHANGING, and what a frame shows.
#include "tests/guib/control_fixture.h"

namespace {

constexpr uint8_t VK_PRIOR = 33;
constexpr uint8_t VK_NEXT = 34;
constexpr uint8_t VK_END = 35;
constexpr uint8_t VK_HOME = 36;
constexpr uint8_t VK_UP = 38;
constexpr uint8_t VK_DOWN = 40;
constexpr uint8_t VK_SHIFT = 160; // the left keys: their state makes the summary bits
constexpr uint8_t VK_CONTROL = 162;

class ListBoxTest : public test::ControlTest {
protected:
    ListBoxTest()
        : ControlTest(240, 200)
    {
    }
    // A list at (20, 20), 120 × 100, with count items "Item 0" ...; the rows are 15 pixels
    // high and row k is hit at y = 20 + 8 + 15 k.
    c_GUIB_ListBox* Make(uint32_t count, int32_t height = 100)
    {
        list = Add<c_GUIB_ListBox>(20, 20, 120, height);
        for (uint32_t i = 0; i < count; ++i)
            EXPECT_EQ(list->AddItem(("Item " + std::to_string(i)).c_str()), i);
        EXPECT_TRUE(driver.PumpUntilIdle());
        return list;
    }
    void ClickRow(uint32_t row) { driver.Click(50, RowY(row)); }
    // Input given while a modifier key is held.
    template <typename Input> void Holding(uint8_t modifier, Input input)
    {
        driver.KeyDown(modifier);
        input();
        driver.KeyUp(modifier);
    }
    static int32_t RowY(uint32_t row) { return 28 + 15 * static_cast<int32_t>(row); }
    std::vector<uint32_t> Selected() const
    {
        std::vector<uint32_t> items;
        for (uint32_t i = 0; i < list->GetCount(); ++i)
            if (list->IsSelected(i) == 1)
                items.push_back(i);
        return items;
    }
    GUIB_ScrollInfo BarInfo() const { return test::InfoOf(list->GetScrollBar()); }

    c_GUIB_ListBox* list = nullptr;
};

using Items = std::vector<uint32_t>;

TEST_F(ListBoxTest, TheSeventhItemBringsTheScrollBar)
{
    Make(6);
    EXPECT_EQ(list->VisibleRows(), 6u);
    EXPECT_FALSE(list->GetScrollBar()->IsVisible());
    list->AddItem("Item 6");
    EXPECT_TRUE(list->GetScrollBar()->IsVisible());
    EXPECT_EQ(BarInfo().page, 6);
    EXPECT_EQ(BarInfo().maximum, 7);
    list->SetSize(120, 120); // now all fit: the bar goes and the top returns to 0
    EXPECT_FALSE(list->GetScrollBar()->IsVisible());
    list->SetSize(120, 60);
    EXPECT_TRUE(list->GetScrollBar()->IsVisible());
    EXPECT_EQ(test::PositionOf(list->GetScrollBar()), (GUIB_Point { 120 - 16, 0 }));
    EXPECT_EQ(test::SizeOf(list->GetScrollBar()), (GUIB_Point { 16, 60 }));
}

TEST_F(ListBoxTest, PressesSelectWithShiftRangesAndControlToggles)
{
    Make(6);
    ClickRow(1);
    EXPECT_EQ(list->GetCurrent(), 1u);
    EXPECT_EQ(
        Notes(GUIB_LB_SELCHANGED), (std::vector<test::Note> { { GUIB_LB_SELCHANGED, 1, 1 } }));
    Holding(VK_SHIFT, [&] { ClickRow(4); });
    EXPECT_EQ(Selected(), (Items { 1, 2, 3, 4 }));
    Holding(VK_CONTROL, [&] { ClickRow(2); });
    EXPECT_EQ(Selected(), (Items { 1, 3, 4 }));
    EXPECT_EQ(list->GetCurrent(), GUIB_LB_NONE); // unselecting drops the current item
    EXPECT_EQ(list->GetAnchor(), 2u);
    ClickRow(5);
    EXPECT_EQ(Selected(), (Items { 5 }));
    EXPECT_EQ(driver.Desktop()->GetFocusWindow(), list);
}

TEST_F(ListBoxTest, DraggingSweepsFromTheAnchor)
{
    Make(6);
    driver.Drag(50, RowY(1), 50, RowY(4), 3);
    EXPECT_EQ(Selected(), (Items { 1, 2, 3, 4 }));
    EXPECT_EQ(list->GetCurrent(), 4u);
    driver.Drag(50, RowY(3), 50, RowY(1), 2);
    EXPECT_EQ(Selected(), (Items { 1, 2, 3 }));
    EXPECT_EQ(driver.Desktop()->GetCaptureWindow(), nullptr);
}

TEST_F(ListBoxTest, AVetoBlocksPressesDragsAndKeysButNotTheWheel)
{
    Make(6);
    ClickRow(2);
    answer = 1;
    notes.clear();
    ClickRow(4);
    driver.Drag(50, RowY(0), 50, RowY(3));
    driver.Type(VK_DOWN);
    driver.Type(VK_HOME);
    EXPECT_EQ(list->GetCurrent(), 2u);
    EXPECT_EQ(Selected(), (Items { 2 }));
    EXPECT_TRUE(Notes(GUIB_LB_SELCHANGED).empty());
    EXPECT_FALSE(Notes(GUIB_LB_SELCHANGING).empty());
    notes.clear();
    driver.Wheel(50, RowY(2), -2);
    EXPECT_EQ(list->GetCurrent(), 4u);
    EXPECT_EQ(notes, (std::vector<test::Note> { { GUIB_LB_SELCHANGED, 4, 1 } }));
}

TEST_F(ListBoxTest, HomeKeepsTheAnchorForAShiftedMove)
{
    Make(6);
    ClickRow(3);
    driver.Char(u'('); // typed characters are not the navigation keys of their codes: Down
    driver.Char(u'!'); // and Page Up
    EXPECT_EQ(list->GetCurrent(), 3u);
    driver.Type(VK_HOME);
    EXPECT_EQ(list->GetCurrent(), 0u);
    EXPECT_EQ(list->GetAnchor(), 3u);
    Holding(VK_SHIFT, [&] { driver.Type(VK_DOWN); });
    EXPECT_EQ(list->GetCurrent(), 1u);
    EXPECT_EQ(Selected(), (Items { 1, 2, 3 }));
    driver.Type(VK_UP); // without Shift the anchor follows
    EXPECT_EQ(list->GetAnchor(), 0u);
    EXPECT_EQ(Notes(GUIB_LB_SELCHANGED).back(), (test::Note { GUIB_LB_SELCHANGED, 0, 2 }));
}

TEST_F(ListBoxTest, PageKeysMoveByTheVisibleRowsAndScroll)
{
    Make(20);
    ASSERT_EQ(BarInfo().page, 6);
    driver.Click(20 + 120 - 8, 20 + 100 - 4); // the scroll bar's increase arrow moves the top
    EXPECT_EQ(list->GetTop(), 1u);
    struct Step {
        uint8_t key;
        uint32_t current;
        uint32_t top;
    };
    const Step steps[] = { { VK_HOME, 0, 0 }, { VK_NEXT, 5, 0 }, { VK_NEXT, 10, 5 },
        { VK_PRIOR, 5, 5 }, { VK_PRIOR, 0, 0 }, { VK_END, 19, 14 }, { VK_DOWN, 19, 14 } };
    list->Focus();
    driver.Type(VK_NEXT); // none yet: Page Down gives the last item
    EXPECT_EQ(list->GetCurrent(), 19u);
    for (const Step& s : steps) {
        driver.Type(s.key);
        EXPECT_EQ(list->GetCurrent(), s.current) << "key " << int(s.key);
        EXPECT_EQ(list->GetTop(), s.top) << "key " << int(s.key);
    }
    EXPECT_EQ(BarInfo().value, 14);
}

TEST_F(ListBoxTest, RowsPastTheLastItemAreNoItems)
{
    Make(10);
    ClickRow(7 - 4);
    list->SetTop(5);
    notes.clear();
    ClickRow(5); // the sixth row would show item 10
    EXPECT_EQ(list->GetCurrent(), 3u);
    EXPECT_TRUE(notes.empty());
    GUIB_Point below { 50, 8 + 15 * 5 };
    EXPECT_EQ(list->ItemAt(&below), GUIB_LB_NONE);
    ClickRow(4);
    EXPECT_EQ(list->GetCurrent(), 9u);
    EXPECT_TRUE(driver.PumpUntilIdle()); // draws the rows up to the last item only
}

TEST_F(ListBoxTest, RowsFollowTheHeightsOfTheItemsTheyShow)
{
    Make(6);
    list->SetItemHeight(0, 40);
    list->SetTop(1);
    GUIB_Point second { 5, 20 };
    EXPECT_EQ(list->ItemAt(&second), 2u); // item 1 spans 1 to 16, item 2 from there
}

TEST_F(ListBoxTest, DoubleClickReportsOnlyTheCurrentItem)
{
    Make(3);
    driver.DoubleClick(50, RowY(1));
    driver.DoubleClick(50, RowY(5));
    EXPECT_EQ(Notes(GUIB_LB_DBLCLK), (std::vector<test::Note> { { GUIB_LB_DBLCLK, 1, 0 } }));
}

TEST_F(ListBoxTest, WheelLimitsToTheListAndIgnoresAnEmptyOne)
{
    Make(0);
    driver.Wheel(50, 50, -1);
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(list->GetCurrent(), GUIB_LB_NONE);
    for (uint32_t i = 0; i < 4; ++i)
        list->AddItem("x");
    driver.Wheel(50, 50, 3); // no current item: from below 0 to the first
    EXPECT_EQ(list->GetCurrent(), 0u);
    driver.Wheel(50, 50, -9);
    EXPECT_EQ(list->GetCurrent(), 3u);
}

TEST_F(ListBoxTest, ItemCallsRefuseBadIndices)
{
    Make(3);
    EXPECT_EQ(list->SetCurrent(3, 1), GUIB_LB_ERROR);
    EXPECT_EQ(list->SetSelected(3, 1), GUIB_LB_ERROR);
    EXPECT_EQ(list->IsSelected(7), GUIB_LB_ERROR);
    EXPECT_EQ(list->SelectRange(0, 3, 1), GUIB_LB_ERROR);
    EXPECT_EQ(list->SetItemData(3, 1), GUIB_LB_ERROR);
    EXPECT_EQ(list->GetItemHeight(3), GUIB_LB_ERROR);
    EXPECT_EQ(Selected(), Items {});
    EXPECT_EQ(list->SetSelected(GUIB_LB_ALL, 1), GUIB_LB_NONE);
    EXPECT_EQ(Selected(), (Items { 0, 1, 2 }));
    EXPECT_EQ(list->SetItemData(1, 42), 0u);
    EXPECT_EQ(list->SetItemData(1, 7), 42u);
    EXPECT_EQ(list->SetCurrent(GUIB_LB_NONE, 0), GUIB_LB_NONE);
    EXPECT_EQ(Selected(), Items {});
}

TEST_F(ListBoxTest, AFontWithoutLinesIsKeptButNotUsed)
{
    Make(8);
    GUIB_Ref<c_GUIB_Font> empty = GUIB_Ref<c_GUIB_Font>::Adopt(new c_GUIB_Font());
    ASSERT_FALSE(empty->IsLoaded());
    list->SetFont(empty.Get());
    EXPECT_EQ(list->GetItemHeight(0), 15u);
    EXPECT_TRUE(driver.PumpUntilIdle());
    list->SetFont(font.Get()); // the test font: rows of its line height
    EXPECT_EQ(list->GetItemHeight(7), static_cast<uint32_t>(test::TEST_FONT_HEIGHT));
}

TEST_F(ListBoxTest, FrameShowsRowsSelectionAndScrollBar)
{
    Make(9);
    ClickRow(1);
    Holding(VK_SHIFT, [&] { ClickRow(2); });
    ASSERT_TRUE(driver.PumpUntilIdle());
    EXPECT_TRUE(driver.MatchesFrame("controls/list_box_selection"));
}

}
