// Temporary folders, the trace catcher and text helpers for the tests.
#include "tests/support/test_support.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace test {

TempDir::TempDir()
{
    static std::atomic<unsigned> serial { 0 };
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        m_path = base / ("patcher-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::error_code error;
        if (std::filesystem::create_directory(m_path, error))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::string TempDir::File(const std::string& name) const
{
    auto joined = (m_path / name).u8string();
    return std::string(joined.begin(), joined.end());
}

TraceCatcher::TraceCatcher()
    : m_previous(
        SYS_SetTraceSink([](uint32_t, int, const char* text) { Texts().emplace_back(text); }))
{
    Texts().clear();
}

TraceCatcher::~TraceCatcher()
{
    (void)SYS_SetTraceSink(m_previous);
}

std::vector<std::string>& TraceCatcher::Texts()
{
    static std::vector<std::string> texts;
    return texts;
}

std::string TraceCatcher::Last()
{
    return Texts().empty() ? std::string() : Texts().back();
}

std::u16string Wide(const char* ascii)
{
    std::u16string out;
    for (; *ascii; ++ascii)
        out.push_back(static_cast<unsigned char>(*ascii));
    return out;
}

std::string Narrow(const std::u16string& wide)
{
    std::string out;
    for (char16_t unit : wide)
        out.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    return out;
}

}
