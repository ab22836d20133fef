// The fixture of the installer module's tests (a "_test" file so that the test program takes it
// in): the module's registry calls redirected below the sandbox's root, and the clean-up that
// leaves the next test with an empty text database, an inactive record store and native calls.
#include "tests/patcher/patcher_fixture.h"

#include <algorithm>

namespace test {

namespace {

std::string g_root;

SYS_RegKey OpenRedirected(const char* path)
{
    return path != nullptr ? SYS_RegOpenKey(SandboxPath(path).c_str()) : 0;
}

SYS_RegKey CreateRedirected(const char* path)
{
    return path != nullptr ? SYS_RegCreateKey(SandboxPath(path).c_str()) : 0;
}

}

std::string SandboxPath(const char* path)
{
    return g_root + "\\" + path;
}

void PatcherFixture::SetUp()
{
    g_root = m_sandbox.Root();
    m_calls = patcher::detail::NativeSystemCalls();
    m_calls.openKey = OpenRedirected;
    m_calls.createKey = CreateRedirected;
    patcher::detail::ReplaceSystemCalls(&m_calls);
}

void PatcherFixture::TearDown()
{
    VI_Done();
    ML_Free();
    (void)PTCH_SetStartFolder("");
    for (SYS_RegKey key : m_keys)
        (void)SYS_RegCloseKey(key);
    patcher::detail::ReplaceSystemCalls(nullptr);
}

SYS_RegKey PatcherFixture::Key(const std::string& path)
{
    SYS_RegKey key = SYS_RegCreateKey(SandboxPath(path.c_str()).c_str());
    EXPECT_NE(0u, key) << path;
    m_keys.push_back(key);
    return key;
}

bool PatcherFixture::HasValue(const std::string& keyPath, const char* name)
{
    uint32_t size = 0;
    return SYS_RegQuerySize(Key(keyPath), name, &size) == SYS_OK;
}

std::string PatcherFixture::Text(const std::string& keyPath, const char* name)
{
    SYS_RegKey key = Key(keyPath);
    uint32_t size = 0;
    if (SYS_RegQuerySize(key, name, &size) != SYS_OK)
        return "(missing)";
    std::string bytes(size, '\0');
    EXPECT_EQ(SYS_OK, SYS_RegQueryValue(key, name, bytes.data(), size));
    return bytes.substr(0, bytes.find('\0'));
}

uint32_t PatcherFixture::Dword(const std::string& keyPath, const char* name)
{
    uint8_t bytes[4] = {};
    EXPECT_EQ(SYS_OK, SYS_RegQueryValue(Key(keyPath), name, bytes, sizeof bytes)) << name;
    return SYS_LoadU32(bytes);
}

std::string PatcherFixture::Folder(const std::string& name)
{
    std::filesystem::create_directories(m_dir.Path() / name);
    return m_dir.File(name);
}

std::vector<std::string> TreeOf(const std::filesystem::path& root)
{
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        entries.push_back(std::filesystem::relative(entry.path(), root).generic_string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

}
