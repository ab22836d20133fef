// Staging files in the temporary folder: a real file (CopyToTemp) or a file of the virtual file
// system (ExtractToTemp) is copied there under its own file name, replacing (never writing
// through) what is there. Every join is checked, so a long folder or file name fails the
// operation instead of overrunning a path buffer.
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;

// The temporary folder followed by fileName; false when either is missing or the path, or the
// caller's output, would not hold it.
bool StagedPath(char16_t* path, const char16_t* fileName, size_t outputCapacity)
{
    return fileName[0] != 0 && TempFolder(path, PATH_CAPACITY)
        && Append(path, PATH_CAPACITY, fileName) && SYS_WStrLen(path) < outputCapacity;
}

// What follows the last "\\" or "/" of path (the whole path when there is none).
template <typename Char> const Char* FileNamePart(const Char* path)
{
    const Char* name = path;
    for (const Char* at = path; *at != 0; ++at)
        if (*at == '\\' || *at == '/')
            name = at + 1;
    return name;
}

}

int CopyToTemp(const char16_t* source, char16_t* output, size_t capacity)
{
    char16_t path[PATH_CAPACITY];
    if (!source || !output || !StagedPath(path, FileNamePart(source), capacity)
        || !CopyDiskFile(path, source))
        return 0;
    (void)SYS_WStrCopy(output, capacity, path);
    return 1;
}

// What is extracted is usually a program to run.
int ExtractToTemp(const char* virtualPath, char16_t* output, size_t capacity)
{
    char16_t fileName[PATH_CAPACITY];
    char16_t path[PATH_CAPACITY];
    if (!virtualPath || !output || !FromFileApi(fileName, PATH_CAPACITY, FileNamePart(virtualPath))
        || !StagedPath(path, fileName, capacity) || !CopyArchiveFile(path, virtualPath)
        || !Sys().allowRunning(path))
        return 0;
    (void)SYS_WStrCopy(output, capacity, path);
    return 1;
}
