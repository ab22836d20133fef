// Reading version strings from libraries built with version resources by the MinGW tools: the
// same files and expectations natively (the module's PE reader) and under Wine (the system's
// GetFileVersionInfoA and VerQueryValueA).
#include "tests/installlib/installlib_fixture.h"

namespace {

using namespace test;

std::string Library(const char* name)
{
    return std::string(INSTALLLIB_TEST_LIBRARIES) + "/" + name;
}

class InstallLibVersion : public InstallLibFixture {
protected:
    void SetUp() override
    {
        if (std::string(INSTALLLIB_TEST_LIBRARIES).empty())
            GTEST_SKIP() << "the MinGW tools that build the test libraries are missing";
        InstallLibFixture::SetUp();
        Start();
    }
    // The value's status, text (when read) and size.
    std::string Read(
        const std::string& path, const char* name, uint32_t capacity, uint32_t* size = nullptr)
    {
        GuardedBuffer<char> output(capacity, 'x');
        uint32_t inOut = capacity;
        const SYS_Status status = GetFileVersionString(path.c_str(), name, output.Data(), &inOut);
        EXPECT_TRUE(output.GuardsIntact());
        if (size)
            *size = inOut;
        if (status != SYS_OK)
            return "status " + std::to_string(status) + " "
                + (capacity > 0 && output.Data()[0] == 'x' ? "untouched" : "written");
        return output.Data();
    }
};

TEST_F(InstallLibVersion, ProductVersionIsReadForTheFirstLanguage)
{
    uint32_t size = 0;
    EXPECT_EQ("5.1.0.0", Read(Library("version_5_1.dll"), "ProductVersion", 128, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ("Test Maker", Read(Library("version_5_1.dll"), "CompanyName", 128));
}

TEST_F(InstallLibVersion, BufferWithoutRoomForTheTerminatorGetsNothing)
{
    uint32_t size = 0;
    EXPECT_EQ("status 10 untouched", Read(Library("version_5_1.dll"), "ProductVersion", 7, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ("5.1.0.0", Read(Library("version_5_1.dll"), "ProductVersion", 8));

    uint32_t needed = 0;
    EXPECT_EQ(SYS_SIZE_ONLY,
        GetFileVersionString(
            Library("version_5_1.dll").c_str(), "ProductVersion", nullptr, &needed));
    EXPECT_EQ(8u, needed);
}

TEST_F(InstallLibVersion, ValueAsLongAsTheBufferIsRefusedWhole)
{
    uint32_t size = 0;
    EXPECT_EQ(
        "status 10 untouched", Read(Library("version_long.dll"), "ProductVersion", 128, &size));
    EXPECT_EQ(129u, size);
    EXPECT_EQ(128u, Read(Library("version_long.dll"), "ProductVersion", 129).size());
}

TEST_F(InstallLibVersion, MissingPartsGiveTheirStatus)
{
    EXPECT_EQ(
        "status 3 untouched", Read(Library("version_no_translation.dll"), "ProductVersion", 128));
    EXPECT_EQ("status 3 untouched", Read(Library("version_5_1.dll"), "NoSuchValue", 128));
    EXPECT_EQ("status 14 untouched", Read(INSTALLLIB_TEST_SLEEPER, "ProductVersion", 128));
    EXPECT_EQ("status 14 untouched", Read(m_dir.File("missing.dll"), "ProductVersion", 128));
    uint32_t size = 128;
    EXPECT_EQ(SYS_BAD_ARGUMENT, GetFileVersionString(nullptr, "ProductVersion", nullptr, &size));
    EXPECT_EQ(SYS_BAD_ARGUMENT,
        GetFileVersionString(
            Library("version_5_1.dll").c_str(), "ProductVersion", nullptr, nullptr));
}

// A system whose version text comes without a terminator inside its reported length still
// gives a terminated value.
const char UNTERMINATED[] = { '6', '.', '0', 'X', 'X' };

bool FakeQuery(
    installlib::os::VersionInfo*, const char* subBlock, const void** value, uint32_t* length)
{
    static const uint8_t translation[4] = { 0x09, 0x04, 0xb0, 0x04 };
    const bool isTranslation = std::string(subBlock) == "\\VarFileInfo\\Translation";
    *value = isTranslation ? static_cast<const void*>(translation) : UNTERMINATED;
    *length = isTranslation ? 4 : 3;
    return isTranslation || std::string(subBlock) == "\\StringFileInfo\\040904b0\\ProductVersion";
}

TEST_F(InstallLibVersion, ReportedLengthWithoutTerminatorIsTerminated)
{
    m_calls.queryVersionValue = FakeQuery;
    uint32_t size = 0;
    EXPECT_EQ("6.0", Read(Library("version_5_1.dll"), "ProductVersion", 128, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ("status 10 untouched", Read(Library("version_5_1.dll"), "ProductVersion", 3));
}

}
