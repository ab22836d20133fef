// The wizard end to end: a distribution with installer data, an English language file with its
// font and a patch archive, a game in the registry, and the installer started as the program
// starts it; then clicks on the three buttons through the installer's own window, the copy run
// to its end, and the game folder and version record checked. Also the refusal pages from the
// installed record, the disk-space page and an archive whose member escapes the game folder.
#include "tests/patcher/startup_fixture.h"

#include "tests/support/archive_builder.h"
#include "tests/support/frame_check.h"

namespace {

using namespace test;

uint32_t g_clock = 1000;

uint32_t WizardClock()
{
    return g_clock;
}

class Wizard : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        GUIB_SetTickSource(WizardClock);
        m_game = Folder("game");
    }
    void TearDown() override
    {
        StartupFixture::TearDown();
        GUIB_SetTickSource(nullptr);
    }

    // Installer data lines ("#id:\n#ENG value\n") added to the distribution's.
    void Start(const std::string& data, const std::vector<ArchiveMember>& patch = {},
        bool installed = true)
    {
        WriteInstallerArchive(WizardDistribution(data));
        if (!patch.empty())
            WriteFile(m_dir.Path() / "dist" / "patch.cbf", BuildArchive(patch));
        if (installed) {
            ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(GAME_KEY), "Install Path", m_game.c_str()));
        }
        ASSERT_EQ(1, Init());
        ASSERT_EQ(1, PTCH_InitGUI());
        PTCH_Start();
        Settle();
    }
    void PutRecord(uint32_t patchVersion, uint32_t editorVersion = 0)
    {
        ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Patch version", patchVersion));
        ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Editor version", editorVersion));
    }

    // A few passes of the installer's pump, the clock moving on by a tick each.
    void Settle(int passes = 4)
    {
        for (int i = 0; i < passes && PTCH_IsRunning(); ++i) {
            g_clock += 20;
            if (PTCH_GetDesktop()->Pump() == 0)
                PTCH_SetRunning(false);
        }
    }
    void Post(uint32_t message, int32_t x, int32_t y)
    {
        ASSERT_TRUE(PTCH_GetDesktop()->PostSystemMessage(message, 0, GUIB_MakePointParam(x, y)));
        Settle(1);
    }
    // A click on button 1 (bottom), 2 or 3 (top) of the column, as the mouse makes it.
    void Click(int button)
    {
        const int32_t x = 349 + 7 + 30;
        const int32_t y = button == 3 ? 7 + 8 : button == 2 ? 274 + 8 : 297 + 8;
        Post(GUIB_WM_MOUSEMOVE, x, y);
        Post(GUIB_WM_LBUTTONDOWN, x, y);
        Post(GUIB_WM_LBUTTONUP, x, y);
        Settle();
    }
    // Pumps until the page changes from the copy (a bounded number of passes).
    void RunCopy()
    {
        for (int i = 0; i < 500 && PTCH_GetCurrentPage() == 4; ++i)
            Settle(1);
    }

    c_GUIB_Button* Button(int i) const { return patcher::detail::WizardState().buttons[i - 1]; }
    std::u16string Status() const { return patcher::detail::WizardState().status->GetCaption(); }
    // The captions of the item page's controls, front to back.
    std::vector<std::u16string> Texts(uint32_t page) const
    {
        std::vector<std::u16string> texts;
        const c_GUIB_Window* content = patcher::detail::WizardState().pages[page];
        for (uint32_t i = content != nullptr ? content->GetChildCount() : 0; i-- > 0;)
            if (const char16_t* caption = content->GetChild(i)->GetCaption(); caption != nullptr)
                texts.emplace_back(caption);
        return texts;
    }
    ::testing::AssertionResult Shows(const std::string& name) const
    {
        return MatchesFrame(name, *PTCH_GetDesktop()->GetSurface());
    }
    std::string GameFile(const std::string& name) const
    {
        std::ifstream in(std::filesystem::path(m_game) / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_game;
};

std::vector<uint8_t> Bytes(const std::string& text)
{
    return { text.begin(), text.end() };
}

TEST_F(Wizard, WholeRunCopiesThePatchAndRecordsItsVersion)
{
    Start("#421:\n#ENG 102\n#422:\n#ENG 2024.5.6\n#420:\n#ENG Second\n",
        { StoredMember("patch\\Data\\New.txt", Bytes("new")),
            StoredMember("patch\\Old.txt", Bytes("replaced")) });
    WriteText(std::filesystem::path(m_game) / "old.txt", "old");
    ASSERT_EQ(0u, PTCH_GetCurrentPage());
    EXPECT_EQ(u"T29", Status());
    EXPECT_EQ(u"T13", std::u16string(Button(1)->GetCaption()));
    EXPECT_FALSE(Button(3)->IsEnabled()) << "no news file";
    EXPECT_TRUE(Shows("wizard/start"));

    Click(1);
    ASSERT_EQ(1u, PTCH_GetCurrentPage());
    c_GUIB_Window* licence = patcher::detail::WizardState().pages[1];
    Click(2);
    EXPECT_EQ(0u, PTCH_GetCurrentPage());
    Click(1);
    EXPECT_EQ(licence, patcher::detail::WizardState().pages[1]) << "the licence is kept";
    EXPECT_TRUE(Shows("wizard/licence"));

    Click(1);
    ASSERT_EQ(3u, PTCH_GetCurrentPage()) << "no option pages: straight to ready";
    EXPECT_EQ(u"T31\n" + std::u16string(m_game.begin(), m_game.end()), Texts(3).at(1));
    Click(2);
    EXPECT_EQ(1u, PTCH_GetCurrentPage()) << "back from ready is the licence";
    Click(1);
    Click(1);
    RunCopy();
    ASSERT_EQ(5u, PTCH_GetCurrentPage());
    EXPECT_EQ("new", GameFile("data/new.txt"));
    EXPECT_EQ("replaced", GameFile("old.txt"));
    EXPECT_TRUE(Shows("wizard/finished"));

    Click(1);
    EXPECT_FALSE(PTCH_IsRunning());
    PTCH_Done();
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
    EXPECT_EQ(VI_PackDate(2024, 5, 6), Dword(VERSION_KEY, "Patch version time"));
    EXPECT_EQ(std::string("Second"), Text(VERSION_KEY, "Patch version name").c_str());
}

TEST_F(Wizard, OptionPagesComeInOrderAndBackWalksThemBack)
{
    Start("#301:\n#ENG run.exe\n");
    Click(1);
    Click(1);
    std::vector<uint32_t> forward { PTCH_GetCurrentPage() };
    Click(1);
    forward.push_back(PTCH_GetCurrentPage());
    EXPECT_EQ((std::vector<uint32_t> { 14, 3 }), forward);
    Click(2);
    EXPECT_EQ(14u, PTCH_GetCurrentPage());
    Click(2);
    EXPECT_EQ(1u, PTCH_GetCurrentPage());
}

TEST_F(Wizard, HostileArchiveEndsOnTheFailedPageWithNothingWritten)
{
    Start("",
        { StoredMember("patch\\Good.txt", Bytes("good")),
            StoredMember("patch\\..\\..\\Escaped.txt", Bytes("bad")) });
    Click(1);
    Click(1);
    Click(1);
    RunCopy();
    ASSERT_EQ(11u, PTCH_GetCurrentPage());
    const std::vector<std::u16string> texts = Texts(11);
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(u"T190", texts[0]);
    EXPECT_EQ(u"Cannot create\nPATCH\\..\\..\\ESCAPED.TXT", texts[1]);
    EXPECT_EQ(std::vector<std::string> {}, TreeOf(m_game));
    EXPECT_TRUE(Shows("wizard/failed"));
    Click(1);
    EXPECT_FALSE(PTCH_IsRunning());
}

// Three archives with the second one missing: the copy stops at it with the retry box, which
// names it. Ok once it is in place goes on through the third; Cancel ends on the cancelled page
// with only the first archive's files.
class WizardRetry : public Wizard {
protected:
    void StartWithoutSecondArchive()
    {
        Start("#309:\n#ENG 3\n#311:\n#ENG Insert disk 2\n");
        WriteArchive(1);
        WriteArchive(3);
        Click(1);
        Click(1);
        Click(1);
        for (int i = 0; i < 500 && RetryBox() == nullptr && PTCH_GetCurrentPage() == 4; ++i)
            Settle(1);
    }
    void WriteArchive(int n)
    {
        const std::string name = "patch0" + std::to_string(n);
        WriteFile(m_dir.Path() / "dist" / (name + ".cbf"),
            BuildArchive({ StoredMember("patch\\" + name + ".txt", Bytes(name)) }));
    }
    c_GUIB_MessageBox* RetryBox() const
    {
        auto* page = static_cast<ProgressPage*>(patcher::detail::WizardState().pages[4]);
        return page != nullptr ? page->GetRetryBox() : nullptr;
    }
    void Answer(uint32_t button)
    {
        c_GUIB_Button* target = RetryBox()->GetButton(button);
        GUIB_Point at { 2, 2 };
        target->ToRoot(&at);
        Post(GUIB_WM_MOUSEMOVE, at.x, at.y);
        Post(GUIB_WM_LBUTTONDOWN, at.x, at.y);
        Post(GUIB_WM_LBUTTONUP, at.x, at.y);
        Settle();
    }
};

TEST_F(WizardRetry, OkWithTheArchiveInPlaceGoesOnToTheEnd)
{
    StartWithoutSecondArchive();
    ASSERT_NE(nullptr, RetryBox());
    EXPECT_EQ(u"Insert disk 2", std::u16string(RetryBox()->GetLabel()->GetCaption()));
    EXPECT_EQ("patch01", GameFile("patch01.txt")) << "the first archive is applied before";
    WriteArchive(2);
    Answer(GUIB_MB_OK);
    RunCopy();
    ASSERT_EQ(5u, PTCH_GetCurrentPage());
    EXPECT_EQ(
        (std::vector<std::string> { "patch01.txt", "patch02.txt", "patch03.txt" }), TreeOf(m_game));
}

TEST_F(WizardRetry, CancelEndsOnTheCancelledPageWithTheFirstArchiveOnly)
{
    StartWithoutSecondArchive();
    ASSERT_NE(nullptr, RetryBox());
    Answer(GUIB_MB_CANCEL);
    RunCopy();
    EXPECT_EQ(12u, PTCH_GetCurrentPage());
    EXPECT_EQ(std::vector<std::string> { "patch01.txt" }, TreeOf(m_game));
    Click(1);
    EXPECT_FALSE(PTCH_IsRunning());
}

// Pages that refuse the patch, from the installed record and the patch's versions.
struct Refusal {
    const char* what;
    std::string data;
    uint32_t installedPatch;
    uint32_t installedEditor;
    bool installed;
    uint32_t page;
};

class WizardRefusal : public Wizard, public ::testing::WithParamInterface<Refusal> { };

TEST_P(WizardRefusal, ShowsItsPageAndEndsOnButtonOne)
{
    const Refusal& r = GetParam();
    PutRecord(r.installedPatch, r.installedEditor);
    Start(r.data, {}, r.installed);
    if (r.page == 13) { // the disk is asked when the licence is accepted
        Click(1);
        Click(1);
    }
    EXPECT_EQ(r.page, PTCH_GetCurrentPage()) << r.what;
    EXPECT_FALSE(Button(2)->IsVisible()) << r.what;
    Click(1);
    EXPECT_FALSE(PTCH_IsRunning()) << r.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, WizardRefusal,
    ::testing::Values(Refusal { "no game", "", 0, 0, false, 6 },
        Refusal { "newer installed", "#421:\n#ENG 101\n", 102, 0, true, 9 },
        Refusal { "too old", "#424:\n#ENG 101\n", 100, 0, true, 10 },
        Refusal { "editor too new", "#426:\n#ENG 150\n", 0, 200, true, 16 },
        Refusal { "no space", "#308:\n#ENG 2000000000\n", 0, 0, true, 13 }));

TEST_F(Wizard, KeepingNewerProgramsLetsAnOlderPatchStart)
{
    PutRecord(102);
    Start("#421:\n#ENG 101\n#425:\n#ENG 1\n");
    EXPECT_EQ(0u, PTCH_GetCurrentPage());
    EXPECT_TRUE(patcher::detail::WizardState().settings.keepNewer);
}

TEST_F(Wizard, DiskSpaceBeyondFourGigabytesIsShownWhole)
{
    Start("");
    constexpr uint64_t GIB = uint64_t { 1 } << 30;
    PTCH_ShowPage(13, 5 * GIB, 6 * GIB);
    const std::u16string game(m_game.begin(), m_game.end());
    EXPECT_EQ(u"On " + game + u" free 5.00 GB of 6.00 GB", Texts(13).at(1));
}

TEST_F(Wizard, VersionBlocksShowAMissingNameAsEmpty)
{
    PutRecord(102);
    Start("#421:\n#ENG 101\n#422:\n#ENG 2024.1.2\n");
    ASSERT_EQ(9u, PTCH_GetCurrentPage());
    const std::vector<std::u16string> texts = Texts(9);
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(u"T91\nT94: \nT95: 1.02\nT96: 1950-00-00", texts[1]);
    EXPECT_EQ(u"T92\nT94: \nT95: 1.01\nT96: 2024-01-02", texts[2]);
}

TEST_F(Wizard, TooOldPageNamesTheRequiredVersionInsideItsText)
{
    PutRecord(100);
    Start("#424:\n#ENG 101\n");
    ASSERT_EQ(10u, PTCH_GetCurrentPage());
    EXPECT_EQ(u"Needs 1.01", Texts(10).at(1));
}

TEST_F(Wizard, ClosingTheWindowDuringTheCopyStopsTheWorkerBeforeTheShutdown)
{
    std::vector<ArchiveMember> patch;
    for (int i = 0; i < 40; ++i)
        patch.push_back(StoredMember("patch\\F" + std::to_string(i) + ".bin",
            std::vector<uint8_t>(256 * 1024, static_cast<uint8_t>(i))));
    Start("", patch);
    Click(1);
    Click(1);
    // The close comes in with the click that starts the copy, so the copy is still under way.
    const int32_t x = 349 + 7 + 30;
    const int32_t y = 297 + 8;
    Post(GUIB_WM_MOUSEMOVE, x, y);
    Post(GUIB_WM_LBUTTONDOWN, x, y);
    ASSERT_TRUE(
        PTCH_GetDesktop()->PostSystemMessage(GUIB_WM_LBUTTONUP, 0, GUIB_MakePointParam(x, y)));
    ASSERT_TRUE(PTCH_GetDesktop()->PostSystemMessage(GUIB_WM_CLOSE, 0, 0));
    Settle();
    EXPECT_EQ(4u, PTCH_GetCurrentPage());
    EXPECT_FALSE(PTCH_IsRunning());
    PTCH_Done();
    EXPECT_EQ(0u, SYS_InitDepth());
    for (const std::string& name : TreeOf(m_game))
        EXPECT_EQ(std::string::npos, name.find(".tmp")) << name << " left half-written";
}

}
