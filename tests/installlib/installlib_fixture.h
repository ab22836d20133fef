// The tests' hold on the module: a copy of the system-call table put in place for each test, so
// that a test can stand in for single calls (or force the 8-bit calls) and the next test starts
// with the system's own again, and helpers for files and wide text.
#pragma once

#include "installlib/installlib.h"
#include "installlib/installlib_internal.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test {

using installlib::detail::SystemCalls;

inline bool WideFamily()
{
    return true;
}

inline bool AnsiFamily()
{
    return false;
}

class InstallLibFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_calls = installlib::detail::NativeSystemCalls();
        installlib::detail::ReplaceSystemCalls(&m_calls);
    }
    void TearDown() override
    {
        for (; m_starts > 0; --m_starts)
            DoneInstallLib();
        installlib::detail::ReplaceSystemCalls(nullptr);
    }
    // Starts the module with the wide calls, or as on a system that only has the 8-bit ones.
    void Start(bool wide = true)
    {
        m_calls.hasWideCalls = wide ? WideFamily : AnsiFamily;
        ASSERT_EQ(1, InitInstallLib());
        ++m_starts;
    }
    void Done()
    {
        ASSERT_GT(m_starts, 0);
        DoneInstallLib();
        --m_starts;
    }

    std::u16string PathOf(const std::string& name) const
    {
        return (m_dir.Path() / name).u16string();
    }

    SystemCalls m_calls {};
    TempDir m_dir;
    int m_starts = 0;
};

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string ReadText(const std::filesystem::path& path)
{
    std::vector<uint8_t> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}
