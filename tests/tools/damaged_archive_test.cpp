// Missing, truncated, foreign and damaged archives: list, extract and verify each fail with one
// line on stderr and status 1, never a crash; a damaged member is named.
#include "tests/tools/patchkit_test_support.h"

namespace {

namespace fs = std::filesystem;

const char* const READING_COMMANDS[] = { "list", "extract", "verify" };

class DamagedArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string text;
        for (int i = 0; i < 3000; ++i)
            text += "row " + std::to_string(i % 17) + "\n";
        test::WriteArchive(Archive(),
            { { "first.txt", "plain bytes" }, { "Packed.txt", text, BF_METHOD_LZW },
                { "last.bin", "tail", BF_METHOD_SCRAMBLED } });
        m_bytes = test::ReadBytes(Archive());
    }

    fs::path Archive() const { return m_dir.Path() / "a.cbf"; }

    // Expects every reading command to fail on file with one line (that names culprit, when
    // given).
    void ExpectEveryCommandFailsOn(const fs::path& file, const std::string& culprit = "")
    {
        for (const char* command : READING_COMMANDS) {
            std::vector<std::string> arguments = { command, test::PathArgument(file) };
            if (std::string(command) == "extract")
                arguments.push_back(test::PathArgument(m_dir.Path() / "x"));
            auto result = test::RunPatchkit(arguments);
            EXPECT_TRUE(test::FailsWithOneLine(result)) << command;
            EXPECT_NE(result.err.find(culprit), std::string::npos) << command << ": " << result.err;
        }
    }
    void ExpectEveryCommandFails(const std::string& bytes, const std::string& culprit = "")
    {
        test::WriteBytes(Archive(), bytes);
        ExpectEveryCommandFailsOn(Archive(), culprit);
    }

    // Offset of the LZW member's first block header: right after the 11 stored bytes.
    static constexpr size_t BLOCK = BF_HEADER_SIZE + 11;

    test::TempDir m_dir;
    std::string m_bytes;
};

TEST_F(DamagedArchive, MissingFile)
{
    ExpectEveryCommandFailsOn(m_dir.Path() / "missing.cbf", "missing.cbf");
}

// Cut or extended by a byte, cut inside the header, empty, foreign, of another version, with
// one entry more than the directory holds or a directory running past the file.
TEST_F(DamagedArchive, WholeFileDamage)
{
    auto with = [this](size_t offset, char value) {
        std::string bytes = m_bytes;
        bytes[offset] = value;
        return bytes;
    };
    for (const std::string& bytes :
        { m_bytes.substr(0, m_bytes.size() - 1), m_bytes + '\0', m_bytes.substr(0, 30),
            std::string(), std::string(4000, 'x'), with(BF_HDR_VERSION, 2), with(BF_HDR_COUNT, 4),
            with(BF_HDR_DIR_SIZE, static_cast<char>(m_bytes[BF_HDR_DIR_SIZE] + 1)) })
        ExpectEveryCommandFails(bytes);
}

TEST_F(DamagedArchive, BlockHeaderPointingPastTheFileNamesTheMember)
{
    std::string damaged = m_bytes;
    damaged.replace(BLOCK + 4, 4, "\xF0\xFF\xFF\xFF", 4); // compressed size 0xFFFFFFF0
    ExpectEveryCommandFails(damaged, "Packed.txt");
}

TEST_F(DamagedArchive, UndecodableBlockFailsVerifyAndExtractNamingTheMember)
{
    std::string damaged = m_bytes;
    uint32_t compressed = SYS_LoadU32(reinterpret_cast<const uint8_t*>(m_bytes.data()) + BLOCK + 4);
    damaged.replace(BLOCK + BF_BLOCK_HEADER_SIZE, compressed, compressed, '\xFF'); // code 511 first
    test::WriteBytes(Archive(), damaged);
    EXPECT_EQ(test::RunPatchkit({ "list", test::PathArgument(Archive()) }).status, 0);
    auto verify = test::RunPatchkit({ "verify", test::PathArgument(Archive()) });
    EXPECT_TRUE(test::FailsWithOneLine(verify));
    EXPECT_NE(verify.err.find("Packed.txt"), std::string::npos) << verify.err;
    auto extract = test::RunPatchkit(
        { "extract", test::PathArgument(Archive()), test::PathArgument(m_dir.Path() / "x") });
    EXPECT_TRUE(test::FailsWithOneLine(extract));
    EXPECT_NE(extract.err.find("Packed.txt"), std::string::npos) << extract.err;
    EXPECT_FALSE(fs::exists(m_dir.Path() / "x" / "Packed.txt")); // no half-written file
}

TEST(PatchkitCommandLine, UnknownOrMissingCommandFailsWithOneLine)
{
    EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit({})));
    EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit({ "unpack", "a.cbf" })));
    EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit({ "list" })));
    EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit({ "verify", "a", "b" })));
    EXPECT_TRUE(test::FailsWithOneLine(test::RunPatchkit({ "extract", "a" })));
    auto help = test::RunPatchkit({ "help" });
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("patchkit pack SRC_DIR OUT.cbf"), std::string::npos);
}

}
