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
    // A 3ds Max 5 folder whose "maxnet.dll" is the test library of that name.
    std::string Max5WithLibrary(const char* library)
    {
        const std::string folder = Folder("max5");
        std::filesystem::copy_file(std::filesystem::path(PATCHER_TEST_LIBRARIES) / library,
            m_dir.Path() / "max5" / "maxnet.dll",
            std::filesystem::copy_options::overwrite_existing);
        PutValue(MAX5_KEY, "uninstallpath", folder);
        return folder;
    }
    void PutValue(const char* key, const char* name, const std::string& value)
    {
        ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(key), name, value.c_str()));
    }
    ::MaxVersions m_max {};
};

TEST_F(MaxVersions, ProductVersion51MarksRelease51)
{
    if (std::string(PATCHER_TEST_LIBRARIES).empty())
        GTEST_SKIP() << "the MinGW tools that build the test libraries are missing";
    const std::string folder = Max5WithLibrary("version_5_1.dll");
    EXPECT_EQ(1, DetectMaxVersions(&m_max));
    EXPECT_TRUE(m_max.max51Found);
    EXPECT_EQ(folder + "\\", m_max.max5Folder);
    EXPECT_FALSE(m_max.max60Found);
}

TEST_F(MaxVersions, OtherProductVersionsAreNotRelease51)
{
    if (std::string(PATCHER_TEST_LIBRARIES).empty())
        GTEST_SKIP() << "the MinGW tools that build the test libraries are missing";
    for (const char* library : { "version_5_0.dll", "version_6_0.dll", "version_plain.dll" }) {
        Max5WithLibrary(library);
        EXPECT_EQ(0, DetectMaxVersions(&m_max)) << library;
        EXPECT_FALSE(m_max.max51Found) << library;
    }
    std::filesystem::remove(m_dir.Path() / "max5" / "maxnet.dll");
    EXPECT_EQ(0, DetectMaxVersions(&m_max)) << "no library";
}

TEST_F(MaxVersions, InstallFolderMarksRelease60)
{
    const std::string folder = Folder("max6");
    PutValue(MAX6_KEY, "Installdir", folder + "\\");
    EXPECT_EQ(1, DetectMaxVersions(&m_max));
    EXPECT_TRUE(m_max.max60Found);
    EXPECT_EQ(folder + "\\", m_max.max6Folder);
    EXPECT_FALSE(m_max.max51Found);
}

TEST_F(MaxVersions, FolderValuesOutOfBoundsMeanNotInstalled)
{
    const std::string tooLong = "C:\\" + std::string(256, 'm'); // 260 bytes with the terminator
    for (const std::string& value : { std::string("C:\\"), std::string("max6"), tooLong }) {
        PutValue(MAX6_KEY, "Installdir", value);
        EXPECT_EQ(0, DetectMaxVersions(&m_max)) << value;
        EXPECT_STREQ("", m_max.max6Folder);
    }
    PutValue(MAX6_KEY, "Installdir", "C:\\M");
    EXPECT_EQ(1, DetectMaxVersions(&m_max)) << "5 bytes with the terminator";
    EXPECT_STREQ("C:\\M\\", m_max.max6Folder);

    // 259 bytes with the terminator are the longest value, and the separator still fits after it.
    const std::string longest = "C:\\" + std::string(255, 'm');
    PutValue(MAX6_KEY, "Installdir", longest);
    EXPECT_EQ(1, DetectMaxVersions(&m_max));
    EXPECT_EQ(longest + "\\", m_max.max6Folder);
}

TEST_F(MaxVersions, LibraryPathThatDoesNotFitMeansNot51)
{
    PutValue(MAX5_KEY, "uninstallpath", "C:\\" + std::string(252, 'm'));
    EXPECT_EQ(0, DetectMaxVersions(&m_max));
    EXPECT_FALSE(m_max.max51Found);
    EXPECT_STREQ("", m_max.max5Folder);
}

}
