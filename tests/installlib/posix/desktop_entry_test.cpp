// Shortcuts on POSIX: the ".desktop" entries written for links (their keys, the quoting of the
// Exec line, validity by desktop-file-validate where it is installed), the desktop and
// applications folders taken from the environment.
#include "tests/installlib/installlib_fixture.h"
#include "tests/support/scoped_environment.h"

#include <cstdlib>

namespace {

using namespace test;

// Runs desktop-file-validate on the file: its complaints, or "" when it has none (or is not
// installed, in which case the check is skipped).
std::string Validate(const std::filesystem::path& file)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        return "";
    const std::string report = file.string() + ".report";
    const int status = std::system(
        ("desktop-file-validate '" + file.string() + "' >'" + report + "' 2>&1").c_str());
    const std::string text = ReadText(report);
    std::filesystem::remove(report);
    return status == 0 && text.empty() ? "" : text + " (status " + std::to_string(status) + ")";
}

class InstallLibLinksDesktopEntry : public InstallLibFixture { };

TEST_F(InstallLibLinksDesktopEntry, EntryCarriesEveryPropertyAndIsValid)
{
    Start();
    ASSERT_EQ(1,
        CreateLink(PathOf("Game.lnk").c_str(), u"/opt/Demo Game\\bin\\game$1%.exe",
            u" Starts the game\nquickly", u"/opt/Demo Game\\bin\\", u"/opt/Demo Game\\game.ico", 3,
            u"-window \"C:\\Saved Games\" 100%"));
    EXPECT_FALSE(Exists("Game.lnk"));
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
        ReadText(m_dir.Path() / "Game.desktop"));
    EXPECT_EQ("", Validate(m_dir.Path() / "Game.desktop"));
}

TEST_F(InstallLibLinksDesktopEntry, AnsiVariantWritesTheSameUtf8Entry)
{
    Start(false);
    ASSERT_EQ(1,
        CreateLink(PathOf("Caf\xC3\xA9.lnk").c_str(), u"/opt/game", u"\u65E5\u672C", nullptr,
            nullptr, 0, nullptr));
    const std::filesystem::path entry = m_dir.Path() / "Caf\xC3\xA9.desktop";
    EXPECT_EQ("[Desktop Entry]\nType=Application\nVersion=1.0\nName=Caf\xC3\xA9\n"
              "Comment=\xE6\x97\xA5\xE6\x9C\xAC\nExec=\"/opt/game\"\nTerminal=false\n",
        ReadText(entry));
    EXPECT_EQ("", Validate(entry));
}

TEST_F(InstallLibLinksDesktopEntry, FoldersComeFromTheEnvironmentElseFromHome)
{
    Start();
    const std::string home = m_dir.File("");
    struct Case {
        const char* desktop; // for $XDG_DESKTOP_DIR
        const char* data; // for $XDG_DATA_HOME
        const char* desktopEntry;
        const char* menuEntry;
    };
    for (const Case& c : {
             Case { "desk", "data", "desk/Game.desktop", "data/applications/Demo/Game.desktop" },
             Case { nullptr, "", "Desktop/Game.desktop",
                 ".local/share/applications/Demo/Game.desktop" },
         }) {
        std::filesystem::create_directory(m_dir.Path() / (c.desktop ? c.desktop : "Desktop"));
        ScopedEnvironment homeVariable("HOME", home.c_str());
        ScopedEnvironment desktop(
            "XDG_DESKTOP_DIR", c.desktop ? m_dir.File(c.desktop).c_str() : nullptr);
        ScopedEnvironment data("XDG_DATA_HOME", *c.data ? m_dir.File(c.data).c_str() : "");
        EXPECT_EQ(
            1, CreateDesktopLink(u"Game.lnk", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
        // The second link goes into the group folder the first one created.
        for (const char16_t* name : { u"Game.lnk", u"Other.lnk" })
            EXPECT_EQ(1,
                CreateProgramsLink(
                    name, u"Demo", u"/opt/game", nullptr, nullptr, nullptr, 0, nullptr));
        EXPECT_TRUE(Exists(c.desktopEntry)) << c.desktopEntry;
        EXPECT_TRUE(Exists(c.menuEntry)) << c.menuEntry;
        EXPECT_TRUE(std::filesystem::exists(
            (m_dir.Path() / c.menuEntry).replace_filename("Other.desktop")));
        EXPECT_EQ("", Validate(m_dir.Path() / c.menuEntry));
    }
}

}
