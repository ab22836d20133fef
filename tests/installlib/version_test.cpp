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
    // The value's text, or its status and whether the output was touched; and the size.
    std::string Read(const std::string& path, const char* name, uint32_t capacity, uint32_t* size)
    {
        GuardedBuffer<char> output(capacity, 'x');
        *size = capacity;
        const SYS_Status status = GetFileVersionString(path.c_str(), name, output.Data(), size);
        EXPECT_TRUE(output.GuardsIntact());
        if (status != SYS_OK)
            return "status " + std::to_string(status)
                + (output.Data()[0] == 'x' ? " untouched" : " written");
        return output.Data();
    }
};

TEST_F(InstallLibVersion, ValuesAreCopiedOnlyWithRoomForTheTerminator)
{
    const std::string long128 = "5." + std::string(126, '1');
    struct Case {
        const char* library;
        const char* name;
        uint32_t capacity;
        std::string expected;
        uint32_t size;
    };
    for (const Case& c :
        {
            Case { "version_5_1.dll", "ProductVersion", 128, "5.1.0.0", 8 },
            Case { "version_5_1.dll", "CompanyName", 128, "Test Maker", 11 },
            Case { "version_5_1.dll", "ProductVersion", 8, "5.1.0.0", 8 },
            Case { "version_5_1.dll", "ProductVersion", 7, "status 10 untouched", 8 },
            Case { "version_long.dll", "ProductVersion", 128, "status 10 untouched", 129 },
            Case { "version_long.dll", "ProductVersion", 129, long128, 129 },
            Case { "version_no_translation.dll", "ProductVersion", 128, "status 3 untouched", 128 },
            Case { "version_5_1.dll", "NoSuchValue", 128, "status 3 untouched", 128 },
            Case { "missing.dll", "ProductVersion", 128, "status 14 untouched", 128 },
        }) {
        uint32_t size = 0;
        EXPECT_EQ(c.expected, Read(Library(c.library), c.name, c.capacity, &size))
            << c.library << c.capacity;
        EXPECT_EQ(c.size, size) << c.library << c.capacity;
    }
    uint32_t size = 0;
    EXPECT_EQ("status 14 untouched", Read(INSTALLLIB_TEST_SLEEPER, "ProductVersion", 128, &size));
    EXPECT_EQ(SYS_SIZE_ONLY,
        GetFileVersionString(Library("version_5_1.dll").c_str(), "ProductVersion", nullptr, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(SYS_BAD_ARGUMENT, GetFileVersionString(nullptr, "ProductVersion", nullptr, &size));
    EXPECT_EQ(SYS_BAD_ARGUMENT,
        GetFileVersionString(
            Library("version_5_1.dll").c_str(), "ProductVersion", nullptr, nullptr));
}

// A system whose version text comes without a terminator inside its reported length still
// gives a terminated value.
bool FakeQuery(
    installlib::os::VersionInfo*, const char* subBlock, const void** value, uint32_t* length)
{
    static const uint8_t translation[4] = { 0x09, 0x04, 0xb0, 0x04 };
    const bool isTranslation = std::string(subBlock) == "\\VarFileInfo\\Translation";
    *value = isTranslation ? static_cast<const void*>(translation) : "6.0XX";
    *length = isTranslation ? 4 : 3;
    return isTranslation || std::string(subBlock) == "\\StringFileInfo\\040904b0\\ProductVersion";
}

TEST_F(InstallLibVersion, ReportedLengthWithoutTerminatorIsTerminated)
{
    m_calls.queryVersionValue = FakeQuery;
    uint32_t size = 0;
    EXPECT_EQ("6.0", Read(Library("version_5_1.dll"), "ProductVersion", 128, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ("status 10 untouched", Read(Library("version_5_1.dll"), "ProductVersion", 3, &size));
}

}
