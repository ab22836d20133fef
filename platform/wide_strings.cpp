// Wide strings (16-bit units): copy, compare, length, upper-case copy, path splitting, the
// comment stripper of the text definition parser, and plain widening and narrowing.
#include "platform/bounded_text.h"
#include "platform/platform.h"

using namespace platform::detail;

size_t SYS_WStrCopy(char16_t* destination, size_t capacity, const char16_t* source)
{
    return CopyText(destination, capacity, source, TextLength(source));
}

uint32_t SYS_WStrCompare(const char16_t* first, const char16_t* second)
{
    return CompareText<char16_t>(first, second);
}

size_t SYS_WStrLen(const char16_t* text)
{
    return TextLength(text);
}

size_t SYS_WStrUpperCopy(char16_t* destination, size_t capacity, const char16_t* source)
{
    // Only the ASCII letters change; accented letters stay as they are.
    return CopyMapped(destination, capacity, source, TextLength(source), [](char16_t c) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
    });
}

size_t SYS_WPathDir(char16_t* destination, size_t capacity, const char16_t* path)
{
    return CopyPathDir(destination, capacity, path);
}

size_t SYS_WPathFileName(char16_t* destination, size_t capacity, const char16_t* path)
{
    return CopyPathFileName(destination, capacity, path);
}

size_t SYS_WStripComments(
    char16_t* destination, size_t capacity, const char16_t* line, uint32_t* insideBlock)
{
    if (!destination)
        return 0;
    BoundedWriter<char16_t> out(destination, capacity);
    // The block comment state runs on from the previous line; quotation marks get no special
    // treatment, so a "//" inside quoted text also ends the line.
    bool inside = insideBlock && *insideBlock != 0;
    for (const char16_t* c = line; c && *c != 0; ++c) {
        if (inside) {
            if (c[0] == u'*' && c[1] == u'/') {
                inside = false;
                ++c;
            }
        } else if (c[0] == u'/' && c[1] == u'/') {
            break;
        } else if (c[0] == u'/' && c[1] == u'*') {
            inside = true;
            ++c;
        } else {
            out.Put(*c);
        }
    }
    if (insideBlock)
        *insideBlock = inside ? 1 : 0;
    return out.Finish();
}

size_t SYS_StrToWStr(char16_t* destination, size_t capacity, const char* source)
{
    return CopyMapped(destination, capacity, source, TextLength(source),
        [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
}

size_t SYS_WStrToStr(char* destination, size_t capacity, const char16_t* source)
{
    return CopyMapped(destination, capacity, source, TextLength(source),
        [](char16_t c) { return c <= 0xFF ? static_cast<char>(c) : '?'; });
}
