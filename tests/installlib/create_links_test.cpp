// Creating links: the records of the link list in the desktop folder and in a programs-menu
// group, what each link is given, the checks on names, groups and lengths, and the 8-bit
// variant with a double-byte code page. A recorder stands in for the link writer where the
// test looks at what arrives; real link files are written elsewhere.
#include "tests/installlib/installlib_fixture.h"

#include "ml/ml.h"

namespace {

using namespace test;
using installlib::os::LinkText;
using installlib::os::SpecialFolder;

// What reached the link writer: the path and each property as text ("-" when absent).
struct Written {
    std::string path, target, description, workingFolder, iconFile, arguments;
    int32_t iconIndex;
    bool operator==(const Written&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Written& link)
{
    return out << link.path << " | " << link.target << " | " << link.description << " | "
               << link.workingFolder << " | " << link.iconFile << "," << link.iconIndex << " | "
               << link.arguments;
}

std::vector<Written> g_written;
std::filesystem::path g_desktop, g_programs;

std::string Text(const char16_t* text)
{
    return text ? Narrow(text) : "-";
}

std::string Text(const char* text)
{
    return text ? text : "-";
}

template <typename Char> bool Record(const LinkText<Char>& link, const char16_t* path)
{
    g_written.push_back({ Text(path), Text(link.target), Text(link.description),
        Text(link.workingFolder), Text(link.iconFile), Text(link.arguments), link.iconIndex });
    return true;
}

bool RecordW(const LinkText<char16_t>& link, const char16_t* path)
{
    return Record(link, path);
}

bool RecordA(const LinkText<char>& link, const char16_t* path)
{
    return Record(link, path);
}

bool FakeFolderW(SpecialFolder folder, char16_t* buffer, uint32_t capacity)
{
    const std::u16string path
        = (folder == SpecialFolder::DesktopDirectory ? g_desktop : g_programs).u16string();
    return SYS_WStrCopy(buffer, capacity, path.c_str()) < capacity;
}

bool FakeFolderA(SpecialFolder folder, char* buffer, uint32_t capacity)
{
    const std::string path
        = Narrow((folder == SpecialFolder::DesktopDirectory ? g_desktop : g_programs).u16string());
    return SYS_StrCopy(buffer, capacity, path.c_str()) < capacity;
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
        m_calls.specialFolderPathW = FakeFolderW;
        m_calls.specialFolderPathA = FakeFolderA;
        m_calls.writeLinkW = RecordW;
        m_calls.writeLinkA = RecordA;
    }
    void TearDown() override
    {
        ML_Free();
        InstallLibFixture::TearDown();
    }
    static std::string In(const std::filesystem::path& folder, const std::string& name)
    {
        return Narrow(folder.u16string()) + "\\" + name;
    }
    static std::string InGroup(const std::string& name)
    {
        return Narrow(g_programs.u16string()) + "\\Demo Group\\" + name;
    }
};

TEST_F(InstallLibLinks, EveryRecordGoesWhereItsKindAsks)
{
    Start();
    ML_SetString(450, "XGame");
    ML_SetString(451, "bin\\game.exe");
    ML_SetString(452, "-window");
    ML_SetString(453, "Starts the game");
    ML_SetString(454, "3");
    ML_SetString(455, "PReadme");
    ML_SetString(457, "C:\\Docs\\readme.txt");
    ML_SetString(459, "0");
    ASSERT_EQ(3u, LoadLinks(450, 5, 2, u"C:\\Games\\Demo"));
    EXPECT_EQ(1, CreateLinks(true, true, u"Demo Group"));
    const std::vector<Written> expected = {
        { InGroup("Readme.lnk"), "C:\\Docs\\readme.txt", "-", "C:\\Docs\\", "-", "-", 0 },
        { In(g_desktop, "Game.lnk"), "C:\\Games\\Demo\\bin\\game.exe", "Starts the game",
            "C:\\Games\\Demo\\bin\\", "C:\\Games\\Demo\\bin\\game.exe", "-window", 3 },
        { InGroup("Game.lnk"), "C:\\Games\\Demo\\bin\\game.exe", "Starts the game",
            "C:\\Games\\Demo\\bin\\", "C:\\Games\\Demo\\bin\\game.exe", "-window", 3 },
    };
    EXPECT_EQ(expected, g_written);
    EXPECT_TRUE(std::filesystem::is_directory(g_programs / "Demo Group"));

    // The records stay: a second call makes the same links again; unwanted kinds are skipped.
    g_written.clear();
    EXPECT_EQ(1, CreateLinks(true, false, u"Demo Group"));
    ASSERT_EQ(1u, g_written.size());
    EXPECT_EQ(In(g_desktop, "Game.lnk"), g_written[0].path);
}

TEST_F(InstallLibLinks, EmptyListOrStoppedModuleCreatesNothing)
{
    EXPECT_EQ(0, CreateLinks(true, true, u"Demo Group"));
    Start();
    EXPECT_EQ(0, CreateLinks(true, true, u"Demo Group"));
    EXPECT_TRUE(g_written.empty());
}

TEST_F(InstallLibLinks, ExistingGroupIsReusedAndUnsafeGroupsAreRefused)
{
    Start();
    std::filesystem::create_directory(g_programs / "Demo Group");
    EXPECT_EQ(1,
        CreateProgramsLink(
            u"Game.lnk", u"Demo Group", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(1,
        CreateProgramsLink(
            u"Game.lnk", u"Demo Group/", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
    for (const char16_t* group :
        { u"..", u"..\\..\\Startup", u"a/../..", u"C:\\Evil", u"Demo:stream", u"Missing\\Nested" })
        EXPECT_EQ(0,
            CreateProgramsLink(
                u"Game.lnk", group, u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr))
            << Narrow(group);
    EXPECT_EQ(2u, g_written.size());
    EXPECT_FALSE(std::filesystem::exists(g_programs / "C:\\Evil"));
}

TEST_F(InstallLibLinks, NamesWithFoldersAndPathsBeyond260UnitsAreRefused)
{
    Start();
    for (const char16_t* name : { u"..\\x.lnk", u"sub/x.lnk", u"C:x.lnk", u"" }) {
        EXPECT_EQ(
            0, CreateDesktopLink(name, u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
        EXPECT_EQ(0,
            CreateProgramsLink(
                name, u"Demo", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
    }
    const std::u16string longName = std::u16string(260, u'n') + u".lnk";
    EXPECT_EQ(0,
        CreateDesktopLink(
            longName.c_str(), u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
    const std::u16string longTarget = u"C:\\" + std::u16string(297, u't');
    EXPECT_EQ(
        0, CreateLink(u"C:\\x.lnk", longTarget.c_str(), nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(0, CreateLink(u"C:\\x.lnk", nullptr, nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(g_written.empty());
}

TEST_F(InstallLibLinks, AnsiVariantKeepsDoubleByteDescriptionsWholeAndTerminated)
{
    m_calls.wideToAnsi = Ansi932;
    Start(false);
    const std::u16string description(10, u'\u65E5'); // 0x93 0xFA in code page 932
    ASSERT_EQ(1,
        CreateLink(u"C:\\Links\\Game.lnk", u"C:\\Games\\game.exe", description.c_str(),
            u"C:\\Games\\", u"C:\\Games\\game.ico", 2, u"-window"));
    ASSERT_EQ(1u, g_written.size());
    std::string expected;
    for (int i = 0; i < 10; ++i)
        expected += "\x93\xFA";
    EXPECT_EQ(expected, g_written[0].description);
    EXPECT_EQ((Written { "C:\\Links\\Game.lnk", "C:\\Games\\game.exe", expected, "C:\\Games\\",
                  "C:\\Games\\game.ico", "-window", 2 }),
        g_written[0]);
}

TEST_F(InstallLibLinks, AnsiVariantFailsOnPropertiesItCannotConvert)
{
    m_calls.wideToAnsi = Ansi932;
    Start(false);
    // U+0E01 has no code in page 932: a target that cannot be named fails the link, a
    // description that cannot be shown is left out.
    EXPECT_EQ(
        0, CreateLink(u"C:\\Game.lnk", u"C:\\\u0E01.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(
        0, CreateLink(u"C:\\Game.lnk", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, u"\u0E01"));
    EXPECT_TRUE(g_written.empty());
    EXPECT_EQ(
        1, CreateLink(u"C:\\Game.lnk", u"C:\\game.exe", u"\u0E01", nullptr, nullptr, 0, nullptr));
    ASSERT_EQ(1u, g_written.size());
    EXPECT_EQ("-", g_written[0].description);
    // 130 double-byte characters need 261 bytes: more than a path buffer holds.
    const std::u16string target = u"C:\\" + std::u16string(130, u'\u65E5');
    EXPECT_EQ(
        0, CreateLink(u"C:\\Game.lnk", target.c_str(), nullptr, nullptr, nullptr, 0, nullptr));
}

TEST_F(InstallLibLinks, AnsiVariantTakesTheFoldersByTheNarrowCall)
{
    Start(false);
    EXPECT_EQ(
        1, CreateDesktopLink(u"Game.lnk", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(1,
        CreateProgramsLink(
            u"Game.lnk", u"Demo Group", u"C:\\game.exe", nullptr, nullptr, nullptr, 0, nullptr));
    ASSERT_EQ(2u, g_written.size());
    EXPECT_EQ(In(g_desktop, "Game.lnk"), g_written[0].path);
    EXPECT_EQ(InGroup("Game.lnk"), g_written[1].path);
}

// The system's writer: a link whose file cannot be saved is a failure.
class InstallLibLinksSaved : public InstallLibFixture { };

TEST_F(InstallLibLinksSaved, LinkIsReportedOnlyWhenItsFileWasSaved)
{
    const std::filesystem::path target = m_dir.Path() / "game.exe";
    WriteText(target, "MZ");
    for (bool wide : { true, false }) {
        Start(wide);
        EXPECT_EQ(0,
            CreateLink(PathOf("missing-folder\\Game.lnk").c_str(), target.u16string().c_str(),
                u"Game", nullptr, nullptr, 0, nullptr))
            << wide;
        EXPECT_EQ(1,
            CreateLink(PathOf("Game.lnk").c_str(), target.u16string().c_str(), u"Game", nullptr,
                nullptr, 0, nullptr))
            << wide;
        bool found = false;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            found = found || entry.path().stem() == "Game";
        EXPECT_TRUE(found) << wide;
        Done();
    }
}

}
