// Where the worker's bytes go: the replacement of a destination file with the folders it needs,
// and the removal of the temporary files that a killed run left beside its destinations.
#include "patcher/patcher_internal.h"

#include "installlib/installlib.h"

#include <set>
#include <string>

namespace {

using namespace patcher::detail;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Creates every folder on the way to path's last component. Folders that cannot be made are
// passed over: the top ones (a drive, a share, "/home") usually exist already, and a real
// failure shows when the file itself cannot be made.
void CreateFolders(const char* path)
{
    char folder[PATH_CAPACITY];
    const size_t length = SYS_StrLen(path);
    for (size_t i = 1; i < length && i < PATH_CAPACITY; ++i) {
        if (!IsSeparator(path[i]) || path[i - 1] == ':')
            continue;
        SYS_Copy(folder, path, i);
        folder[i] = 0;
        (void)Sys().createFolder(folder);
    }
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

struct FolderScan {
    const char* folder;
};

void DeleteIfLeftover(void* context, const char* name)
{
    if (!IsTemporaryName(name))
        return;
    char path[PATH_CAPACITY];
    if (JoinPath(path, sizeof path, static_cast<FolderScan*>(context)->folder, name))
        (void)SYS_FileDelete(path);
}

}

namespace patcher::detail {

bool CreateDestination(const char* destination, InstallLib_FileReplacement* replacement)
{
    char16_t wide[PATH_CAPACITY];
    if (!FileApiToWidePath(wide, PATH_CAPACITY, destination))
        return false;
    if (replacement->Begin(wide))
        return true;
    CreateFolders(destination);
    return replacement->Begin(wide) != 0;
}

bool IsTemporaryName(const char* name)
{
    if (SYS_StrLen(name) != 15 || name[0] != '~' || name[1] != 'p' || name[2] != 't'
        || SYS_StrCompare(name + 11, ".tmp") != 0)
        return false;
    for (int i = 3; i < 11; ++i)
        if (!IsHexDigit(name[i]))
            return false;
    return true;
}

void RemoveLeftovers(SYS_ItemStore* list, const char* base)
{
    // Clean-up is a courtesy: without memory for the set of folders it is skipped.
    try {
        std::set<std::string> scanned;
        (void)ForEachFileItem(list, [base, &scanned](const FileItem& item) {
            const char* destination = item.destFileName;
            char path[PATH_CAPACITY];
            char folder[PATH_CAPACITY];
            const bool placed = SYS_PathIsAbsolute(destination)
                ? SYS_StrCopy(path, sizeof path, destination) < sizeof path
                : base[0] != 0 && JoinPath(path, sizeof path, base, destination);
            if (placed && SYS_PathDir(folder, sizeof folder, path) < sizeof folder
                && scanned.insert(folder).second) {
                FolderScan scan { folder };
                (void)Sys().listFiles(folder, DeleteIfLeftover, &scan);
            }
            return true;
        });
    } catch (const std::bad_alloc&) {
    }
}

}
