// Shared helpers of the test programs: a temporary folder that cleans up after itself, buffers
// with guard zones that show any write past the capacity handed to the code under test, and a
// catcher of the reasons the modules send to the trace.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// GCC 12 (MinGW-w64 at -O2) reports writes into a std::vector or std::string that it cannot
// size as overflowing it (-Wstringop-overflow, -Warray-bounds, -Wrestrict). TEST_GCC_ALLOW(w)
// and TEST_GCC_ALLOW_END around the statement it names silence that one warning there only.
#if defined(__GNUC__) && !defined(__clang__)
#define TEST_GCC_PRAGMA(text) _Pragma(#text)
#define TEST_GCC_ALLOW(warning)                                                                    \
    TEST_GCC_PRAGMA(GCC diagnostic push) TEST_GCC_PRAGMA(GCC diagnostic ignored warning)
#define TEST_GCC_ALLOW_END TEST_GCC_PRAGMA(GCC diagnostic pop)
#else
#define TEST_GCC_ALLOW(warning)
#define TEST_GCC_ALLOW_END
#endif

namespace test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder joined with name, as a UTF-8 string for the 8-bit calls.
    std::string File(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

// capacity units between two guard zones filled with a known pattern. Data() is what the code
// under test may write; GuardsIntact() tells whether anything outside it was touched.
template <typename T> class GuardedBuffer {
public:
    static constexpr size_t GUARD = 16;
    static constexpr T PATTERN = static_cast<T>(0x5A);

    explicit GuardedBuffer(size_t capacity, T fill = static_cast<T>(0x77))
        : m_units(capacity + 2 * GUARD, PATTERN)
        , m_capacity(capacity)
    {
        for (size_t i = 0; i < capacity; ++i) {
            TEST_GCC_ALLOW("-Wstringop-overflow")
            m_units[GUARD + i] = fill;
            TEST_GCC_ALLOW_END
        }
    }
    T* Data() { return m_units.data() + GUARD; }
    size_t Capacity() const { return m_capacity; }
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < GUARD; ++i)
            if (m_units[i] != PATTERN || m_units[GUARD + m_capacity + i] != PATTERN)
                return false;
        return true;
    }

private:
    std::vector<T> m_units;
    size_t m_capacity;
};

// Collects the texts sent to the diagnostic trace while it lives, so that a test can tell which
// check refused its input, not only that something did.
class TraceCatcher {
public:
    TraceCatcher();
    ~TraceCatcher();
    TraceCatcher(const TraceCatcher&) = delete;
    TraceCatcher& operator=(const TraceCatcher&) = delete;

    static std::vector<std::string>& Texts();
    // The latest text, or "" when nothing was traced.
    static std::string Last();

private:
    SYS_TraceSink m_previous;
};

// Wide text from an ASCII literal, and back, for readable expectations.
std::u16string Wide(const char* ascii);
std::string Narrow(const std::u16string& wide);

}
