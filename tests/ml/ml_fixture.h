// The fixture of the text database tests: an empty table before and after every test, a sink
// that records load errors instead of showing them, and a check of everything a load stored.
#pragma once

#include "ml/ml_internal.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mltest {

struct ReportedError {
    std::string fileName;
    int32_t line;
    std::u16string message;
};

// Every entry that holds a text, ascending id.
using Entries = std::vector<std::pair<int32_t, std::u16string>>;

class MlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ML_Free();
        Errors().clear();
        m_previousSink = ML_SetErrorSink(Record);
    }
    void TearDown() override
    {
        ML_SetErrorSink(m_previousSink);
        ML_Free();
    }

    static std::vector<ReportedError>& Errors()
    {
        static std::vector<ReportedError> errors;
        return errors;
    }
    // The one message reported, or a note that there was not exactly one.
    static std::u16string OnlyMessage()
    {
        TEST_GCC_ALLOW("-Wrestrict")
        if (Errors().size() != 1)
            return u"<" + std::u16string(Errors().empty() ? u"no" : u"several") + u" messages>";
        TEST_GCC_ALLOW_END
        return Errors()[0].message;
    }

    // Loads definition bytes (each char one byte) for the language.
    static int Load(std::string_view bytes, const char* language = "ENG")
    {
        return ml::detail::LoadDefinitionBytes(
            reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "test.txt", language);
    }
    static std::u16string Text(int32_t id) { return ML_GetStringW(id); }
    static Entries Stored()
    {
        Entries entries;
        for (int32_t id = 0; id < ML_ENTRY_COUNT; ++id)
            if (ML_HasString(id))
                entries.emplace_back(id, Text(id));
        return entries;
    }

private:
    static void Record(const char* fileName, int32_t line, const char16_t* message)
    {
        Errors().push_back({ fileName, line, message });
    }
    ML_ErrorSink m_previousSink = nullptr;
};

// A file that loads cleanly for the language, and every entry it leaves holding a text; the
// table-driven test over such cases is in line_parser_test.cpp.
struct LoadCase {
    std::string file;
    Entries stored;
    const char* language = "ENG";
};

class MlLoads : public MlTest, public ::testing::WithParamInterface<LoadCase> { };

// Text as UTF-16 little-endian bytes, optionally after a byte-order mark.
inline std::string Utf16(std::u16string_view text, bool byteOrderMark = false)
{
    std::string bytes = byteOrderMark ? "\xFF\xFE" : "";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// A file whose defines D1..Dn each double the one before, the text of entry 1 being $Dn$:
// 2^(n + 4) units after substitution.
inline std::string DoublingDefines(int n)
{
    std::string file = "#DEFINE D0 0123456789abcdef\n";
    for (int i = 1; i <= n; ++i) {
        const std::string previous = "$D" + std::to_string(i - 1) + "$";
        file += "#DEFINE D" + std::to_string(i) + " " + previous + previous + "\n";
    }
    return file + "#1:\n#ENG $D" + std::to_string(n) + "$\n";
}

}
