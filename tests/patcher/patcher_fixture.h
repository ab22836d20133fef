// The tests' hold on the installer module: a registry of their own (a temporary hive natively, a
// fresh key of the real registry on Windows) that the module's registry calls are redirected
// into, an empty text database and version record store after every test, and helpers to put
// values and files in place.
#pragma once

#include "installlib/installlib.h"
#include "ml/ml.h"
#include "patcher/patcher.h"
#include "patcher/patcher_internal.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace test {

// The module's key paths, placed below the sandbox's root.
std::string SandboxPath(const char* path);

// The installation operations started for the life of a fixture, as the installer starts them
// before anything stages a file: the staging folder is then made below the test's temporary
// folder and removed with the last stop, never left behind for a later test.
class InstallLibSession {
public:
    InstallLibSession() { EXPECT_NE(0, InitInstallLib()); }
    ~InstallLibSession() { DoneInstallLib(); }
    InstallLibSession(const InstallLibSession&) = delete;
    InstallLibSession& operator=(const InstallLibSession&) = delete;
};

class PatcherFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A key of the sandbox, created (or opened) at a path the module uses; closed by TearDown.
    SYS_RegKey Key(const std::string& path);
    // Whether the value exists, and its bytes.
    bool HasValue(const std::string& keyPath, const char* name);
    std::string Text(const std::string& keyPath, const char* name);
    uint32_t Dword(const std::string& keyPath, const char* name);

    // A folder below the test's temporary folder, created, as an 8-bit path in the system's form.
    std::string Folder(const std::string& name);

    patcher::detail::SystemCalls m_calls {};
    RegistrySandbox m_sandbox;
    TempDir m_dir;
    std::vector<SYS_RegKey> m_keys;
};

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Every file and folder below root, as relative paths, for before-and-after comparisons.
std::vector<std::string> TreeOf(const std::filesystem::path& root);

inline constexpr const char* GAME_KEY = "SOFTWARE\\Varnholt\\Ashgrove";
inline constexpr const char* VERSION_KEY = "SOFTWARE\\Varnholt\\Ashgrove\\Version Info";

}
