// 8-bit strings: copy, compare, length, ASCII case change, token splitting and path splitting.
// Every write is bounded by the caller's capacity (see platform.h).
#include "platform/bounded_text.h"
#include "platform/platform.h"

namespace {

using namespace platform::detail;

bool IsSeparator(char c, const char* separators)
{
    for (const char* s = separators; *s != 0; ++s)
        if (*s == c)
            return true;
    return false;
}

// Adds delta to every byte from first to last and returns the text's length.
size_t ShiftLetters(char* text, char first, char last, int delta)
{
    size_t length = 0;
    if (!text)
        return 0;
    for (; text[length] != 0; ++length)
        if (text[length] >= first && text[length] <= last)
            text[length] = static_cast<char>(text[length] + delta);
    return length;
}

}

size_t SYS_StrCopy(char* destination, size_t capacity, const char* source)
{
    return CopyText(destination, capacity, source, TextLength(source));
}

uint32_t SYS_StrCompare(const char* first, const char* second)
{
    // Signed bytes: text with bytes of 0x80 and above sorts before plain ASCII.
    return CompareText<signed char>(first, second);
}

size_t SYS_StrLen(const char* text)
{
    return TextLength(text);
}

size_t SYS_StrUpper(char* text)
{
    return ShiftLetters(text, 'a', 'z', 'A' - 'a');
}

size_t SYS_StrLower(char* text)
{
    return ShiftLetters(text, 'A', 'Z', 'a' - 'A');
}

uint32_t SYS_SplitTokens(
    char* destination, size_t capacity, const char* source, const char* separators)
{
    if (!destination)
        return 0;
    size_t length = TextLength(source);
    if (capacity < length + 2) {
        // Too small for the worst case: an empty list, as much of its two NULs as fits.
        for (size_t i = 0; i < capacity && i < 2; ++i)
            destination[i] = 0;
        return 0;
    }
    // The output never runs ahead of the input, so destination may be source itself; only
    // the list's closing NUL can land one past the source's terminator.
    const char* set = separators ? separators : "";
    size_t out = 0;
    uint32_t tokens = 0;
    bool inToken = false;
    for (size_t in = 0; in < length; ++in) {
        char c = source[in];
        if (IsSeparator(c, set)) {
            if (inToken)
                destination[out++] = 0;
            inToken = false;
            continue;
        }
        tokens += inToken ? 0 : 1;
        inToken = true;
        destination[out++] = c;
    }
    if (inToken || tokens == 0)
        destination[out++] = 0;
    destination[out] = 0;
    return tokens;
}

size_t SYS_PathDir(char* destination, size_t capacity, const char* path)
{
    return CopyPathDir(destination, capacity, path);
}

size_t SYS_PathFileName(char* destination, size_t capacity, const char* path)
{
    return CopyPathFileName(destination, capacity, path);
}
