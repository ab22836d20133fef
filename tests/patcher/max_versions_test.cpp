// Detection of 3ds Max 5.1 by the product version of its "maxnet.dll" (libraries built with
// version resources stand for it) and of 6.0 by its install folder, with the folder values'
// bounds: too short, too long, relative, or too long to take the library's name.
#include "tests/patcher/patcher_fixture.h"

namespace {

using namespace test;

constexpr const char* MAX5_KEY = "SOFTWARE\\Autodesk\\3DSMAX\\5.0\\MAX-1:409";
constexpr const char* MAX6_KEY = "SOFTWARE\\Autodesk\\3DSMAX\\6.0";

class MaxVersions : public PatcherFixture {
protected:
    void PutValue(const char* key, const char* name, const std::string& value)
    {
        ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(key), name, value.c_str()));
    }
    ::MaxVersions m_max {};
};

TEST_F(MaxVersions, OnlyProductVersion51MarksRelease51)
{
    if (std::string(PATCHER_TEST_LIBRARIES).empty())
        GTEST_SKIP() << "the MinGW tools that build the test libraries are missing";
    const std::string folder = Folder("max5");
    PutValue(MAX5_KEY, "uninstallpath", folder);
    EXPECT_EQ(0, DetectMaxVersions(&m_max)) << "no library";
    for (const char* library :
        { "version_5_0.dll", "version_6_0.dll", "version_plain.dll", "version_5_1.dll" }) {
        std::filesystem::copy_file(std::filesystem::path(PATCHER_TEST_LIBRARIES) / library,
            m_dir.Path() / "max5" / "maxnet.dll",
            std::filesystem::copy_options::overwrite_existing);
        const bool is51 = std::string(library) == "version_5_1.dll";
        EXPECT_EQ(is51 ? 1 : 0, DetectMaxVersions(&m_max)) << library;
        EXPECT_EQ(is51, m_max.max51Found) << library;
        EXPECT_FALSE(m_max.max60Found);
    }
    EXPECT_EQ(folder + "\\", m_max.max5Folder);
}

TEST_F(MaxVersions, InstallFolderWithinBoundsMarksRelease60)
{
    // Too short, relative, and 260 bytes with the terminator.
    for (const std::string& value :
        { std::string("C:\\"), std::string("max6"), "C:\\" + std::string(256, 'm') }) {
        PutValue(MAX6_KEY, "Installdir", value);
        EXPECT_EQ(0, DetectMaxVersions(&m_max)) << value;
        EXPECT_STREQ("", m_max.max6Folder);
    }
    // 5 bytes with the terminator; 259 are the longest, and the separator still fits after it.
    for (const std::string& value :
        { std::string("C:\\M"), "C:\\" + std::string(255, 'm'), Folder("max6") + "\\" }) {
        PutValue(MAX6_KEY, "Installdir", value);
        EXPECT_EQ(1, DetectMaxVersions(&m_max)) << value;
        EXPECT_TRUE(m_max.max60Found);
        EXPECT_FALSE(m_max.max51Found);
        EXPECT_EQ(value.back() == '\\' ? value : value + "\\", m_max.max6Folder);
    }
}

TEST_F(MaxVersions, LibraryPathThatDoesNotFitMeansNot51)
{
    PutValue(MAX5_KEY, "uninstallpath", "C:\\" + std::string(252, 'm'));
    EXPECT_EQ(0, DetectMaxVersions(&m_max));
    EXPECT_FALSE(m_max.max51Found);
    EXPECT_STREQ("", m_max.max5Folder);
}

}
