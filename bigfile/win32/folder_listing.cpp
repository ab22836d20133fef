// Folder listings on Win32 with FindFirstFileA / FindNextFileA / FindClose; the system's own
// wildcard rules apply. The "." and ".." entries are not passed on, nor is a folder that is a
// reparse point (a symbolic link or junction), which a recursive scan could loop through.
#include "bigfile/os_file.h"

#include <cstring>
#include <windows.h>

namespace bigfile::os {

namespace {

constexpr DWORD FOLDER_LINK = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

}

bool ListFolder(const char* pattern, FolderVisitor visit, void* context)
{
    WIN32_FIND_DATAA found {};
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
            continue;
        if ((found.dwFileAttributes & FOLDER_LINK) == FOLDER_LINK)
            continue;
        visit(context, found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

}
