// The installer window: the desktop of the wizard's size with its own window of the installer's
// class, the controls' pictures, the colours the installer data sets and the language's font,
// whose absence or uselessness stops the start with a message; then the main loop until the
// window is closed.
#include "tests/patcher/startup_fixture.h"

#include "tests/support/picture_writer.h"
#include "tests/support/test_font.h"

namespace {

using namespace test;

class InstallerWindow : public StartupFixture {
protected:
    // Starts the installer on the distribution of English with the installer data given.
    int Start(std::map<std::string, std::string> members)
    {
        WriteInstallerArchive(members);
        if (Init() != 1)
            return -1;
        return PTCH_InitGUI();
    }
    std::map<std::string, std::string> English(const std::string& data = "")
    {
        auto members = Distribution({ "ENG" });
        members["patcher.txt"] += data;
        return members;
    }
};

std::string TgaPicture()
{
    std::vector<uint8_t> bytes = TgaHeader(2, 2, 2, 24, 0);
    const std::vector<uint8_t> pixels = PatternPixels(2, 2, 3);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return AsText(bytes);
}

TEST_F(InstallerWindow, WindowOfTheInstallersClassWithTheLanguagesFontAndThePicturesThatExist)
{
    auto members = English();
    members["Icons\\Icon_scroll_up.tga"] = TgaPicture();
    ASSERT_EQ(1, Start(members));
    c_GUIB_Desktop* desktop = PTCH_GetDesktop();
    ASSERT_NE(nullptr, desktop);
    int32_t width = 0;
    int32_t height = 0;
    desktop->GetSize(&width, &height);
    EXPECT_EQ(PTCH_WINDOW_WIDTH, width);
    EXPECT_EQ(PTCH_WINDOW_HEIGHT, height);
    EXPECT_EQ(1u, desktop->GetWindowMode());
    EXPECT_EQ(std::string(PTCH_WINDOW_CLASS), desktop->GetWindowClassName());
    EXPECT_TRUE(PTCH_IsRunning());

    uintptr_t value = 0;
    ASSERT_EQ(SYS_OK, PTCH_GetEnvironment()->GetProperty(GUIB_PROP_DEFAULT_FONT, &value));
    auto font = GUIB_Ref<c_GUIB_Font>::Adopt(reinterpret_cast<c_GUIB_Font*>(value));
    EXPECT_EQ(MakeTestFont()->GetGlyphCount(), font->GetGlyphCount());

    c_GUIB_Bitmap* picture = nullptr;
    ASSERT_EQ(SYS_OK, PTCH_GetEnvironment()->GetBitmap(1, &picture));
    picture->GetSize(&width, &height);
    EXPECT_EQ(2, width);
    picture->Release();
    EXPECT_TRUE(Seen().messages.empty()) << "missing pictures are not reported";
}

TEST_F(InstallerWindow, ColourSettingsThatAreSetAndNumbersReachTheirProperties)
{
    ASSERT_EQ(1,
        Start(English("#281:\n#ENG 0x11223344\n#282:\n#ENG NONE\n#260:\n#ENG abc\n"
                      "#265:\n#ENG 42\n")));
    c_GUIB_Environment* environment = PTCH_GetEnvironment();
    EXPECT_EQ(0x11223344u, environment->Property(9));
    EXPECT_EQ(42u, environment->Property(5));
    c_GUIB_Environment defaults;
    EXPECT_EQ(defaults.Property(11), environment->Property(11)) << "NONE keeps the default";
    EXPECT_EQ(defaults.Property(0), environment->Property(0)) << "not a number";
}

TEST_F(InstallerWindow, FontFileThatIsMissingOrUnusableStopsTheStart)
{
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        { "missing", std::nullopt },
        { "older version", AsText(FontFile(GUIB_FONT_VERSION - 1)) },
        { "not a store", std::string("not a font") },
    };
    for (const auto& [what, font] : cases) {
        auto members = Distribution({ "ENG" }, false);
        if (font)
            members["Languages\\ENG.fnt"] = *font;
        EXPECT_EQ(0, Start(members)) << what;
        EXPECT_EQ(std::vector<Message>(
                      { { "Fatal error", "Cannot load font file. (Languages\\ENG.fnt)" } }),
            Seen().messages)
            << what;
        EXPECT_FALSE(PTCH_IsRunning());
        PTCH_Done();
        Seen().messages.clear();
    }
}

TEST_F(InstallerWindow, LaunchRunsUntilTheWindowIsClosedAndDoneLeavesNothing)
{
    WriteInstallerArchive(English());
    ASSERT_EQ(PTCH_LAUNCHED, PTCH_Launch(0, CommandLine().c_str()));
    ASSERT_TRUE(PTCH_GetDesktop()->PostSystemMessage(GUIB_WM_CLOSE, 0, 0));
    PTCH_MainLoop();
    EXPECT_FALSE(PTCH_IsRunning());
    PTCH_Done();
    EXPECT_EQ(nullptr, PTCH_GetDesktop());
    EXPECT_EQ(std::vector<std::string> {}, Staged());
    EXPECT_EQ(0u, SYS_InitDepth());
}

}
