// The patch engine's copy: files byte-exact in new folders, replaced read-only files, kept
// program files, several archives with a retried mount, and the failures that must leave every
// destination whole: short reads, over-long paths, a missing thread or buffer, a stop request.
#include "tests/patcher/engine_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace test;
namespace fs = std::filesystem;

const std::vector<uint8_t> OLD = { 'o', 'l', 'd' };

class Engine : public EngineFixture { };

TEST_F(Engine, CopiesEveryFileByteExactIntoTheFoldersItNeeds)
{
    const auto exact = SampleBytes(65536, 1); // one chunk
    const auto over = SampleBytes(65537, 2); // two chunks
    const auto packed = SampleBytes(200000, 3); // four LZW blocks
    WriteArchive(0,
        { StoredMember("patch\\Data\\Maps\\Exact.map", exact),
            StoredMember("patch\\Over.bin", over), StoredMember("patch\\Empty.txt", {}),
            Lzw("patch\\Deep\\er\\Packed.dat", packed),
            StoredMember("Distributions\\791\\Lang.cbf", exact) });
    fs::create_directories(Game());
    WriteFile(Game("over.bin"), OLD);
    fs::permissions(Game("over.bin"), fs::perms::owner_read);

    ASSERT_EQ(1, Start());
    const PatchProgress end = RunToEnd();
    EXPECT_EQ(PTCH_PollResult::Complete, end.result);
    EXPECT_EQ(exact, Contents(Game("data/maps/exact.map")));
    EXPECT_EQ(over, Contents(Game("over.bin"))) << "a read-only file is replaced";
    EXPECT_TRUE(fs::exists(Game("empty.txt")) && Contents(Game("empty.txt")).empty());
    EXPECT_EQ(packed, Contents(Game("deep/er/packed.dat")));
    EXPECT_EQ(exact, Contents(Game("lang.cbf")));
    EXPECT_EQ(100, end.totalBar);
    EXPECT_TRUE(std::is_sorted(m_totalBars.begin(), m_totalBars.end()));
    EXPECT_TRUE(Temporaries().empty());
}

TEST_F(Engine, KeepsExistingProgramFilesOnlyBelowTheGameFolder)
{
    const std::string max = Folder("max5") + "\\";
    MaxVersions found {};
    found.max51Found = true;
    (void)SYS_StrCopy(found.max5Folder, PTCH_PATH_CAPACITY, max.c_str());
    m_target.source.max = &found;
    m_target.keepNewer = true;
    WriteArchive(0,
        { StoredMember("patch\\Game.EXE", { 'n' }), StoredMember("patch\\Tool.dll", { 'n' }),
            StoredMember("patch\\Readme.txt", { 'n' }),
            StoredMember("MAX_5.1\\Plug.dll", { 'n' }) });
    WriteFile(Game("game.exe"), OLD);
    WriteFile(Game("readme.txt"), OLD);
    WriteFile(m_dir.Path() / "max5" / "plug.dll", OLD);

    ASSERT_EQ(1, Start());
    EXPECT_EQ(PTCH_PollResult::Complete, RunToEnd().result);
    EXPECT_EQ(OLD, Contents(Game("game.exe"))) << "an existing program file is kept";
    EXPECT_EQ(std::vector<uint8_t> { 'n' }, Contents(Game("tool.dll")))
        << "a missing one is copied";
    EXPECT_EQ(std::vector<uint8_t> { 'n' }, Contents(Game("readme.txt")));
    EXPECT_EQ(std::vector<uint8_t> { 'n' }, Contents(m_dir.Path() / "max5" / "plug.dll"))
        << "editor tools are always copied";
    EXPECT_EQ(m_engine.total, m_engine.totalDone) << "a kept file counts as done";
}

TEST_F(Engine, KeepExistingNeedsTheFlagAnExistingFileAndAProgramExtension)
{
    WriteFile(Game("a.ExE"), OLD);
    WriteFile(Game("b.dll"), OLD);
    WriteFile(Game("c.exe1"), OLD);
    const struct {
        std::string path;
        bool keepNewer;
        bool kept;
    } cases[] = { { Game("a.ExE").string(), true, true }, { Game("b.dll").string(), true, true },
        { Game("b.dll").string(), false, false }, { Game("c.exe1").string(), true, false },
        { Game("missing.exe").string(), true, false }, { ".exe", true, false } };
    for (const auto& c : cases)
        EXPECT_EQ(c.kept, KeepExisting(c.path.c_str(), c.keepNewer)) << c.path;
}

std::atomic<int> g_memberReads;
uint32_t CountedRead(uintptr_t file, void* buffer, uint32_t count)
{
    ++g_memberReads;
    return BF_Read(file, buffer, count);
}

// A member shorter than its directory claims, read through a damaged archive: the copy fails
// with text 193 and the destination, and the old file stays whole.
TEST_F(Engine, ShortReadsFailTheCopyAndLeaveTheOldFile)
{
    m_calls.readMember = CountedRead;
    auto corrupt = Lzw("patch\\Packed.dat", SampleBytes(140000, 4));
    const size_t secondBlock = BF_BLOCK_HEADER_SIZE + SYS_LoadU32(&corrupt.bytes[4]);
    for (size_t i = secondBlock + BF_BLOCK_HEADER_SIZE; i < secondBlock + 40; ++i)
        corrupt.bytes[i] = 0xFF;
    auto truncated = StoredMember("patch\\Packed.dat", SampleBytes(70000, 5));
    truncated.size = 200000; // the member's data ends at the archive's end, before this
    for (const ArchiveMember& member : { corrupt, truncated }) {
        WriteFile(Game("packed.dat"), OLD);
        WriteArchive(0, { StoredMember("patch\\A.txt", { 'a' }), member });
        if (m_engineReady)
            PTCH_EngineDone(&m_engine);
        m_engineReady = false;
        BF_Shutdown();
        BF_InitParams params {};
        ASSERT_EQ(1, BF_Init(&params));
        g_memberReads = 0;
        ASSERT_EQ(1, Start()) << "the archive mounts";
        EXPECT_EQ(PTCH_PollResult::Failed, RunToEnd().result);
        EXPECT_EQ(
            "Cannot write\n" + std::string(m_target.gameFolder) + "\\packed.dat", ErrorText());
        EXPECT_GE(g_memberReads, 2) << "the member opened and a read of it came short";
        EXPECT_EQ(OLD, Contents(Game("packed.dat")));
        EXPECT_EQ(std::vector<uint8_t> { 'a' }, Contents(Game("a.txt")));
        EXPECT_TRUE(Temporaries().empty());
    }
}

TEST_F(Engine, MemberOfFourGibibytesOrMoreFailsTheArchiveBeforeAnyCopy)
{
    auto huge = StoredMember("patch\\Huge.bin", { 'h' });
    huge.size = uint64_t { 1 } << 32;
    WriteArchive(0, { StoredMember("patch\\A.txt", { 'a' }), huge });
    ASSERT_EQ(1, Start());
    EXPECT_EQ(PTCH_PollResult::Failed, RunToEnd().result);
    EXPECT_EQ("Cannot create\nPATCH\\HUGE.BIN", ErrorText()) << "the name as the scan lists it";
    EXPECT_FALSE(fs::exists(Game("a.txt")));
}

TEST_F(Engine, DestinationPastTheLongestPathFailsWithItsTextCutShort)
{
    std::string folder = m_target.gameFolder;
    folder += "\\" + std::string(249 - folder.size(), 'g');
    ASSERT_EQ(250u, folder.size());
    (void)SYS_StrCopy(m_target.gameFolder, PTCH_PATH_CAPACITY, folder.c_str());
    WriteArchive(0, { StoredMember("patch\\" + std::string(30, 'n'), { 'x' }) });

    ASSERT_EQ(1, Start());
    const PatchProgress end = RunToEnd();
    EXPECT_EQ(PTCH_PollResult::Failed, end.result);
    EXPECT_EQ(
        "Cannot create\n" + (folder + "\\" + std::string(30, 'n')).substr(0, 259), ErrorText());
    EXPECT_EQ(std::string(30, 'n'), end.fileLabel);
}

TEST_F(Engine, OverlongEditorToolDestinationGivesACutLabel)
{
    ASSERT_EQ(1, PTCH_EngineInit(&m_engine, &m_target));
    m_engineReady = true;
    SYS_ItemStore* list = PTCH_CreateFileList();
    const std::string destination = m_dir.File("max") + "\\" + std::string(400, 't');
    ASSERT_EQ(SYS_OK, PTCH_AddFileItem(list, "MAX_5.1\\t", destination.c_str(), 1));
    patcher::detail::StartWorker(m_engine, list);
    const PatchProgress end = RunToEnd();
    EXPECT_EQ(PTCH_PollResult::Failed, end.result);
    EXPECT_EQ(destination.substr(0, 259), end.fileLabel);
    EXPECT_EQ("Cannot create\n" + destination.substr(0, 259), ErrorText());
}

uintptr_t NoThread(patcher::os::ThreadProcedure, void*)
{
    return 0;
}

void* NoBuffer(size_t size, const char* label, uint32_t tag)
{
    return size == patcher::detail::COPY_CHUNK ? nullptr : SYS_Alloc(size, label, tag);
}

TEST_F(Engine, NoThreadOrNoBufferIsAFailureAtTheFirstPoll)
{
    WriteArchive(0, { StoredMember("patch\\A.txt", { 'a' }) });
    for (int injected = 0; injected < 2; ++injected) {
        if (injected == 0)
            m_calls.startThread = NoThread;
        else
            m_calls.alloc = NoBuffer;
        ASSERT_EQ(1, Start());
        PatchProgress progress {};
        PollWorker(&m_engine, &progress);
        EXPECT_EQ(PTCH_PollResult::Failed, progress.result) << injected;
        EXPECT_FALSE(fs::exists(Game("a.txt")));
        m_calls = patcher::detail::Sys();
        m_calls.startThread = patcher::detail::NativeSystemCalls().startThread;
    }
}

// Reads that fail from the second chunk of a member on: a failure in the middle of a file.
std::atomic<int> g_reads;
uint32_t FailSecondChunk(uintptr_t file, void* buffer, uint32_t count)
{
    return ++g_reads >= 2 ? 0 : BF_Read(file, buffer, count);
}

TEST_F(Engine, FailureInTheMiddleOfAFileLeavesItWhole)
{
    g_reads = 0;
    m_calls.readMember = FailSecondChunk;
    WriteArchive(0, { StoredMember("patch\\Big.bin", SampleBytes(200000, 6)) });
    WriteFile(Game("big.bin"), OLD);
    ASSERT_EQ(1, Start());
    EXPECT_EQ(PTCH_PollResult::Failed, RunToEnd().result);
    EXPECT_EQ(OLD, Contents(Game("big.bin")));
    EXPECT_TRUE(Temporaries().empty());
}

// Slow reads, so that a stop arrives in the middle of a file.
std::atomic<int> g_slowReads;
uint32_t SlowRead(uintptr_t file, void* buffer, uint32_t count)
{
    ++g_slowReads;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return BF_Read(file, buffer, count);
}

TEST_F(Engine, StopEndsTheWorkerBeforeTheArchivesCloseAndKeepsTheOldFile)
{
    g_slowReads = 0;
    m_calls.readMember = SlowRead;
    WriteArchive(0, { StoredMember("patch\\Big.bin", SampleBytes(40 * 65536, 7)) });
    WriteFile(Game("big.bin"), OLD);
    ASSERT_EQ(1, Start());
    while (g_slowReads < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    PTCH_StopEngine();
    EXPECT_EQ(0u, m_engine.worker) << "the worker was joined";
    EXPECT_EQ(PTCH_STATE_FAILED, m_engine.state);
    EXPECT_LT(g_slowReads, 40);
    BF_Shutdown();
    EXPECT_EQ(OLD, Contents(Game("big.bin")));
    EXPECT_TRUE(Temporaries().empty()) << "the temporary file was closed and removed";
}

TEST_F(Engine, ArchivesFollowOneAnotherAndAFailedMountCanBeRetried)
{
    ML_SetString(PTCH_ID_ARCHIVE_COUNT, "3");
    WriteArchive(1, { StoredMember("patch\\One.txt", { '1' }) });
    WriteArchive(3, { StoredMember("patch\\Three.txt", { '3' }) });
    ASSERT_EQ(1, Start());
    EXPECT_EQ(PTCH_PollResult::MountFailed, RunToEnd().result);
    EXPECT_EQ(0, BF_Exists("patch\\One.txt")) << "archive 1 was unmounted";
    EXPECT_EQ(0, Start()) << "still missing";
    WriteArchive(2, { StoredMember("patch\\Two.txt", { '2' }) });
    ASSERT_EQ(1, Start());
    const PatchProgress end = RunToEnd();
    EXPECT_EQ(PTCH_PollResult::Complete, end.result);
    for (const char* name : { "one.txt", "two.txt", "three.txt" })
        EXPECT_TRUE(fs::exists(Game(name))) << name;
    EXPECT_EQ(100, end.totalBar);
    EXPECT_TRUE(std::is_sorted(m_totalBars.begin(), m_totalBars.end()));
    PatchProgress after {};
    PollWorker(&m_engine, &after);
    EXPECT_EQ(PTCH_PollResult::Idle, after.result);
}

TEST_F(Engine, ArchiveCountBelowOneMeansOneArchive)
{
    WriteArchive(0, { StoredMember("patch\\A.txt", { 'a' }), StoredMember("patch\\B.txt", {}) });
    for (const char* count : { "0", "-1" }) {
        ML_SetString(PTCH_ID_ARCHIVE_COUNT, count);
        fs::remove(Game("a.txt"));
        if (m_engineReady)
            PTCH_EngineDone(&m_engine);
        m_engineReady = false;
        m_totalBars.clear();
        ASSERT_EQ(1, Start()) << count;
        EXPECT_EQ(PTCH_PollResult::Complete, RunToEnd().result) << count;
        EXPECT_EQ(1u, m_engine.currentArchive);
        EXPECT_TRUE(fs::exists(Game("a.txt")));
        for (int32_t bar : m_totalBars)
            EXPECT_TRUE(bar >= 0 && bar <= 100) << bar;
    }
}

TEST_F(Engine, RemovesOnlyItsOwnLeftoversInTheFoldersItWrites)
{
    WriteArchive(0, { StoredMember("patch\\Data\\A.txt", { 'a' }) });
    fs::create_directories(Game("data"));
    fs::create_directories(Game("other"));
    const char* kept[] = { "data/~pt0123abcg.tmp", "data/~pt0123ABCE.tmp", "data/~pt0123abcd.tmp2",
        "data/x~pt0123abcd.tmp", "other/~pt0123abcd.tmp" };
    for (const char* name : kept)
        WriteFile(Game(name), OLD);
    WriteFile(Game("data/~pt0123abcd.tmp"), OLD);
    ASSERT_EQ(1, Start());
    EXPECT_EQ(PTCH_PollResult::Complete, RunToEnd().result);
    EXPECT_FALSE(fs::exists(Game("data/~pt0123abcd.tmp")));
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(Game(name))) << name;
}

}
