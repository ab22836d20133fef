// The registry on Win32: a check with the system's own calls that values land in
// HKEY_LOCAL_MACHINE with the types and sizes the platform layer promises.
#include "platform/platform.h"
#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

TEST(RegistryWin32Test, ValuesLandInTheMachineKeyWithTheirTypes)
{
    test::RegistrySandbox sandbox;
    SYS_RegKey key = SYS_RegCreateKey(sandbox.Root().c_str());
    ASSERT_NE(key, 0u);
    ASSERT_EQ(SYS_RegSetString(key, "Text", nullptr), SYS_OK);
    ASSERT_EQ(SYS_RegSetDword(key, "Number", 0x01020304), SYS_OK);
    EXPECT_EQ(SYS_RegCloseKey(key), static_cast<uint32_t>(ERROR_SUCCESS));

    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, sandbox.Root().c_str(), &raw), ERROR_SUCCESS);
    DWORD type = 0;
    BYTE data[8] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(raw, "Text", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 1u) << "the empty text with its terminator";
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(raw, "Number", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 0x04);
    RegCloseKey(raw);
    EXPECT_EQ(SYS_RegCloseKey(0), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
}

}
