// The installer's start folder and the wide paths of the archives that lie in it: the staged
// installer data "patcher.cbf" and the patch archives. The start folder is 8-bit text in the
// file-API code page, so it is converted with that code page, never widened byte by byte.
#include "patcher/patcher_internal.h"

#include "ml/ml.h"

namespace {

using namespace patcher::detail;

char g_startFolder[PATH_CAPACITY];

bool AppendWide(char16_t* destination, size_t capacity, const char16_t* source)
{
    const size_t used = SYS_WStrLen(destination);
    return used < capacity
        && SYS_WStrCopy(destination + used, capacity - used, source) < capacity - used;
}

// The folder part of the start folder, wide, ending in "\\" unless it is empty.
bool WideStartFolder(char16_t* folder, size_t capacity)
{
    char16_t whole[PATH_CAPACITY];
    if (!FileApiToWidePath(whole, PATH_CAPACITY, g_startFolder)
        || SYS_WPathDir(folder, capacity, whole) >= capacity)
        return false;
    const size_t length = SYS_WStrLen(folder);
    if (length == 0 || folder[length - 1] == u'\\' || folder[length - 1] == u'/')
        return true;
    return AppendWide(folder, capacity, u"\\");
}

// The archive's file name: base name and "cbf", numbered when the patch has several archives.
bool ArchiveFileName(uint32_t n, char16_t* name, size_t capacity)
{
    const char16_t* baseName = ML_GetFlag(PTCH_ID_ARCHIVE_BASE_NAME)
        ? ML_GetStringW(PTCH_ID_ARCHIVE_BASE_NAME)
        : u"patch";
    const int length = PTCH_GetPatchArchiveCount() < 2
        ? SYS_WFormat(name, capacity, u"%s.%s", baseName, u"cbf")
        : SYS_WFormat(name, capacity, u"%s%02u.%s", baseName, n, u"cbf");
    return length >= 0 && static_cast<size_t>(length) < capacity;
}

}

int PTCH_SetStartFolder(const char* folder)
{
    if (SYS_StrCopy(g_startFolder, sizeof g_startFolder, folder) < sizeof g_startFolder)
        return 1;
    g_startFolder[0] = 0;
    return 0;
}

const char* PTCH_GetStartFolder()
{
    return g_startFolder;
}

int GetPatchArchivePath(
    uint32_t n, char16_t* path, size_t capacity, char* folderName, size_t folderCapacity)
{
    char16_t name[PATH_CAPACITY];
    if (path == nullptr || capacity == 0 || folderName == nullptr
        || SYS_StrCopy(folderName, folderCapacity, "patch") >= folderCapacity)
        return 0;
    if (WideStartFolder(path, capacity) && ArchiveFileName(n, name, PATH_CAPACITY)
        && AppendWide(path, capacity, name))
        return 1;
    path[0] = 0;
    return 0;
}

int PTCH_GetInstallerArchivePath(char16_t* path, size_t capacity)
{
    char joined[PATH_CAPACITY];
    if (path == nullptr || capacity == 0)
        return 0;
    if (JoinPath(joined, sizeof joined, g_startFolder, "patcher.cbf")
        && FileApiToWidePath(path, capacity, joined))
        return 1;
    path[0] = 0;
    return 0;
}
