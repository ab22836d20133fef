// The engine tests' fixture (a "_test" file so that the test program takes it in).
#include "tests/patcher/engine_fixture.h"

#include <chrono>
#include <thread>

namespace test {

void EngineFixture::SetUp()
{
    PatcherFixture::SetUp();
    BF_InitParams params {};
    ASSERT_EQ(1, BF_Init(&params));
    ASSERT_EQ(1, PTCH_SetStartFolder((m_dir.File("") + "\\").c_str()));
    ML_SetString(PTCH_TEXT_CANNOT_CREATE, "Cannot create");
    ML_SetString(PTCH_TEXT_CANNOT_WRITE, "Cannot write");
    (void)SYS_StrCopy(m_target.gameFolder, PTCH_PATH_CAPACITY, Folder("game").c_str());
    m_target.source.distribution = 791;
}

void EngineFixture::TearDown()
{
    if (m_engineReady)
        PTCH_EngineDone(&m_engine);
    BF_Shutdown();
    PatcherFixture::TearDown();
}

void EngineFixture::WriteArchive(uint32_t n, const std::vector<ArchiveMember>& members)
{
    char name[32];
    (void)SYS_Format(name, sizeof name, n == 0 ? "patch.cbf" : "patch%02u.cbf", n);
    WriteFile(m_dir.Path() / name, BuildArchive(members));
}

ArchiveMember EngineFixture::Lzw(const std::string& name, const std::vector<uint8_t>& data)
{
    return LzwMember(name, data, LZW_Encode);
}

int EngineFixture::Start()
{
    if (!m_engineReady) {
        EXPECT_EQ(1, PTCH_EngineInit(&m_engine, &m_target));
        m_engineReady = true;
    }
    return PTCH_StartCurrentArchive(&m_engine);
}

PatchProgress EngineFixture::RunToEnd()
{
    PatchProgress progress {};
    for (int poll = 0; poll < 20000; ++poll) {
        PollWorker(&m_engine, &progress);
        m_totalBars.push_back(progress.totalBar);
        if (progress.result != PTCH_PollResult::Running)
            return progress;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << "the engine did not end";
    return progress;
}

std::filesystem::path EngineFixture::Game(const std::string& relative) const
{
    return m_dir.Path() / "game" / relative;
}

std::vector<uint8_t> EngineFixture::Contents(const std::filesystem::path& path) const
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

std::vector<std::string> EngineFixture::Temporaries() const
{
    std::vector<std::string> found;
    for (const std::string& entry : TreeOf(m_dir.Path()))
        if (entry.find("~pt") != std::string::npos && entry.ends_with(".tmp"))
            found.push_back(entry);
    return found;
}

}
