// The fixture of the start's tests (a "_test" file so that the test program takes it in).
#include "tests/patcher/startup_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"
#include "tests/support/test_font.h"

#include <sstream>

namespace test {

namespace {

StartupRecord g_seen;
std::string g_lockName;

void CatchMessage(const char* text, const char* caption)
{
    g_seen.messages.emplace_back(caption, text);
}

void CatchLoadError(const char* fileName, int32_t, const char16_t*)
{
    g_seen.loadErrors.push_back(fileName);
}

patcher::os::InstanceLock TakeTestLock(const char*, uintptr_t* lock)
{
    return patcher::os::TakeInstanceLock(g_lockName.c_str(), lock);
}

void BringForward(const char* className)
{
    g_seen.broughtForward.push_back(className);
}

void NoWait(uint32_t)
{
}

int AnswerDialog(uint32_t count, const uint32_t* rows)
{
    g_seen.dialogs.emplace_back(rows, rows + count);
    if (!g_seen.dialogAnswer)
        return 0;
    patcher::detail::SetLanguageCode(PTCH_LANGUAGES[*g_seen.dialogAnswer].code);
    return 1;
}

}

StartupRecord& Seen()
{
    return g_seen;
}

void StartupFixture::SetUp()
{
    PatcherFixture::SetUp();
    g_seen = StartupRecord {};
    g_lockName = "patcher-test-" + std::to_string(SYS_TickCount()) + "-"
        + m_dir.Path().filename().string();
    m_startup = patcher::detail::NativeStartupCalls();
    m_startup.showMessage = CatchMessage;
    m_startup.takeInstanceLock = TakeTestLock;
    m_startup.bringWindowForward = BringForward;
    m_startup.waitForInput = NoWait;
    m_startup.chooseLanguage = AnswerDialog;
    patcher::detail::ReplaceStartupCalls(&m_startup);
    (void)ML_SetErrorSink(CatchLoadError);
    std::filesystem::create_directories(m_dir.Path() / "tmp");
    std::filesystem::create_directories(m_dir.Path() / "dist");
    m_tmp = std::make_unique<ScopedEnvironment>("TMPDIR", m_dir.File("tmp").c_str());
    m_windowsTmp = std::make_unique<ScopedEnvironment>("TMP", m_dir.File("tmp").c_str());
    std::filesystem::create_directories(m_dir.Path() / "run");
    m_runtime = std::make_unique<ScopedEnvironment>("XDG_RUNTIME_DIR", m_dir.File("run").c_str());
}

void StartupFixture::TearDown()
{
    PTCH_Done();
    EXPECT_EQ(0u, SYS_InitDepth()) << "every module shut down";
    (void)ML_SetErrorSink(nullptr);
    patcher::detail::ReplaceStartupCalls(nullptr);
    m_runtime.reset();
    m_windowsTmp.reset();
    m_tmp.reset();
    PatcherFixture::TearDown();
}

void StartupFixture::WriteInstallerArchive(const std::map<std::string, std::string>& members)
{
    std::vector<ArchiveMember> stored;
    for (const auto& [name, text] : members)
        stored.push_back(StoredMember(name, std::vector<uint8_t>(text.begin(), text.end())));
    WriteBytes(m_dir.File("dist/patcher.cbf"), BuildArchive(stored));
}

std::map<std::string, std::string> StartupFixture::Distribution(
    const std::vector<std::string>& codes, bool fonts) const
{
    std::map<std::string, std::string> members {
        { "patcher.txt", "#300:\n#ENG Test patch\n#423:\n#ENG 0\n" },
    };
    for (const std::string& code : codes) {
        members["Languages\\" + code + ".txt"] = "#1:\n#" + code + " Hello from " + code + "\n";
        if (fonts)
            members["Languages\\" + code + ".fnt"] = AsText(FontFile());
    }
    return members;
}

std::map<std::string, std::string> StartupFixture::WizardDistribution(const std::string& data) const
{
    std::ostringstream texts;
    for (int id : { 10, 11, 13, 14, 16, 17, 18, 19, 20, 21, 29, 30, 31, 32, 39, 40, 49, 60, 61, 69,
             70, 79, 90, 91, 92, 94, 95, 96, 97, 99, 100, 102, 104, 105, 106, 109, 110, 111, 119,
             120, 121, 122, 129, 170, 179, 180, 182, 189, 190, 199 })
        texts << "#" << id << ":\n#ENG T" << id << "\n";
    texts << "#101:\n#ENG Needs %s\n#181:\n#ENG On %s free %s of %s\n#192:\n#ENG Cannot create\n";
    auto members = Distribution({ "ENG" });
    members["patcher.txt"] += "#413:\n#ENG Install Path\n#400:\n#ENG game.exe\n" + data;
    members["Languages\\ENG.txt"] = texts.str();
    members["Languages\\ENG.la"] = "The licence.";
    return members;
}

std::string StartupFixture::DistributionFolder() const
{
    return m_dir.File("dist");
}

std::string StartupFixture::CommandLine() const
{
    return "\"" + DistributionFolder() + "\\patcher.exe\" -quiet";
}

int StartupFixture::Init()
{
    PTCH_ReadCommandLine(CommandLine().c_str());
    return PTCH_Init(0);
}

std::string StartupFixture::TestLockName()
{
    return g_lockName;
}

std::vector<std::string> StartupFixture::Staged() const
{
    return TreeOf(m_dir.Path() / "tmp");
}

std::vector<uint8_t> FontFile(uint32_t version)
{
    std::vector<uint8_t> bytes = TestFontFile();
    c_GUIB_Store reader(bytes.data(), bytes.size());
    const uint8_t* header = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(SYS_OK, reader.OpenGroup(GUIB_GROUP_FONT, 0));
    EXPECT_EQ(SYS_OK, reader.FindChunk(1, &header, &size));
    SYS_StoreU32(bytes.data() + (header - reader.GetData()), version);
    return bytes;
}

std::string AsText(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}
