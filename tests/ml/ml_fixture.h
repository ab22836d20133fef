// The fixture of the text database tests: an empty table before and after every test, and a
// sink that records load errors instead of showing them (a message box would stop the run).
#pragma once

#include "ml/ml_internal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mltest {

struct ReportedError {
    std::string fileName;
    int32_t line;
    std::u16string message;
};

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
        if (Errors().empty())
            return u"<no message>";
        if (Errors().size() > 1)
            return u"<several messages>";
        return Errors()[0].message;
    }

    // Loads 8-bit definition text (each char one byte) for the language.
    static int Load(std::string_view text, const char* language = "ENG")
    {
        return LoadBytes(std::vector<uint8_t>(text.begin(), text.end()), language);
    }
    static int LoadBytes(const std::vector<uint8_t>& bytes, const char* language = "ENG")
    {
        return ml::detail::LoadDefinitionBytes(bytes.data(), bytes.size(), "test.txt", language);
    }
    static std::u16string Text(int32_t id) { return ML_GetStringW(id); }

private:
    static void Record(const char* fileName, int32_t line, const char16_t* message)
    {
        Errors().push_back({ fileName, line, message });
    }
    ML_ErrorSink m_previousSink = nullptr;
};

// Text as UTF-16 little-endian bytes, optionally after a byte-order mark.
inline std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool byteOrderMark)
{
    std::vector<uint8_t> bytes;
    if (byteOrderMark)
        bytes = { 0xFF, 0xFE };
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

}
