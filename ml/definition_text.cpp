// From a definition file's bytes to its lines: the encoding decision, widening, and the line
// reader that cuts the text in place and removes comments, carrying block comments from one
// line to the next.
#include "ml/ml_internal.h"

#include "platform/platform.h"

namespace ml::detail {
namespace {

constexpr char16_t BYTE_ORDER_MARK = 0xFEFF;
// A carriage return and line feed of an 8-bit file read as one UTF-16 unit.
constexpr char16_t SWAPPED_LINE_END = 0x0A0D;

// UTF-16 needs an even size of at least 2 and some unit whose high byte (the odd byte) is zero;
// plain 8-bit text seldom has a zero byte at all.
bool IsUtf16(const uint8_t* bytes, size_t size)
{
    if (size < 2 || size % 2 != 0)
        return false;
    for (size_t i = 1; i < size; i += 2)
        if (bytes[i] == 0)
            return true;
    return false;
}

// The units of the bytes in their encoding.
std::u16string DecodeUnits(const uint8_t* bytes, size_t size)
{
    std::u16string text;
    if (!IsUtf16(bytes, size)) {
        // Each byte becomes the unit of the same value, without code-page translation.
        text.resize(size);
        for (size_t i = 0; i < size; ++i)
            text[i] = bytes[i];
        return text;
    }
    text.resize(size / 2);
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(SYS_LoadU16(bytes + 2 * i));
    if (!text.empty() && text[0] == BYTE_ORDER_MARK)
        text.erase(0, 1);
    return text;
}

}

// The file is parsed as one terminated text, so nothing after a NUL unit is read, neither the
// rest of its line nor the lines after it.
std::u16string DecodeDefinitionBytes(const uint8_t* bytes, size_t size)
{
    std::u16string text = DecodeUnits(bytes, size);
    if (size_t end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    return text;
}

LineReader::LineReader(std::u16string& text)
    : m_text(text)
{
}

bool LineReader::Next(std::u16string_view& content)
{
    while (m_position < m_text.size()) {
        // Cut the line at its end so that it reads as a terminated string; the text's own
        // terminator ends the last line when it has no line feed.
        size_t start = m_position;
        size_t end = start;
        while (end < m_text.size() && m_text[end] != u'\n' && m_text[end] != SWAPPED_LINE_END)
            ++end;
        if (end < m_text.size() && m_text[end] == u'\n' && end > start && m_text[end - 1] == u'\r')
            m_text[end - 1] = 0;
        if (end < m_text.size())
            m_text[end] = 0;
        m_position = end + 1;
        ++m_lineNumber;

        m_stripped.resize(end - start + 1);
        size_t length = SYS_WStripComments(
            m_stripped.data(), m_stripped.size(), m_text.data() + start, &m_insideBlock);
        if (m_insideBlock != 0)
            continue;
        content = std::u16string_view(m_stripped.data(), length);
        return true;
    }
    return false;
}

}
