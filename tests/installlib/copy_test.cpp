// Copies to real files: from disk files by the wide and the 8-bit calls, and from archive
// members, at the sizes around the 64 KB chunk; and failed copies, which must leave an existing
// destination byte for byte as it was and no partial or temporary file behind.
#include "tests/installlib/installlib_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

#include <algorithm>

namespace {

using namespace test;
using Bytes = std::vector<uint8_t>;

// The chunk reads and writes of the copy loop, one of which can be made to fail (0: none).
int g_reads = 0;
int g_failingRead = 0;
int g_writes = 0;
int g_failingWrite = 0;

SYS_Status CountedRead(SYS_Handle file, void* buffer, uint32_t count)
{
    return ++g_reads == g_failingRead ? SYS_FAILED : SYS_FileRead(file, buffer, count);
}

SYS_Status CountedWrite(SYS_Handle file, const void* buffer, uint32_t count)
{
    return ++g_writes == g_failingWrite ? SYS_FAILED : SYS_FileWrite(file, buffer, count);
}

// The names in folder, sorted: shows any temporary file a copy left behind.
std::vector<std::string> Names(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string OLD_BYTES = "the old file, whole";

class InstallLibFiles : public InstallLibFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_reads = g_failingRead = g_writes = g_failingWrite = 0;
        m_calls.readFile = CountedRead;
        m_calls.writeFile = CountedWrite;
        Start(GetParam());
    }
    int Copy(const char* destination, const char* source)
    {
        return CopyDiskFile(PathOf(destination).c_str(), PathOf(source).c_str());
    }
};

TEST_P(InstallLibFiles, CopiesAreWholeReadInChunksOf64KAndReplaceTheDestination)
{
    // Each copy replaces the longer one before it.
    for (size_t size : { 65537, 65536, 0 }) {
        const Bytes bytes = SampleBytes(size, static_cast<uint32_t>(size));
        WriteBytes(m_dir.File("source.bin"), bytes);
        g_reads = 0;
        ASSERT_EQ(1, Copy("copy.bin", "source.bin"));
        EXPECT_EQ(static_cast<int>((size + 65535) / 65536), g_reads) << size;
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ReadText(m_dir.Path() / "copy.bin"));
    }
}

TEST_P(InstallLibFiles, FailedCopyLeavesTheDestinationAsItWasAndNoTemporaryFile)
{
    WriteBytes(m_dir.File("source.bin"), SampleBytes(150000, 7));
    WriteText(m_dir.Path() / "copy.bin", OLD_BYTES);
    g_failingRead = 2;
    EXPECT_EQ(0, Copy("copy.bin", "source.bin"));
    EXPECT_EQ(2, g_reads);
    g_failingRead = 0;
    g_failingWrite = 2;
    EXPECT_EQ(0, Copy("copy.bin", "source.bin"));
    EXPECT_EQ(2, g_writes);
    EXPECT_EQ(0, Copy("copy.bin", "missing.bin"));
    EXPECT_EQ(OLD_BYTES, ReadText(m_dir.Path() / "copy.bin"));
    EXPECT_EQ((std::vector<std::string> { "copy.bin", "source.bin" }), Names(m_dir.Path()));

    EXPECT_EQ(0, Copy("no-folder/copy.bin", "source.bin"));
    EXPECT_EQ(0, CopyDiskFile(nullptr, PathOf("source.bin").c_str()));
}

TEST_P(InstallLibFiles, ReadOnlyDestinationIsReplaced)
{
    WriteText(m_dir.Path() / "source.bin", "new");
    WriteText(m_dir.Path() / "copy.bin", OLD_BYTES);
    std::filesystem::permissions(m_dir.Path() / "copy.bin", std::filesystem::perms::owner_write,
        std::filesystem::perm_options::remove);
    ASSERT_EQ(1, Copy("copy.bin", "source.bin"));
    EXPECT_EQ("new", ReadText(m_dir.Path() / "copy.bin"));
    EXPECT_EQ((std::vector<std::string> { "copy.bin", "source.bin" }), Names(m_dir.Path()));
}

INSTANTIATE_TEST_SUITE_P(InstallLib, InstallLibFiles, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "Ansi"; });

// Archive members read through the virtual file system of a started archive file system.
class InstallLibFilesArchive : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        Start();
        BF_InitParams params {};
        params.baseDir = m_base.c_str();
        ASSERT_EQ(1, BF_Init(&params));
    }
    void TearDown() override
    {
        BF_Shutdown();
        InstallLibFixture::TearDown();
    }
    void Mount(const std::vector<ArchiveMember>& members)
    {
        WriteBytes(m_dir.File("data.cbf"), BuildArchive(members));
        ASSERT_EQ(BF_OK, LoadBF(PathOf("data.cbf").c_str(), 0));
    }

    std::string m_base = m_dir.File("");
};

TEST_F(InstallLibFilesArchive, StoredAndCompressedMembersCopyWholeAtEverySize)
{
    std::vector<ArchiveMember> members;
    for (size_t size : { 0, 65536, 65537 }) {
        members.push_back(StoredMember("STORED\\" + std::to_string(size), SampleBytes(size, 11)));
        members.push_back(
            LzwMember("LZW\\" + std::to_string(size), SampleBytes(size, 11), LZW_Encode));
    }
    Mount(members);
    for (const ArchiveMember& member : members) {
        ASSERT_EQ(1, CopyArchiveFile(PathOf("copy.bin").c_str(), member.name.c_str()))
            << member.name;
        const Bytes expected = SampleBytes(member.size, 11);
        EXPECT_EQ(
            std::string(expected.begin(), expected.end()), ReadText(m_dir.Path() / "copy.bin"));
    }
}

TEST_F(InstallLibFilesArchive, DamagedBlockShortMemberOrMissingMemberLeaveTheDestinationWhole)
{
    // Blocks of 40000 bytes: the first chunk reads blocks 1 and 2, the second needs block 4.
    const Bytes data = SampleBytes(150000, 5);
    ArchiveMember damaged { "DAMAGED.BIN" };
    damaged.method = BF_METHOD_LZW;
    damaged.size = data.size();
    for (size_t start = 0; start < data.size(); start += 40000) {
        const Bytes part(data.begin() + start, data.begin() + std::min(data.size(), start + 40000));
        Bytes block = LzwBlock(EncodeBlock(part, LZW_Encode), static_cast<uint32_t>(part.size()));
        if (start == 120000)
            block[0] = 'X'; // no block magic
        damaged.bytes.insert(damaged.bytes.end(), block.begin(), block.end());
    }
    // Its blocks hold 100000 bytes, its entry claims 150000.
    ArchiveMember shortMember = LzwMember("SHORT.BIN", SampleBytes(100000, 6), LZW_Encode);
    shortMember.size = 150000;
    Mount({ damaged, shortMember });
    WriteText(m_dir.Path() / "copy.bin", OLD_BYTES);
    for (const char* name : { "damaged.bin", "short.bin", "not-there.txt" }) {
        EXPECT_EQ(0, CopyArchiveFile(PathOf("copy.bin").c_str(), name)) << name;
        EXPECT_EQ(OLD_BYTES, ReadText(m_dir.Path() / "copy.bin")) << name;
    }
    EXPECT_EQ((std::vector<std::string> { "copy.bin", "data.cbf" }), Names(m_dir.Path()));
}

}
