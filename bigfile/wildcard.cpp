// Wildcard matching of archive names: "?" matches one character, the first "*" skips to the
// name's last extension (or its end) and every later "*" to the end, so "*.*" matches every
// name, "*.TGA" names whose last extension is TGA, and "*" alone names without a ".".
#include "bigfile/bigfile_internal.h"

namespace bigfile::detail {

size_t FolderPartLength(const char* path)
{
    size_t length = 0;
    for (size_t i = 0; path[i] != '\0'; ++i)
        if (path[i] == '\\')
            length = i + 1;
    return length;
}

namespace {

bool SameFolded(const char* first, const char* second, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (UpperAscii(first[i]) != UpperAscii(second[i]))
            return false;
    return true;
}

// Where the first "*" leaves the name: at its last "." from index on, or at its end.
size_t LastExtension(const char* name, size_t index, size_t length)
{
    for (size_t i = length; i > index; --i)
        if (name[i - 1] == '.')
            return i - 1;
    return length;
}

bool MatchFilePart(const char* name, const char* pattern)
{
    const size_t length = SYS_StrLen(name);
    size_t index = 0;
    bool starSeen = false;
    for (const char* at = pattern; *at != '\0'; ++at) {
        if (index == length) // 'README' still matches 'README.*'
            return at[0] == '.' && at[1] == '*';
        if (*at == '*') {
            index = starSeen ? length : LastExtension(name, index, length);
            starSeen = true;
        } else if (*at == '?' || UpperAscii(*at) == UpperAscii(name[index])) {
            ++index;
        } else {
            return false;
        }
    }
    return index == length;
}

}

}

using namespace bigfile::detail;

int BF_MatchWildcard(const char* name, const char* pattern)
{
    if (name == nullptr || pattern == nullptr || SYS_StrLen(pattern) > SYS_StrLen(name) + 2)
        return 0;
    size_t folder = FolderPartLength(name);
    if (FolderPartLength(pattern) != folder || !SameFolded(name, pattern, folder))
        return 0;
    return MatchFilePart(name + folder, pattern + folder) ? 1 : 0;
}
