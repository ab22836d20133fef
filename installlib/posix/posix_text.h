// Text helpers of the POSIX backend: UTF-16 to and from UTF-8 (the 8-bit text of every call on
// POSIX) and the translation of the system's Windows-style paths into POSIX paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace installlib::posix {

// Strict conversions: an unpaired surrogate or bytes that are not UTF-8 give nothing.
std::optional<std::string> ToUtf8(const char16_t* text, size_t count);
std::optional<std::string> ToUtf8(const char16_t* text);
std::optional<std::u16string> FromUtf8(const char* text);

// "\\" becomes "/"; nothing else changes.
std::string NativePath(std::string path);

// Writes text and its terminator into buffer with the GetTempPath-style answer: the length
// written, or the capacity needed when it does not fit (nothing written).
template <typename Char>
uint32_t AnswerText(const std::basic_string<Char>& text, Char* buffer, uint32_t capacity)
{
    if (text.size() >= capacity)
        return static_cast<uint32_t>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    return static_cast<uint32_t>(text.size());
}

}
