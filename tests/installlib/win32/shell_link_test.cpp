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

struct LoadedLink {
    std::u16string target, arguments, workingFolder, description, iconFile;
    int iconIndex = -1;
};

std::u16string FromWide(const wchar_t* text)
{
    return reinterpret_cast<const char16_t*>(text);
}

// Loads the link file at path through IShellLinkW and IPersistFile.
bool LoadLink(const std::u16string& path, LoadedLink* loaded)
{
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
            reinterpret_cast<void**>(&link))))
        return false;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))
        && SUCCEEDED(file->Load(reinterpret_cast<const wchar_t*>(path.c_str()), STGM_READ));
    wchar_t text[1024];
    if (ok && SUCCEEDED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH)))
        loaded->target = FromWide(text);
    if (ok && SUCCEEDED(link->GetArguments(text, 1024)))
        loaded->arguments = FromWide(text);
    if (ok && SUCCEEDED(link->GetWorkingDirectory(text, 1024)))
        loaded->workingFolder = FromWide(text);
    if (ok && SUCCEEDED(link->GetDescription(text, 1024)))
        loaded->description = FromWide(text);
    if (ok && SUCCEEDED(link->GetIconLocation(text, 1024, &loaded->iconIndex)))
        loaded->iconFile = FromWide(text);
    if (file)
        file->Release();
    link->Release();
    return ok;
}

class InstallLibLinksShell : public InstallLibFixture,
                             public ::testing::WithParamInterface<bool> { };

TEST_P(InstallLibLinksShell, LinkFileCarriesEveryProperty)
{
    const std::u16string folder = m_dir.Path().u16string() + u"\\";
    const std::u16string target = folder + u"game.exe";
    const std::u16string icon = folder + u"game.ico";
    WriteText(m_dir.Path() / "game.exe", "MZ");
    WriteText(m_dir.Path() / "game.ico", "icon");
    Start(GetParam());
    const std::u16string linkPath = folder + u"Game.lnk";
    ASSERT_EQ(1,
        CreateLink(linkPath.c_str(), target.c_str(), u"Starts the game", folder.c_str(),
            icon.c_str(), 3, u"-window -level 2"));
    LoadedLink loaded;
    ASSERT_TRUE(LoadLink(linkPath, &loaded));
    EXPECT_EQ(Narrow(target), Narrow(loaded.target));
    EXPECT_EQ("-window -level 2", Narrow(loaded.arguments));
    EXPECT_EQ(Narrow(folder), Narrow(loaded.workingFolder));
    EXPECT_EQ("Starts the game", Narrow(loaded.description));
    EXPECT_EQ(Narrow(icon), Narrow(loaded.iconFile));
    EXPECT_EQ(3, loaded.iconIndex);
}

TEST_P(InstallLibLinksShell, AbsentPropertiesStayEmpty)
{
    const std::u16string target = m_dir.Path().u16string() + u"\\game.exe";
    WriteText(m_dir.Path() / "game.exe", "MZ");
    Start(GetParam());
    const std::u16string linkPath = PathOf("Plain.lnk");
    ASSERT_EQ(
        1, CreateLink(linkPath.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0, nullptr));
    LoadedLink loaded;
    ASSERT_TRUE(LoadLink(linkPath, &loaded));
    EXPECT_EQ(Narrow(target), Narrow(loaded.target));
    EXPECT_EQ("", Narrow(loaded.arguments));
    EXPECT_EQ("", Narrow(loaded.iconFile));
}

INSTANTIATE_TEST_SUITE_P(InstallLib, InstallLibLinksShell, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "Ansi"; });

}
