// Escapes of stored texts: "\n" a line feed, "\\" one backslash, "\/" a slash (so that two
// slashes can be written without starting a comment). Resolved in place when a text is stored.
#include "ml/ml_internal.h"

namespace ml::detail {
namespace {

// The unit an escape pair stands for, or 0 when the pair stays as written.
char16_t Escaped(char16_t c)
{
    switch (c) {
    case u'n':
        return u'\n';
    case u'\\':
        return u'\\';
    case u'/':
        return u'/';
    default:
        return 0;
    }
}

}

void ResolveEscapes(std::u16string& text)
{
    size_t out = 0;
    for (size_t in = 0; in < text.size(); ++in) {
        char16_t resolved = in + 1 < text.size() && text[in] == u'\\' ? Escaped(text[in + 1]) : 0;
        if (resolved != 0) {
            text[out++] = resolved;
            ++in;
        } else {
            text[out++] = text[in];
        }
    }
    text.resize(out);
}

}
