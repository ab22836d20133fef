// The registry operations' contract, run on whichever backend is built: natively against a
// temporary hive file, under Wine against the prefix's real registry.
#include "platform/platform.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

// Each test starts with a fresh key "Values" in its sandbox.
class RegistryTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(m_key = SYS_RegCreateKey(Path("Values").c_str()), 0u); }
    void TearDown() override { (void)SYS_RegCloseKey(m_key); }

    std::string Path(const char* below) const { return m_sandbox.Root() + "\\" + below; }

    // The value's bytes, read with the size the registry reports for it.
    std::string ReadBack(const char* name, SYS_RegKey key = 0)
    {
        uint32_t size = 0;
        EXPECT_EQ(SYS_RegQuerySize(key ? key : m_key, name, &size), SYS_OK) << name;
        test::GuardedBuffer<char> buffer(size);
        uint32_t bytesRead = 0xDEAD;
        EXPECT_EQ(
            SYS_RegQueryValue(key ? key : m_key, name, buffer.Data(), size, &bytesRead), SYS_OK);
        EXPECT_EQ(bytesRead, size) << name;
        EXPECT_TRUE(buffer.GuardsIntact()) << name;
        return std::string(buffer.Data(), size);
    }

    test::RegistrySandbox m_sandbox;
    SYS_RegKey m_key = 0;
};

TEST_F(RegistryTest, BatchedValuesAreStoredByTheCommit)
{
    ASSERT_EQ(SYS_RegBeginBatch(m_key), SYS_OK);
    ASSERT_EQ(SYS_RegSetString(m_key, "Name", "text"), SYS_OK);
    ASSERT_EQ(SYS_RegSetDword(m_key, "Number", 7), SYS_OK);
    ASSERT_EQ(SYS_RegSetDword(m_key, "Number", 8), SYS_OK);
    ASSERT_EQ(SYS_RegCommitBatch(m_key), SYS_OK);
    EXPECT_EQ(ReadBack("Name"), std::string("text", 5));
    EXPECT_EQ(ReadBack("Number"), std::string("\x08\0\0\0", 4));
    EXPECT_EQ(SYS_RegCommitBatch(m_key), SYS_OK) << "nothing to commit";
    EXPECT_EQ(SYS_RegBeginBatch(0), SYS_OS_ERROR);
}

TEST_F(RegistryTest, ValuesRoundTripWithTheSizeTheyWereWrittenWith)
{
    const uint8_t binary[] = { 0x00, 0xFF, 0x0D, 0x0A, 0x22, 0x5C, 0x00 };
    ASSERT_EQ(SYS_RegSetString(m_key, "Path", "C:\\Games\\\"Quoted\""), SYS_OK);
    ASSERT_EQ(SYS_RegSetString(m_key, "Empty", ""), SYS_OK);
    ASSERT_EQ(SYS_RegSetString(m_key, "Null", nullptr), SYS_OK);
    ASSERT_EQ(SYS_RegSetDword(m_key, "Version", 0x12345678), SYS_OK);
    ASSERT_EQ(SYS_RegSetValue(m_key, "Blob", SYS_REG_BINARY, binary, sizeof binary), SYS_OK);
    ASSERT_EQ(SYS_RegSetValue(m_key, "Nothing", SYS_REG_BINARY, nullptr, 0), SYS_OK);

    EXPECT_EQ(ReadBack("Path"), std::string("C:\\Games\\\"Quoted\"\0", 18));
    EXPECT_EQ(ReadBack("Empty"), std::string(1, '\0'));
    EXPECT_EQ(ReadBack("Null"), std::string(1, '\0'));
    EXPECT_EQ(ReadBack("Version"), "\x78\x56\x34\x12");
    EXPECT_EQ(ReadBack("Blob"), std::string(reinterpret_cast<const char*>(binary), 7));
    EXPECT_EQ(ReadBack("Nothing"), "");
}

TEST_F(RegistryTest, ValuesThatDoNotFitOrDoNotExistFail)
{
    ASSERT_EQ(SYS_RegSetString(m_key, "Text", "abc"), SYS_OK);
    ASSERT_EQ(SYS_RegSetDword(m_key, "Number", 7), SYS_OK);
    test::GuardedBuffer<char> buffer(3);
    uint32_t sizeOrRead = 0xDEAD;
    EXPECT_EQ(SYS_RegQueryValue(m_key, "Text", buffer.Data(), 3, &sizeOrRead), SYS_OS_ERROR);
    EXPECT_EQ(SYS_RegQueryValue(m_key, "Number", buffer.Data(), 3, &sizeOrRead), SYS_OS_ERROR);
    EXPECT_EQ(SYS_RegQueryValue(m_key, "Missing", buffer.Data(), 3), SYS_OS_ERROR);
    EXPECT_EQ(SYS_RegQuerySize(m_key, "Missing", &sizeOrRead), SYS_OS_ERROR);
    EXPECT_TRUE(buffer.GuardsIntact());
    EXPECT_EQ(sizeOrRead, 0xDEADu) << "outputs are written only on success";
}

TEST_F(RegistryTest, OpeningFindsOnlyKeysThatExist)
{
    EXPECT_EQ(SYS_RegOpenKey(Path("Made\\Below").c_str()), 0u);
    SYS_RegKey made = SYS_RegCreateKey(Path("Made\\Below").c_str());
    ASSERT_NE(made, 0u);
    ASSERT_EQ(SYS_RegSetDword(made, "Kept", 5), SYS_OK);
    EXPECT_EQ(SYS_RegCloseKey(made), 0u);

    SYS_RegKey parent = SYS_RegOpenKey(Path("Made").c_str());
    EXPECT_NE(parent, 0u) << "creating a key makes its parents";
    EXPECT_EQ(SYS_RegOpenKey(Path("Made\\Other").c_str()), 0u);
    SYS_RegKey again = SYS_RegCreateKey(Path("Made\\Below").c_str());
    EXPECT_EQ(ReadBack("Kept", again), std::string("\5\0\0\0", 4)) << "creating opens an old key";
    (void)SYS_RegCloseKey(parent);
    (void)SYS_RegCloseKey(again);
}

TEST_F(RegistryTest, NamesIgnoreLetterCaseAndTheEmptyNameIsTheDefault)
{
    ASSERT_EQ(SYS_RegSetString(m_key, "InstallPath", "first"), SYS_OK);
    ASSERT_EQ(SYS_RegSetString(m_key, "INSTALLPATH", "second value"), SYS_OK);
    uint32_t size = 0;
    EXPECT_EQ(SYS_RegQuerySize(m_key, nullptr, &size), SYS_OS_ERROR);
    ASSERT_EQ(SYS_RegSetString(m_key, "", "main"), SYS_OK);

    std::string upper = Path("VALUES");
    std::transform(upper.begin(), upper.end(), upper.begin(),
        [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    SYS_RegKey key = SYS_RegOpenKey(upper.c_str());
    ASSERT_NE(key, 0u);
    EXPECT_EQ(ReadBack("installpath", key), std::string("second value\0", 13));
    EXPECT_EQ(ReadBack(nullptr, key), std::string("main\0", 5));
    (void)SYS_RegCloseKey(key);
}

TEST_F(RegistryTest, MissingArgumentsAreRefusedWithoutTouchingTheKey)
{
    EXPECT_EQ(SYS_RegCreateKey(nullptr), 0u);
    EXPECT_EQ(SYS_RegOpenKey(nullptr), 0u);
    EXPECT_NE(SYS_RegCloseKey(0), 0u);
    const uint8_t byte = 1;
    EXPECT_EQ(SYS_RegSetString(m_key, nullptr, "text"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_RegSetDword(m_key, nullptr, 1), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_RegSetValue(m_key, nullptr, SYS_REG_BINARY, &byte, 1), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_RegSetValue(m_key, "Data", SYS_REG_BINARY, nullptr, 1), SYS_BAD_ARGUMENT);
    // Nothing was written, not even as the default value that a null name means to a query.
    uint32_t size = 0;
    EXPECT_EQ(SYS_RegQuerySize(m_key, nullptr, &size), SYS_OS_ERROR);
    EXPECT_EQ(SYS_RegQuerySize(m_key, "Data", &size), SYS_OS_ERROR);
    EXPECT_EQ(SYS_RegQuerySize(m_key, "Data", nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_RegQueryValue(m_key, "Data", nullptr, 4), SYS_BAD_ARGUMENT);
}

}
