// Message boxes on POSIX: there is no window to show one in, so the text goes to the error
// stream as one line and the box counts as answered with Cancel (or OK).
#include "bigfile/os_file.h"

#include <cstdio>

namespace bigfile::os {

bool AskRetry(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return false;
}

void ShowMessage(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

}
