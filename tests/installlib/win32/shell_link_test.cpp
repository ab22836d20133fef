// Real shell links under Windows (or Wine): the link files written by the wide and the 8-bit
// interfaces are loaded back through IShellLinkW and must carry every property given. COM is
// started for the whole test program, as the installer does at start-up.
#include "tests/installlib/installlib_fixture.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace {

using namespace test;

class ComEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

const auto* const g_com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

// The link file at path loaded through IShellLinkW and IPersistFile: "target|arguments|working
// folder|description|icon file,icon index", or "not loaded".
std::string LoadLink(const std::u16string& path)
{
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
            reinterpret_cast<void**>(&link))))
        return "not loaded";
    const bool ok
        = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))
        && SUCCEEDED(file->Load(reinterpret_cast<const wchar_t*>(path.c_str()), STGM_READ));
    wchar_t text[5][1024] = {};
    int iconIndex = -1;
    if (ok) {
        (void)link->GetPath(text[0], 1024, nullptr, SLGP_RAWPATH);
        (void)link->GetArguments(text[1], 1024);
        (void)link->GetWorkingDirectory(text[2], 1024);
        (void)link->GetDescription(text[3], 1024);
        (void)link->GetIconLocation(text[4], 1024, &iconIndex);
    }
    if (file)
        file->Release();
    link->Release();
    std::string loaded;
    for (const wchar_t* part : text)
        loaded += Narrow(reinterpret_cast<const char16_t*>(part)) + (part == text[4] ? "," : "|");
    return ok ? loaded + std::to_string(iconIndex) : "not loaded";
}

class InstallLibLinksShell : public InstallLibFixture,
                             public ::testing::WithParamInterface<bool> { };

TEST_P(InstallLibLinksShell, LinkFileCarriesEveryPropertyGivenAndNoOther)
{
    const std::u16string folder = m_dir.Path().u16string() + u"\\";
    const std::u16string target = folder + u"game.exe";
    const std::u16string icon = folder + u"game.ico";
    WriteText(m_dir.Path() / "game.exe", "MZ");
    WriteText(m_dir.Path() / "game.ico", "icon");
    Start(GetParam());
    ASSERT_EQ(1,
        CreateLink(PathOf("Game.lnk").c_str(), target.c_str(), u"Starts the game", folder.c_str(),
            icon.c_str(), 3, u"-window -level 2"));
    EXPECT_EQ(Narrow(target) + "|-window -level 2|" + Narrow(folder) + "|Starts the game|"
            + Narrow(icon) + ",3",
        LoadLink(PathOf("Game.lnk")));
    ASSERT_EQ(1,
        CreateLink(
            PathOf("Plain.lnk").c_str(), target.c_str(), nullptr, nullptr, nullptr, 0, nullptr));
    const std::string plain = LoadLink(PathOf("Plain.lnk"));
    EXPECT_EQ(0u, plain.find(Narrow(target) + "||")) << plain;
    EXPECT_NE(std::string::npos, plain.find("|,")) << plain;
}

INSTANTIATE_TEST_SUITE_P(InstallLib, InstallLibLinksShell, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "Ansi"; });

}
