// Loading definition files from disk through the virtual file interface: the two loaders,
// unreadable and oversized files, and the listing of a file's languages.
#include "tests/ml/ml_fixture.h"

#include "bigfile/bigfile.h"
#include "tests/support/test_support.h"

#include <filesystem>
#include <fstream>

namespace {

class MlLoader : public mltest::MlTest {
protected:
    void SetUp() override
    {
        MlTest::SetUp();
        BF_InitParams params {};
        params.plainNames = 1;
        ASSERT_EQ(1, BF_Init(&params));
    }
    void TearDown() override
    {
        BF_Shutdown();
        MlTest::TearDown();
    }
    std::string Write(const std::string& name, std::string_view bytes)
    {
        std::ofstream(m_dir.Path() / name, std::ios::binary) << bytes;
        return m_dir.File(name);
    }

    test::TempDir m_dir;
};

TEST_F(MlLoader, InstallerDataThenLanguageFileAsTheInstallerLoadsThem)
{
    std::string data = Write("patcher.txt", "#300:\n#ENG Caption\n#301:\n#ENG run.exe\n");
    std::string language = Write("GER.txt", "#301:\n#GER laufen.exe\n#10:\n#GER Weiter\n");
    ML_SetString(500, "stale");
    ML_Request installer { "ENG", data.c_str() };
    ASSERT_EQ(1, ML_LoadInstallerData(&installer));
    EXPECT_EQ(
        (mltest::Entries { { 300, u"Caption" }, { 301, u"run.exe" }, { 1000, u"" } }), Stored());
    ML_Request german { "GER", language.c_str() };
    ASSERT_EQ(1, ML_LoadLanguage(&german));
    EXPECT_EQ((mltest::Entries {
                  { 10, u"Weiter" }, { 300, u"Caption" }, { 301, u"laufen.exe" }, { 1000, u"" } }),
        Stored());
}

TEST_F(MlLoader, ReadsCompressedArchiveMembersWhole)
{
    // Larger than one compressed block, so the member is read in several pieces.
    std::string data;
    int i = 0;
    for (; data.size() < 3 * BF_MAX_LZW_BLOCK; ++i) {
        TEST_GCC_ALLOW("-Wrestrict")
        data += "#" + std::to_string(i % 1000) + ":\n#ENG text " + std::to_string(i) + "\n";
        TEST_GCC_ALLOW_END
    }
    data += "#999:\n#ENG the end";
    std::u16string archive = (m_dir.Path() / "patcher.cbf").u16string();
    BF_ArchiveWriter writer;
    ASSERT_TRUE(writer.Open(archive.c_str(), 0, 0)) << writer.Error();
    ASSERT_TRUE(writer.Add("patcher.txt", data.data(), data.size(), BF_METHOD_LZW));
    ASSERT_TRUE(writer.Finish()) << writer.Error();
    ASSERT_EQ(BF_OK, LoadBF(archive.c_str(), 0));
    ML_Request installer { "ENG", "patcher.txt" };
    ASSERT_EQ(1, ML_LoadInstallerData(&installer));
    EXPECT_EQ(u"the end", Text(999));
    EXPECT_EQ(u"text " + test::Wide(std::to_string((i - 1) / 1000 * 1000).c_str()), Text(0));
}

TEST_F(MlLoader, ErrorsNameTheFileAsGivenAndMissingFilesFailSilently)
{
    std::string name = Write("broken.txt", "#1:\n#ENG fine\noops\n");
    ASSERT_EQ(0, ML_LoadDefinition(name.c_str(), "ENG"));
    ASSERT_EQ(1u, Errors().size());
    EXPECT_EQ(name, Errors()[0].fileName);
    Errors().clear();
    std::string absent = m_dir.File("absent.txt");
    ML_Request request { "ENG", absent.c_str() };
    EXPECT_EQ(0, ML_LoadInstallerData(&request));
    EXPECT_EQ(0, ML_LoadDefinition(absent.c_str(), "ENG"));
    EXPECT_EQ(0, ML_LoadDefinition(nullptr, "ENG"));
    EXPECT_EQ(0, ML_LoadLanguage(nullptr));
    EXPECT_EQ(0, ML_ListLanguages(absent.c_str(), nullptr, nullptr));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MlLoader, Utf16FileWithoutFinalLineFeedLoadsItsLastEntryExactly)
{
    std::string name
        = Write("u16.txt", mltest::Utf16(u"#1:\r\n#ENG first\r\n#2:\r\n#ENG end", true));
    ASSERT_EQ(1, ML_LoadDefinition(name.c_str(), "ENG"));
    EXPECT_EQ((mltest::Entries { { 1, u"first" }, { 2, u"end" } }), Stored());
}

TEST_F(MlLoader, FilesAboveTheSizeLimitAreUnreadable)
{
    // Sparse files: the size is refused before anything is allocated or read.
    for (uint64_t size : { ML_MAX_FILE_SIZE + 1, uint64_t { 0xFFFFFFFF } }) {
        std::string name = Write("big.txt", "#1:\n#ENG x\n");
        std::filesystem::resize_file(m_dir.Path() / "big.txt", size);
        EXPECT_EQ(0, ML_LoadDefinition(name.c_str(), "ENG")) << size;
        EXPECT_EQ(0, ML_ListLanguages(name.c_str(), nullptr, nullptr)) << size;
    }
    EXPECT_TRUE(Stored().empty());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MlLoader, ListLanguagesVisitsEachCodeOnceInOrder)
{
    std::string name = Write("langs.txt",
        "#DEFINE A b\n#1:\n#GER a\n#eng b\n/* #FRA c */\n#ENG d\n#2:\nnot a command\n#POL e // "
        "#ITA\n");
    std::vector<std::string> codes;
    auto collect = [](const char* code, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(code);
    };
    ASSERT_EQ(1, ML_ListLanguages(name.c_str(), collect, &codes));
    EXPECT_EQ((std::vector<std::string> { "GER", "ENG", "POL" }), codes);
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(Stored().empty());
}

}
