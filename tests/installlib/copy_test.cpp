// Copies to real files: from disk files by the wide and the 8-bit calls, and from archive
// members, at the sizes around the 64 KB chunk; and failed copies, which must not leave a
// partial destination that could be taken for a whole one.
#include "tests/installlib/installlib_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"

namespace {

using namespace test;

// Counts the chunk reads of the copy loop and can make one of them fail.
struct ReadCounter {
    int reads = 0;
    int failingRead = 0; // 0: none
};
ReadCounter g_reads;

SYS_Status CountedRead(SYS_Handle file, void* buffer, uint32_t count)
{
    if (++g_reads.reads == g_reads.failingRead)
        return SYS_FAILED;
    return SYS_FileRead(file, buffer, count);
}

class InstallLibFiles : public InstallLibFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        g_reads = {};
        m_calls.readFile = CountedRead;
        Start(GetParam());
    }
};

TEST_P(InstallLibFiles, DiskCopiesAreWholeAndReadInChunksOf64K)
{
    struct Case {
        size_t size;
        int reads;
    };
    for (const Case& c : { Case { 0, 0 }, Case { 65536, 1 }, Case { 65537, 2 } }) {
        const std::vector<uint8_t> bytes = SampleBytes(c.size, static_cast<uint32_t>(c.size));
        WriteFile(m_dir.Path() / "source.bin", bytes);
        g_reads.reads = 0;
        ASSERT_EQ(1, CopyDiskFile(PathOf("copy.bin").c_str(), PathOf("source.bin").c_str()));
        EXPECT_EQ(c.reads, g_reads.reads) << c.size;
        EXPECT_EQ(bytes, ReadFile(m_dir.Path() / "copy.bin")) << c.size;
    }
}

TEST_P(InstallLibFiles, CopyReplacesAnExistingDestination)
{
    WriteText(m_dir.Path() / "source.txt", "new");
    WriteText(m_dir.Path() / "copy.txt", "an older and longer text");
    ASSERT_EQ(1, CopyDiskFile(PathOf("copy.txt").c_str(), PathOf("source.txt").c_str()));
    EXPECT_EQ("new", ReadText(m_dir.Path() / "copy.txt"));
}

TEST_P(InstallLibFiles, ReadFailingInTheSecondChunkLeavesNoDestination)
{
    WriteFile(m_dir.Path() / "source.bin", SampleBytes(150000, 7));
    g_reads.failingRead = 2;
    EXPECT_EQ(0, CopyDiskFile(PathOf("copy.bin").c_str(), PathOf("source.bin").c_str()));
    EXPECT_EQ(2, g_reads.reads);
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "copy.bin"));
}

TEST_P(InstallLibFiles, MissingSourceOrUnwritableDestinationFails)
{
    WriteText(m_dir.Path() / "source.txt", "x");
    EXPECT_EQ(0, CopyDiskFile(PathOf("copy.txt").c_str(), PathOf("missing.txt").c_str()));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "copy.txt"));
    EXPECT_EQ(0, CopyDiskFile(PathOf("no-folder/copy.txt").c_str(), PathOf("source.txt").c_str()));
    EXPECT_EQ(0, CopyDiskFile(nullptr, PathOf("source.txt").c_str()));
    EXPECT_EQ(0, CopyDiskFile(PathOf("copy.txt").c_str(), nullptr));
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
        m_base = m_dir.File("");
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

    std::string m_base;
};

TEST_F(InstallLibFilesArchive, MembersCopyWholeAtEverySize)
{
    std::vector<ArchiveMember> members;
    std::vector<std::vector<uint8_t>> contents;
    for (size_t size : { 0, 65536, 65537 }) {
        contents.push_back(SampleBytes(size, 11));
        members.push_back(StoredMember("STORED\\" + std::to_string(size), contents.back()));
        members.push_back(LzwMember("LZW\\" + std::to_string(size), contents.back(), LZW_Encode));
    }
    Mount(members);
    size_t index = 0;
    for (size_t size : { 0, 65536, 65537 }) {
        for (std::string folder : { "stored\\", "lzw\\" }) {
            const std::string name = folder + std::to_string(size);
            ASSERT_EQ(1, CopyArchiveFile(PathOf("copy.bin").c_str(), name.c_str())) << name;
            EXPECT_EQ(contents[index], ReadFile(m_dir.Path() / "copy.bin")) << name;
        }
        ++index;
    }
}

TEST_F(InstallLibFilesArchive, DamagedBlockInTheSecondChunkLeavesNoDestination)
{
    // Blocks of 40000 bytes: the first chunk reads blocks 1 and 2, the second needs block 4.
    const std::vector<uint8_t> data = SampleBytes(150000, 5);
    ArchiveMember member;
    member.name = "DAMAGED.BIN";
    member.method = BF_METHOD_LZW;
    member.size = data.size();
    for (size_t start = 0; start < data.size(); start += 40000) {
        std::vector<uint8_t> part(
            data.begin() + start, data.begin() + std::min(data.size(), start + 40000));
        std::vector<uint8_t> block
            = LzwBlock(EncodeBlock(part, LZW_Encode), static_cast<uint32_t>(part.size()));
        if (start == 120000)
            block[0] = 'X'; // no block magic
        member.bytes.insert(member.bytes.end(), block.begin(), block.end());
    }
    Mount({ member });
    EXPECT_EQ(0, CopyArchiveFile(PathOf("copy.bin").c_str(), "damaged.bin"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "copy.bin"));
}

TEST_F(InstallLibFilesArchive, MissingMemberCreatesNothing)
{
    Mount({ StoredMember("THERE.TXT", { 'x' }) });
    EXPECT_EQ(0, CopyArchiveFile(PathOf("copy.bin").c_str(), "not-there.txt"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "copy.bin"));
}

}
