// Whether a path is rooted. One rule on every system, because the names it judges (archive
// members, data-file entries) come from data that both systems read: a name refused on one must
// be refused on the other, or it could escape its folder there.
#include "platform/platform.h"

namespace {

template <typename Char> bool IsDriveLetter(Char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A leading "\\" or "/" (a root, or "\\\\server\\share"), or a drive letter and ":", which
// Windows resolves on that drive even without a separator after it ("C:name").
template <typename Char> bool IsRooted(const Char* path)
{
    if (path == nullptr || path[0] == 0)
        return false;
    if (path[0] == '\\' || path[0] == '/')
        return true;
    return IsDriveLetter(path[0]) && path[1] == ':';
}

}

bool SYS_PathIsAbsolute(const char* path)
{
    return IsRooted(path);
}

bool SYS_WPathIsAbsolute(const char16_t* path)
{
    return IsRooted(path);
}
