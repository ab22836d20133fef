// UTF-16 to and from UTF-8 for the POSIX backend, strict both ways, and Windows paths made
// POSIX paths.
#include "installlib/posix/posix_text.h"

#include <cstdint>

namespace installlib::posix {

namespace {

void PutUtf8(std::string& out, uint32_t point)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// The code point of the UTF-8 sequence at text[*at], advancing *at; false for a malformed,
// overlong or surrogate sequence.
bool NextPoint(const unsigned char* text, size_t* at, uint32_t* point)
{
    const unsigned char lead = text[(*at)++];
    int extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3;
    else if (lead >= 0x80)
        return false;
    *point = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const unsigned char next = text[*at];
        if ((next & 0xC0) != 0x80)
            return false;
        *point = *point << 6 | (next & 0x3F);
        ++*at;
    }
    static constexpr uint32_t SMALLEST[] = { 0, 0x80, 0x800, 0x10000 };
    return *point >= SMALLEST[extra] && *point <= 0x10FFFF && (*point < 0xD800 || *point > 0xDFFF);
}

}

std::optional<std::string> ToUtf8(const char16_t* text, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        uint32_t point = text[i];
        if (point >= 0xDC00 && point <= 0xDFFF)
            return std::nullopt;
        if (point >= 0xD800 && point <= 0xDBFF) {
            if (i + 1 >= count || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return std::nullopt;
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        PutUtf8(out, point);
    }
    return out;
}

std::optional<std::string> ToUtf8(const char16_t* text)
{
    return ToUtf8(text, std::char_traits<char16_t>::length(text));
}

std::optional<std::u16string> FromUtf8(const char* text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::u16string out;
    size_t at = 0;
    while (bytes[at] != 0) {
        uint32_t point = 0;
        if (!NextPoint(bytes, &at, &point))
            return std::nullopt;
        if (point >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(point);
        }
    }
    return out;
}

std::string NativePath(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

}
