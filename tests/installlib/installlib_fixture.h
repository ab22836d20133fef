// The tests' hold on the module: a copy of the system-call table put in place for each test, so
// that a test can stand in for single calls (or force the 8-bit calls) and the next test starts
// with the system's own again, and helpers for files and the sleeping test program.
#pragma once

#include "installlib/installlib.h"
#include "installlib/installlib_internal.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace test {

using installlib::detail::SystemCalls;

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Text of either width as 8-bit text (each unit kept as a byte), "-" when absent.
template <typename Char> std::string Text(const Char* text)
{
    return text ? std::string(text, text + std::char_traits<Char>::length(text)) : "-";
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
        m_calls.hasWideCalls = wide ? +[] { return true; } : +[] { return false; };
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
    bool Exists(const std::string& name) const
    {
        return std::filesystem::exists(m_dir.Path() / name);
    }

    // The sleeping program, copied into the test folder (its working folder), told to run for
    // milliseconds and then to leave "done.txt" there.
    std::u16string Sleeper(int milliseconds)
    {
        const std::filesystem::path sleeper(INSTALLLIB_TEST_SLEEPER);
        std::filesystem::copy_file(sleeper, m_dir.Path() / sleeper.filename(),
            std::filesystem::copy_options::overwrite_existing);
        WriteText(m_dir.Path() / "sleep_ms.txt", std::to_string(milliseconds));
        std::filesystem::remove(m_dir.Path() / "done.txt");
        return PathOf(sleeper.filename().string());
    }
    // Waits for the sleeper to end on its own, so that its folder can be removed.
    bool AwaitSleeper() const
    {
        for (int i = 0; i < 200 && !Exists("done.txt"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return Exists("done.txt");
    }

    SystemCalls m_calls {};
    TempDir m_dir;
    int m_starts = 0;
};

}
