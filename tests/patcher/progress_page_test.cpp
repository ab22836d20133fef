// ProgressPage: its layout, and a real engine run through the page's ticks to the end, to a
// failure, and through the retry box of a missing archive.
#include "bigfile/bigfile.h"
#include "ml/ml.h"
#include "tests/patcher/page_fixture.h"
#include "tests/support/archive_builder.h"

#include <chrono>
#include <thread>

namespace {

using test::Box;
using test::PageFixture;
using test::StoredMember;
namespace fs = std::filesystem;

std::vector<std::string> g_calls;
int g_threads = 0;

class ProgressPageTest : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        BF_InitParams params {};
        ASSERT_EQ(1, BF_Init(&params));
        ASSERT_EQ(1, PTCH_SetStartFolder((m_dir.File("") + "\\").c_str()));
        ML_SetString(110, "Installing the patch");
        ML_SetString(111, "All files");
        ML_SetString(PTCH_TEXT_CANNOT_CREATE, "Cannot create");
        ML_SetString(PTCH_TEXT_RETRY_TITLE, "Missing archive");
        ML_SetString(311, "Please put archive 2 in place.");
        g_calls.clear();
        g_threads = 0;
        m_calls.showWindow
            = [](uintptr_t, bool show) { g_calls.push_back(show ? "show" : "hide"); };
        m_calls.startThread = [](patcher::os::ThreadProcedure procedure, void* argument) {
            ++g_threads;
            return patcher::os::StartThread(procedure, argument);
        };
        (void)SYS_StrCopy(m_setup.target.gameFolder, PTCH_PATH_CAPACITY, Folder("game").c_str());
        m_setup.target.source.distribution = 791;
        m_setup.desktopLinks = &m_off;
        m_setup.programLinks = &m_off;
        m_setup.runProgram = &m_on;
    }
    void TearDown() override
    {
        if (m_page != nullptr)
            m_page->Close();
        (void)driver.Pump();
        BF_Shutdown();
        PageFixture::TearDown();
    }
    void WriteArchive(uint32_t n, const std::vector<test::ArchiveMember>& members)
    {
        char name[32];
        (void)SYS_Format(name, sizeof name, n == 0 ? "patch.cbf" : "patch%02u.cbf", n);
        test::WriteBytes(m_dir.File(name), test::BuildArchive(members));
    }
    ProgressPage* Make()
    {
        GUIB_WindowCreate create = PageArea();
        m_page = new ProgressPage(&create, &m_setup);
        return m_page;
    }
    // Ticks the desktop until the page has told the wizard something or a new retry box waits;
    // the worker is a real thread, so the clock and the wall clock both move.
    void RunUntilAnswer()
    {
        const c_GUIB_MessageBox* open = m_page->GetRetryBox();
        for (int pass = 0; pass < 5000 && events.empty()
             && (m_page->GetRetryBox() == nullptr || m_page->GetRetryBox() == open);
             ++pass) {
            driver.Advance(20);
            (void)driver.Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const test::PageEvent& event : events)
            codes.push_back(event.code);
        return codes;
    }
    // Clicks a button of the retry box.
    void Answer(uint32_t button)
    {
        EXPECT_TRUE(driver.PumpUntilIdle());
        c_GUIB_Button* target = m_page->GetRetryBox()->GetButton(button);
        const Box place = Place(target);
        GUIB_Point at { place[2] / 2, place[3] / 2 };
        target->ToRoot(&at);
        driver.Move(at.x, at.y);
        driver.Click(at.x, at.y);
    }

    uint32_t m_on = 1;
    uint32_t m_off = 0;
    ProgressSetup m_setup {};
    ProgressPage* m_page = nullptr;
};

// Width 350, t = 16: margins of 35, and the bars' block centred from y (201 - 80) / 2 = 60.
TEST_F(ProgressPageTest, HeadingLabelsAndBarsAreLaidOutInTheMiddle)
{
    ProgressPage* page = Make();
    EXPECT_EQ(ChildPlaces(page),
        (std::vector<Box> { { 35, 0, 280, 32 }, { 35, 60, 280, 16 }, { 35, 76, 280, 16 },
            { 35, 108, 280, 16 }, { 35, 124, 280, 16 } }));
    EXPECT_EQ(std::u16string(u"Installing the patch"), Made<c_GUIB_Label>(page, 0)->GetCaption());
    EXPECT_EQ(std::u16string(u"All files"), Made<c_GUIB_Label>(page, 3)->GetCaption());
    EXPECT_EQ(0, page->GetTotalBar()->GetValue());
}

TEST_F(ProgressPageTest, RunToTheEndFinishesThePatchAndReportsCompletion)
{
    WriteArchive(0,
        { StoredMember("patch\\Data\\A.txt", { 'a' }),
            StoredMember("patch\\B.bin", test::SampleBytes(300000, 1)) });
    Make()->Start();
    RunUntilAnswer();
    EXPECT_EQ(std::vector<uint32_t> { PTCH_EV_COMPLETE }, Codes());
    EXPECT_EQ(100, m_page->GetTotalBar()->GetValue());
    EXPECT_EQ(100, m_page->GetFileBar()->GetValue());
    EXPECT_TRUE(fs::exists(m_dir.Path() / "game" / "data" / "a.txt"));
    EXPECT_EQ(300000u, fs::file_size(m_dir.Path() / "game" / "b.bin"));
    // No program of the patch (flag 301 unset): the window stays.
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(ProgressPageTest, WindowIsHiddenAroundTheProgramOfThePatch)
{
    ML_SetString(PTCH_ID_RUN_PROGRAM, "setup.exe");
    WriteArchive(0, { StoredMember("patch\\A.txt", { 'a' }) });
    Make()->Start();
    RunUntilAnswer();
    EXPECT_EQ(std::vector<uint32_t> { PTCH_EV_COMPLETE }, Codes());
    EXPECT_EQ((std::vector<std::string> { "hide", "show" }), g_calls);
}

TEST_F(ProgressPageTest, FailedCopyReportsTheEnginesErrorText)
{
    // A file where the member's folder must go: the destination cannot be created.
    test::WriteBytes(m_dir.File("game/sub"), { 'x' });
    WriteArchive(0, { StoredMember("patch\\Sub\\A.txt", { 'a' }) });
    Make()->Start();
    RunUntilAnswer();
    ASSERT_EQ(std::vector<uint32_t> { PTCH_EV_FAILED }, Codes());
    EXPECT_EQ(0u, events[0].text.find(u"Cannot create\n")) << test::Narrow(events[0].text);
}

TEST_F(ProgressPageTest, MissingArchiveIsRetriedThroughTheBoxAndCanBeCancelled)
{
    ML_SetString(PTCH_ID_ARCHIVE_COUNT, "2");
    WriteArchive(1, { StoredMember("patch\\One.txt", { '1' }) });
    Make()->Start();
    RunUntilAnswer();
    ASSERT_NE(nullptr, m_page->GetRetryBox());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(std::u16string(u"Please put archive 2 in place."),
        m_page->GetRetryBox()->GetLabel()->GetCaption());
    EXPECT_EQ(50, m_page->GetTotalBar()->GetValue());

    // Ok while it is still missing asks again; Ok once it is there goes on to the end.
    Answer(GUIB_MB_OK);
    ASSERT_NE(nullptr, m_page->GetRetryBox());
    WriteArchive(2, { StoredMember("patch\\Two.txt", { '2' }) });
    Answer(GUIB_MB_OK);
    EXPECT_EQ(nullptr, m_page->GetRetryBox());
    RunUntilAnswer();
    EXPECT_EQ(std::vector<uint32_t> { PTCH_EV_COMPLETE }, Codes());
    EXPECT_TRUE(fs::exists(m_dir.Path() / "game" / "two.txt"));
}

TEST_F(ProgressPageTest, CancelInTheRetryBoxReportsTheCancel)
{
    Make()->Start();
    ASSERT_NE(nullptr, m_page->GetRetryBox()) << "patch.cbf is missing";
    Answer(GUIB_MB_CANCEL);
    EXPECT_EQ(std::vector<uint32_t> { PTCH_EV_CANCELLED }, Codes());
    EXPECT_EQ(0, g_threads);
}

// However the answer arrives twice, one worker copies the archive.
TEST_F(ProgressPageTest, RetryAnsweredTwiceStartsTheArchiveOnce)
{
    Make()->Start();
    ASSERT_NE(nullptr, m_page->GetRetryBox());
    WriteArchive(0, { StoredMember("patch\\Big.bin", test::SampleBytes(2000000, 2)) });
    m_page->OnRetryAnswer(GUIB_MB_OK);
    m_page->OnRetryAnswer(GUIB_MB_OK);
    EXPECT_EQ(1, g_threads);
    RunUntilAnswer();
    EXPECT_EQ(std::vector<uint32_t> { PTCH_EV_COMPLETE }, Codes());
    EXPECT_EQ(1, g_threads);
}

TEST_F(ProgressPageTest, LooksLikeTheCopyUnderWay)
{
    ProgressPage* page = Make();
    page->GetFileLabel()->SetCaption("data\\maps\\harbour.map");
    page->GetFileBar()->SetValue(40, 0);
    page->GetTotalBar()->SetValue(15, 0);
    EXPECT_TRUE(driver.PumpUntilIdle());
    EXPECT_TRUE(driver.MatchesFrame("pages/progress"));
}

}
