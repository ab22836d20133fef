// TextPage: the licence and news files of the language in a scrolling picture, the fixed text
// for a file that cannot be shown, and the text of a damaged member.
#include "bigfile/bigfile.h"
#include "ml/ml.h"
#include "tests/patcher/page_fixture.h"
#include "tests/support/archive_builder.h"

namespace {

using test::Box;
using test::PageFixture;

class TextPageTest : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        BF_InitParams params {};
        ASSERT_EQ(1, BF_Init(&params));
        ML_SetString(40, "License agreement");
        ML_SetString(80, "News");
    }
    void TearDown() override
    {
        BF_Shutdown();
        PageFixture::TearDown();
    }
    void Mount(const std::vector<test::ArchiveMember>& members)
    {
        const std::string path = m_dir.File("languages.cbf");
        test::WriteBytes(path, test::BuildArchive(members));
        ASSERT_EQ(BF_OK, LoadBF(test::Wide(path.c_str()).c_str(), 0));
    }
    static test::ArchiveMember Licence(const std::string& text)
    {
        return test::StoredMember("Languages\\eng.la", { text.begin(), text.end() });
    }
    static std::string Lines(int count)
    {
        std::string text;
        for (int i = 1; i <= count; ++i)
            text += "Line " + std::to_string(i) + " of the licence\n";
        return text;
    }
    TextPage* Make(uint32_t kind)
    {
        GUIB_WindowCreate create = PageArea();
        auto* page = new TextPage(&create, kind, "eng");
        EXPECT_TRUE(driver.PumpUntilIdle());
        return page;
    }
    static std::string Shown(uint32_t kind, const char* path)
    {
        const SYS_Block<char[]> text = PTCH_ReadPageText(kind, path);
        return text ? text.get() : "(none)";
    }
    static int32_t PictureWidth(const TextPage* page)
    {
        GUIB_PictureSetup setup {};
        page->GetPanel()->GetPicture(&setup);
        int32_t width = 0;
        setup.picture->GetSize(&width, nullptr);
        return width;
    }
};

// t = 16: the heading takes the top line, the panel the rest from y 15.
TEST_F(TextPageTest, ShortTextTakesTheWholeWidthWithoutAScrollBar)
{
    Mount({ Licence(Lines(3)) });
    TextPage* page = Make(PTCH_TEXT_LICENCE);
    EXPECT_EQ((Box { 0, 0, 350, 16 }), Place(page->GetHeading()));
    EXPECT_EQ(std::u16string(u"License agreement"), page->GetHeading()->GetCaption());
    EXPECT_EQ((Box { 0, 15, 350, 186 }), Place(page->GetPanel()));
    EXPECT_EQ(350, PictureWidth(page));
    EXPECT_EQ(nullptr, page->GetPanel()->GetVerticalBar());
    EXPECT_EQ(nullptr, page->GetSurface());
}

TEST_F(TextPageTest, LongTextLeavesRoomForTheScrollBarAndScrollsByLines)
{
    Mount({ Licence(Lines(40)) });
    TextPage* page = Make(PTCH_TEXT_LICENCE);
    EXPECT_EQ(350 - 16, PictureWidth(page));
    ASSERT_NE(nullptr, page->GetPanel()->GetVerticalBar());
    driver.Wheel(PAGE_X + 100, PAGE_Y + 100, -1);
    int32_t y = 0;
    page->GetPanel()->GetScrollOffset(nullptr, &y);
    EXPECT_GT(y, 0);
    EXPECT_EQ(0, y % test::TEST_FONT_HEIGHT);
    EXPECT_TRUE(driver.PumpUntilIdle());
    EXPECT_TRUE(driver.MatchesFrame("pages/licence_scrolled"));
}

TEST_F(TextPageTest, MissingFilesShowAFixedTextNamingThem)
{
    Mount({ Licence("x") });
    EXPECT_EQ("Cannot show readme file. Maybe, this file missing! (Languages\\eng.nws)",
        Shown(PTCH_TEXT_NEWS, "Languages\\eng.nws"));
    EXPECT_EQ("Cannot show license agreement. Languages\\fra.la file missing!",
        Shown(PTCH_TEXT_LICENCE, "Languages\\fra.la"));
    TextPage* news = Make(PTCH_TEXT_NEWS);
    EXPECT_EQ(std::u16string(u"News"), news->GetHeading()->GetCaption());
    EXPECT_EQ(350, PictureWidth(news));
}

// A member that claims 4 GiB is not allocated for; one whose data is cut short shows the bytes
// that are there and nothing after them.
TEST_F(TextPageTest, DamagedMembersNeitherOverrunNorShowStrayBytes)
{
    test::ArchiveMember huge = Licence("short");
    huge.size = 0xFFFFFFFF;
    test::ArchiveMember cut = test::LzwMember("Languages\\cut.la", { 'a', 'b', 'c' }, LZW_Encode);
    cut.size = 300;
    test::ArchiveMember fine
        = test::StoredMember("Languages\\zzz.la", std::vector<uint8_t>(40, 'z'));
    Mount({ huge, fine, cut });
    EXPECT_EQ("Cannot show license agreement. Languages\\eng.la file missing!",
        Shown(PTCH_TEXT_LICENCE, "Languages\\eng.la"));
    EXPECT_EQ("abc", Shown(PTCH_TEXT_LICENCE, "Languages\\cut.la"));
}

TEST(PageTextPath, NamesTheLanguagesFileAndRefusesWhatDoesNotFit)
{
    char path[32];
    ASSERT_EQ(1, PTCH_PageTextPath(PTCH_TEXT_NEWS, "deu", path, sizeof path));
    EXPECT_STREQ("Languages\\deu.nws", path);
    EXPECT_EQ(
        0, PTCH_PageTextPath(PTCH_TEXT_LICENCE, "a-very-long-language-code", path, sizeof path));
}

}
