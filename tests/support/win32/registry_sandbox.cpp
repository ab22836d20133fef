// The registry sandbox on Windows: a fresh key of the real registry, deleted afterwards with
// everything below it.
#include "tests/support/registry_sandbox.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace test {

namespace {

bool DeleteTree(HKEY parent, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return true; // nothing was made below the root
    char name[256];
    bool emptied = true;
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr)
            != ERROR_SUCCESS)
            break;
        if (!DeleteTree(key, name)) {
            emptied = false;
            break;
        }
    }
    RegCloseKey(key);
    return emptied && RegDeleteKeyA(parent, path) == ERROR_SUCCESS;
}

}

struct RegistrySandbox::Backend { };

RegistrySandbox::RegistrySandbox()
    : m_root(UniqueTestKeyPath())
{
}

RegistrySandbox::~RegistrySandbox()
{
    EXPECT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, m_root.c_str())) << "key left behind: " << m_root;
    // The shared parent goes too once no other run's key is below it.
    (void)RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\PatcherTests");
}

}
