// Copies to real files: from disk files by the wide and the 8-bit calls, and from archive
// members, at the sizes around the 64 KB chunk; and failed copies, which must not leave a
// partial destination that could be taken for a whole one.
#include "tests/installlib/installlib_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

namespace {

using namespace test;
using Bytes = std::vector<uint8_t>;

// The chunk reads of the copy loop, one of which can be made to fail (0: none).
int g_reads = 0;
int g_failingRead = 0;

SYS_Status CountedRead(SYS_Handle file, void* buffer, uint32_t count)
{
    return ++g_reads == g_failingRead ? SYS_FAILED : SYS_FileRead(file, buffer, count);
}

class InstallLibFiles : public InstallLibFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_reads = g_failingRead = 0;
        m_calls.readFile = CountedRead;
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

TEST_P(InstallLibFiles, FailedCopiesLeaveNoDestination)
{
    WriteBytes(m_dir.File("source.bin"), SampleBytes(150000, 7));
    g_failingRead = 2;
    EXPECT_EQ(0, Copy("copy.bin", "source.bin"));
    EXPECT_EQ(2, g_reads);
    EXPECT_EQ(0, Copy("copy.bin", "missing.bin"));
    EXPECT_FALSE(Exists("copy.bin"));
    EXPECT_EQ(0, Copy("no-folder/copy.bin", "source.bin"));
    EXPECT_EQ(0, CopyDiskFile(nullptr, PathOf("source.bin").c_str()));
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

TEST_F(InstallLibFilesArchive, DamagedBlockInTheSecondChunkOrAMissingMemberLeaveNoDestination)
{
    // Blocks of 40000 bytes: the first chunk reads blocks 1 and 2, the second needs block 4.
    const Bytes data = SampleBytes(150000, 5);
    ArchiveMember member { "DAMAGED.BIN" };
    member.method = BF_METHOD_LZW;
    member.size = data.size();
    for (size_t start = 0; start < data.size(); start += 40000) {
        const Bytes part(data.begin() + start, data.begin() + std::min(data.size(), start + 40000));
        Bytes block = LzwBlock(EncodeBlock(part, LZW_Encode), static_cast<uint32_t>(part.size()));
        if (start == 120000)
            block[0] = 'X'; // no block magic
        member.bytes.insert(member.bytes.end(), block.begin(), block.end());
    }
    Mount({ member });
    EXPECT_EQ(0, CopyArchiveFile(PathOf("copy.bin").c_str(), "damaged.bin"));
    EXPECT_EQ(0, CopyArchiveFile(PathOf("copy.bin").c_str(), "not-there.txt"));
    EXPECT_FALSE(Exists("copy.bin"));
}

}
