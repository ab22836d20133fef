// Shortcuts from the installer data to the link writer: loading records (location letters,
// absent entries, targets and icons joined to the base folder, names that would leave their
// folder), creating them in the desktop folder and in a programs-menu group, the checks on
// groups and lengths, and the 8-bit variant with a double-byte code page. A recorder stands in
// for the link writer; the real writer is seen at the end and in the backend tests.
#include "tests/installlib/installlib_fixture.h"

#include "ml/ml.h"

namespace {

using namespace test;
using installlib::os::LinkText;
using installlib::os::SpecialFolder;

// What reached the link writer, one line per link: "path|target|description|working folder|
// icon file,icon index|arguments", "-" for an absent property.
std::vector<std::string> g_written;
std::filesystem::path g_desktop, g_programs;

template <typename Char> bool Record(const LinkText<Char>& link, const char16_t* path)
{
    g_written.push_back(Text(path) + "|" + Text(link.target) + "|" + Text(link.description) + "|"
        + Text(link.workingFolder) + "|" + Text(link.iconFile) + ","
        + std::to_string(link.iconIndex) + "|" + Text(link.arguments));
    return true;
}

template <typename Char> bool FakeFolder(SpecialFolder folder, Char* buffer, uint32_t capacity)
{
    const std::u16string path
        = (folder == SpecialFolder::DesktopDirectory ? g_desktop : g_programs).u16string();
    if (path.size() >= capacity)
        return false;
    std::copy(path.begin(), path.end() + 1, buffer);
    return true;
}

// Code page 932 as the system's ANSI code page: the platform layer's conversion with that page.
uint32_t Ansi932(char* destination, uint32_t capacity, const char16_t* source)
{
    const uint32_t previous = SYS_SetFileApiCodePage(932);
    uint32_t units = capacity;
    const SYS_Status status = SYS_WideToFileApi(destination, &units, source);
    SYS_SetFileApiCodePage(previous);
    return status == SYS_OK || status == SYS_SIZE_ONLY ? units : 0;
}

class InstallLibLinks : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_written.clear();
        g_desktop = m_dir.Path() / "Desktop";
        g_programs = m_dir.Path() / "Programs";
        std::filesystem::create_directory(g_desktop);
        std::filesystem::create_directory(g_programs);
        m_calls.specialFolderPathW = FakeFolder<char16_t>;
        m_calls.specialFolderPathA = FakeFolder<char>;
        m_calls.writeLinkW = Record<char16_t>;
        m_calls.writeLinkA = Record<char>;
    }
    void TearDown() override
    {
        ML_Free();
        InstallLibFixture::TearDown();
    }
    // Sets the five entries of record r (first id 450, stride 5); null leaves one unset.
    static void Entries(int r, const char* name, const char* target,
        const char* arguments = nullptr, const char* description = nullptr,
        const char* icon = nullptr)
    {
        const char* entries[] = { name, target, arguments, description, icon };
        for (int i = 0; i < 5; ++i)
            ML_SetString(450 + r * 5 + i, entries[i]);
    }
    static std::string In(const std::filesystem::path& folder, const std::string& name)
    {
        return Narrow(folder.u16string()) + "\\" + name;
    }
    static int Programs(const char16_t* name, const char16_t* group)
    {
        return CreateProgramsLink(
            name, group, u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr);
    }
    static int Desktop(const char16_t* name)
    {
        return CreateDesktopLink(name, u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr);
    }
};

TEST_F(InstallLibLinks, RecordsAreLoadedByTheirLettersAndCreatedInTheirFolders)
{
    EXPECT_EQ(0, CreateLinks(true, true, u"Demo Group")) << "stopped module";
    Start();
    EXPECT_EQ(0, CreateLinks(true, true, u"Demo Group")) << "empty list";
    Entries(0, "DDesktop Game", "game.exe");
    Entries(1, "XBoth", "bin\\game.exe", "-window", "Starts the game", "3");
    Entries(2, "NONE", "game.exe", "x", "y", "1");
    Entries(3, "", "game.exe", "x", "y", "1");
    Entries(4, "PManual", nullptr, "C:\\Docs\\manual.pdf", nullptr, "0");
    Entries(5, "none", "game.exe");
    Entries(6, "DFile", "game.exe", nullptr, nullptr, "icons\\game.ico");
    ASSERT_EQ(5u, LoadLinks(450, 5, 8, u"C:\\Games\\Demo"));
    std::vector<std::u16string> reported;
    EXPECT_EQ(1,
        CreateLinks(
            true, true, u"Demo Group",
            [](void* context, const char16_t* file) {
                static_cast<std::vector<std::u16string>*>(context)->push_back(file);
            },
            &reported));
    // The last record loaded comes first; "X" gives a programs-menu link, then a desktop link.
    const std::string both
        = "|C:\\Games\\Demo\\bin\\game.exe|Starts the game|C:\\Games\\Demo\\bin\\|"
          "C:\\Games\\Demo\\bin\\game.exe,3|-window";
    const std::vector<std::string> expected = {
        In(g_desktop, "File.lnk")
            + "|C:\\Games\\Demo\\game.exe|-|C:\\Games\\Demo\\|"
              "C:\\Games\\Demo\\icons\\game.ico,0|-",
        In(g_programs, "Demo Group\\Manual.lnk") + "|C:\\Docs\\manual.pdf|-|C:\\Docs\\|-,0|-",
        In(g_desktop, "Both.lnk") + both,
        In(g_programs, "Demo Group\\Both.lnk") + both,
        In(g_desktop, "Desktop Game.lnk") + "|C:\\Games\\Demo\\game.exe|-|C:\\Games\\Demo\\|-,0|-",
    };
    EXPECT_EQ(expected, g_written);
    EXPECT_TRUE(std::filesystem::is_directory(g_programs / "Demo Group"));
    // Each saved link is reported by the name of the file the system holds.
#ifdef _WIN32
    const std::string end = ".lnk";
#else
    const std::string end = ".desktop";
#endif
    EXPECT_EQ((std::vector<std::u16string> { (g_desktop / ("File" + end)).u16string(),
                  (g_programs / "Demo Group" / ("Manual" + end)).u16string(),
                  (g_desktop / ("Both" + end)).u16string(),
                  (g_programs / "Demo Group" / ("Both" + end)).u16string(),
                  (g_desktop / ("Desktop Game" + end)).u16string() }),
        reported);

    // The records stay: a second call makes the same links again; unwanted kinds are skipped.
    g_written.clear();
    EXPECT_EQ(1, CreateLinks(false, true, u"Demo Group"));
    EXPECT_EQ((std::vector<std::string> { expected[1], expected[3] }), g_written);
}

TEST_F(InstallLibLinks, RecordNamesThatLeaveTheirFolderAreRefused)
{
    Start();
    Entries(0, "D..\\..\\x", "game.exe");
    Entries(1, "Dsub/x", "game.exe");
    Entries(2, "DC:x", "game.exe");
    Entries(3, "D", "game.exe");
    Entries(4, "D..", "game.exe"); // dots alone stay a file name of the folder
    EXPECT_EQ(1u, LoadLinks(450, 5, 5, u"C:\\Games\\Demo\\"));
    EXPECT_EQ(1, CreateLinks(true, true, u"Demo"));
    EXPECT_EQ(std::vector<std::string> { In(g_desktop, "...lnk")
                  + "|C:\\Games\\Demo\\game.exe|-|C:\\Games\\Demo\\|-,0|-" },
        g_written);
}

TEST_F(InstallLibLinks, RecordsBeyondTheTableAndAStoppedModuleLoadNothing)
{
    Start();
    ML_SetString(ML_FALLBACK_ID, "DFallback");
    EXPECT_EQ(0u, LoadLinks(1000, 5, 2, u"C:\\Games"));
    EXPECT_EQ(0u, LoadLinks(0xFFFFFFF0u, 0xFFFFFFF0u, 3, u"C:\\Games"));
    Entries(0, "DGame", "game.exe");
    Done();
    EXPECT_EQ(0u, LoadLinks(450, 5, 1, u"C:\\Games"));
}

TEST_F(InstallLibLinks, ExistingGroupIsReusedByEitherFamilyAndUnsafeGroupsAreRefused)
{
    std::filesystem::create_directory(g_programs / "Demo Group");
    for (bool wide : { true, false }) {
        Start(wide);
        EXPECT_EQ(1, Desktop(u"Game.lnk"));
        EXPECT_EQ(1, Programs(u"Game.lnk", u"Demo Group"));
        EXPECT_EQ(1, Programs(u"Game.lnk", u"Demo Group/"));
        for (const char16_t* group : { u"..", u"..\\..\\Startup", u"a/../..", u"C:\\Evil",
                 u"Demo:stream", u"Missing\\Nested" })
            EXPECT_EQ(0, Programs(u"Game.lnk", group)) << Narrow(group);
        Done();
    }
    const std::string fine = "|C:\\game.exe|-|-|-,0|-";
    const std::string desktop = In(g_desktop, "Game.lnk") + fine;
    const std::string group = In(g_programs, "Demo Group\\Game.lnk") + fine;
    EXPECT_EQ(
        (std::vector<std::string> { desktop, group, In(g_programs, "Demo Group/Game.lnk") + fine,
            desktop, group, In(g_programs, "Demo Group/Game.lnk") + fine }),
        g_written);
    EXPECT_FALSE(std::filesystem::exists(g_programs / "C:\\Evil"));
}

TEST_F(InstallLibLinks, NamesWithFoldersAndPathsBeyond260UnitsAreRefused)
{
    Start();
    for (const char16_t* name : { u"..\\x.lnk", u"sub/x.lnk", u"C:x.lnk", u"" }) {
        EXPECT_EQ(0, Desktop(name));
        EXPECT_EQ(0, Programs(name, u"Demo"));
    }
    EXPECT_EQ(0, Desktop((std::u16string(260, u'n') + u".lnk").c_str()));
    const std::u16string longTarget = u"C:\\" + std::u16string(297, u't');
    EXPECT_EQ(
        0, CreateLink(u"C:\\x.lnk", longTarget.c_str(), nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(0, CreateLink(u"C:\\x.lnk", nullptr, nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(g_written.empty());
}

TEST_F(InstallLibLinks, AnsiVariantKeepsDoubleByteTextWholeAndFailsOnWhatItCannotConvert)
{
    m_calls.wideToAnsi = Ansi932;
    Start(false);
    const std::u16string description(10, u'\u65E5'); // 0x93 0xFA in code page 932
    ASSERT_EQ(1,
        CreateLink(u"C:\\Links\\Game.lnk", u"C:\\Games\\game.exe", description.c_str(),
            u"C:\\Games\\", u"C:\\Games\\game.ico", 2, u"-window"));
    std::string doubleBytes;
    for (int i = 0; i < 10; ++i)
        doubleBytes += "\x93\xFA";
    EXPECT_EQ(std::vector<std::string> { "C:\\Links\\Game.lnk|C:\\Games\\game.exe|" + doubleBytes
                  + "|C:\\Games\\|C:\\Games\\game.ico,2|-window" },
        g_written);

    // U+0E01 has no code in page 932: a target or arguments that cannot be named fail the
    // link, a description that cannot be shown is left out.
    g_written.clear();
    EXPECT_EQ(
        0, CreateLink(u"C:\\Game.lnk", u"C:\\\u0E01.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(
        0, CreateLink(u"C:\\Game.lnk", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, u"\u0E01"));
    // 130 double-byte characters need 261 bytes: more than a path buffer holds.
    const std::u16string target = u"C:\\" + std::u16string(130, u'\u65E5');
    EXPECT_EQ(
        0, CreateLink(u"C:\\Game.lnk", target.c_str(), nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(
        1, CreateLink(u"C:\\Game.lnk", u"C:\\game.exe", u"\u0E01", nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(std::vector<std::string> { "C:\\Game.lnk|C:\\game.exe|-|-|-,0|-" }, g_written);
}

// The system's writer: a link whose file cannot be saved is a failure.
using InstallLibLinksSaved = InstallLibFixture;

TEST_F(InstallLibLinksSaved, LinkIsReportedOnlyWhenItsFileWasSaved)
{
    const std::u16string target = PathOf("game.exe");
    WriteText(m_dir.Path() / "game.exe", "MZ");
    for (bool wide : { true, false }) {
        Start(wide);
        EXPECT_EQ(0,
            CreateLink(PathOf("missing-folder\\Game.lnk").c_str(), target.c_str(), u"Game", nullptr,
                nullptr, 0, nullptr));
        EXPECT_EQ(1,
            CreateLink(
                PathOf("Game.lnk").c_str(), target.c_str(), u"Game", nullptr, nullptr, 0, nullptr));
        // The link file (a ".desktop" entry on POSIX) was really written.
        EXPECT_EQ(1,
            std::filesystem::remove(m_dir.Path() / "Game.lnk")
                + std::filesystem::remove(m_dir.Path() / "Game.desktop"))
            << wide;
        Done();
    }
}

}
