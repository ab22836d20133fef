// Folder listings on Win32 with FindFirstFileA / FindNextFileA / FindClose; the system's own
// wildcard rules apply. The "." and ".." entries are not passed on.
#include "bigfile/os_file.h"

#include <cstring>
#include <windows.h>

namespace bigfile::os {

bool ListFolder(const char* pattern, FolderVisitor visit, void* context)
{
    WIN32_FIND_DATAA found {};
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
            continue;
        visit(context, found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

}
