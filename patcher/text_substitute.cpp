// Filling values into texts of the language files. Those texts come from outside, so they are
// never used as format strings: only "%s" and "%%" mean anything, and every other "%" is text.
#include "patcher/patcher.h"

int PTCH_Substitute(char16_t* output, size_t capacity, const char16_t* text,
    const char16_t* const* values, size_t count)
{
    if (output == nullptr || capacity == 0)
        return 0;
    size_t length = 0;
    size_t used = 0;
    bool fits = true;
    auto put = [&](char16_t c) {
        if (length + 1 < capacity)
            output[length++] = c;
        else
            fits = false;
    };
    for (const char16_t* at = text != nullptr ? text : u""; *at != 0; ++at) {
        if (at[0] == u'%' && at[1] == u'%') {
            put(u'%');
            ++at;
        } else if (at[0] == u'%' && at[1] == u's' && used < count) {
            for (const char16_t* value = values[used++]; value != nullptr && *value != 0; ++value)
                put(*value);
            ++at;
        } else {
            put(*at);
        }
    }
    output[length] = 0;
    return fits ? 1 : 0;
}
