// Shortcuts on POSIX: the ".desktop" entries written for links (their keys, the quoting of the
// Exec line, validity by desktop-file-validate where it is installed), the desktop and
// applications folders taken from the environment, and the temporary folder from $TMPDIR.
#include "tests/installlib/installlib_fixture.h"

#include <cstdlib>
#include <optional>

namespace {

using namespace test;

// Sets an environment variable for the life of the object, restoring it afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Runs desktop-file-validate on the file: its complaints, or "" when it has none (or is not
// installed, in which case the check is skipped).
std::string Validate(const std::filesystem::path& file)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        return "";
    const std::filesystem::path report = file.string() + ".report";
    const std::string command
        = "desktop-file-validate '" + file.string() + "' >'" + report.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string text = ReadText(report);
    std::filesystem::remove(report);
    return status == 0 && text.empty() ? "" : text + " (status " + std::to_string(status) + ")";
}

class InstallLibLinksDesktopEntry : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        Start();
    }
};

TEST_F(InstallLibLinksDesktopEntry, EntryCarriesEveryPropertyAndIsValid)
{
    const std::u16string folder = m_dir.Path().u16string() + u"/";
    ASSERT_EQ(1,
        CreateLink((folder + u"Game.lnk").c_str(), u"/opt/Demo Game\\bin\\game$1%.exe",
            u" Starts the game\nquickly", u"/opt/Demo Game\\bin\\", u"/opt/Demo Game\\game.ico", 3,
            u"-window \"C:\\Saved Games\" 100%"));
    const std::filesystem::path entry = m_dir.Path() / "Game.desktop";
    ASSERT_TRUE(std::filesystem::exists(entry));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "Game.lnk"));
    EXPECT_EQ("[Desktop Entry]\n"
              "Type=Application\n"
              "Version=1.0\n"
              "Name=Game\n"
              "Comment=\\sStarts the game\\nquickly\n"
              "Exec=\"/opt/Demo Game/bin/game\\\\$1%%.exe\" \"-window\" \"C:\\\\\\\\Saved Games\" "
              "\"100%%\"\n"
              "Path=/opt/Demo Game/bin/\n"
              "Icon=/opt/Demo Game/game.ico\n"
              "X-Patcher-IconIndex=3\n"
              "Terminal=false\n",
        ReadText(entry));
    EXPECT_EQ("", Validate(entry));
}

TEST_F(InstallLibLinksDesktopEntry, AnsiVariantWritesTheSameUtf8Entry)
{
    Done();
    Start(false);
    const std::u16string path = m_dir.Path().u16string() + u"/Caf\u00E9.lnk";
    ASSERT_EQ(
        1, CreateLink(path.c_str(), u"/opt/game", u"\u65E5\u672C", nullptr, nullptr, 0, nullptr));
    const std::filesystem::path entry = m_dir.Path() / "Caf\xC3\xA9.desktop";
    const std::string text = ReadText(entry);
    EXPECT_NE(std::string::npos, text.find("Name=Caf\xC3\xA9\n"));
    EXPECT_NE(std::string::npos, text.find("Comment=\xE6\x97\xA5\xE6\x9C\xAC\n"));
    EXPECT_EQ(std::string::npos, text.find("Icon="));
    EXPECT_EQ("", Validate(entry));
}

TEST_F(InstallLibLinksDesktopEntry, FoldersComeFromTheEnvironment)
{
    const std::string desktop = m_dir.File("desk");
    const std::string data = m_dir.File("data");
    std::filesystem::create_directory(desktop);
    ScopedVariable desktopVariable("XDG_DESKTOP_DIR", desktop.c_str());
    ScopedVariable dataVariable("XDG_DATA_HOME", data.c_str());
    EXPECT_EQ(
        1, CreateDesktopLink(u"Game.lnk", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(1,
        CreateProgramsLink(
            u"Game.lnk", u"Demo Group", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "desk" / "Game.desktop"));
    const std::filesystem::path menuEntry
        = m_dir.Path() / "data" / "applications" / "Demo Group" / "Game.desktop";
    EXPECT_TRUE(std::filesystem::exists(menuEntry));
    EXPECT_EQ("", Validate(menuEntry));
    // An existing group folder is used as it is.
    EXPECT_EQ(1,
        CreateProgramsLink(
            u"Other.lnk", u"Demo Group", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(std::filesystem::exists(menuEntry.parent_path() / "Other.desktop"));
}

TEST_F(InstallLibLinksDesktopEntry, HomeGivesTheFoldersWhenTheVariablesAreUnset)
{
    ScopedVariable home("HOME", m_dir.File("").c_str());
    ScopedVariable desktopVariable("XDG_DESKTOP_DIR", nullptr);
    ScopedVariable dataVariable("XDG_DATA_HOME", "");
    std::filesystem::create_directory(m_dir.Path() / "Desktop");
    EXPECT_EQ(
        1, CreateDesktopLink(u"Game.lnk", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(1,
        CreateProgramsLink(
            u"Game.lnk", u"Demo", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "Desktop" / "Game.desktop"));
    EXPECT_TRUE(
        std::filesystem::exists(m_dir.Path() / ".local/share/applications/Demo/Game.desktop"));
}

TEST_F(InstallLibLinksDesktopEntry, TemporaryFolderIsTmpdirOrTmp)
{
    char16_t wide[INSTALLLIB_PATH_CAPACITY];
    {
        ScopedVariable tmpdir("TMPDIR", "/var/stage");
        ASSERT_TRUE(installlib::detail::TempFolder(wide, INSTALLLIB_PATH_CAPACITY));
        EXPECT_EQ(u"/var/stage/", std::u16string(wide));
        char narrow[4];
        EXPECT_EQ(12u, installlib::os::TempPathA(narrow, sizeof(narrow))); // the size it needs
    }
    ScopedVariable tmpdir("TMPDIR", nullptr);
    ASSERT_TRUE(installlib::detail::TempFolder(wide, INSTALLLIB_PATH_CAPACITY));
    EXPECT_EQ(u"/tmp/", std::u16string(wide));
}

}
