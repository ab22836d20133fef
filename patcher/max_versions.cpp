// Detection of the two 3ds Max releases that editor tools can be installed into: 5.1, told by
// the product version of its "maxnet.dll", and 6.0, told by its install folder alone.
#include "patcher/patcher_internal.h"

#include "installlib/installlib.h"

namespace {

using namespace patcher::detail;

constexpr const char* MAX5_KEY = "SOFTWARE\\Autodesk\\3DSMAX\\5.0\\MAX-1:409";
constexpr const char* MAX6_KEY = "SOFTWARE\\Autodesk\\3DSMAX\\6.0";
constexpr size_t VERSION_CAPACITY = 128;

// Reads a release's folder from the value name of key, ending in "\\". A value of 4 bytes or
// less, or of PATH_CAPACITY or more, counts as not installed, and so does a relative folder:
// editor tools go only below an absolute folder.
bool ReadMaxFolder(const char* keyPath, const char* name, char* folder)
{
    const SYS_RegKey key = Sys().openKey(keyPath);
    if (key == 0)
        return false;
    uint32_t size = 0;
    const bool read = Sys().querySize(key, name, &size) == SYS_OK && size > 4
        && size < PATH_CAPACITY && ReadRegistryText(key, name, folder, PATH_CAPACITY);
    (void)Sys().closeKey(key);
    if (read && SYS_PathIsAbsolute(folder) && EnsureSeparator(folder, PATH_CAPACITY))
        return true;
    folder[0] = 0;
    return false;
}

// Whether the text starts with the numbers 5 and at least 1, split at "." and " ".
bool IsRelease51(const char* productVersion)
{
    char tokens[VERSION_CAPACITY + 2];
    if (SYS_SplitTokens(tokens, sizeof tokens, productVersion, ". ") < 2)
        return false;
    int32_t major = 0;
    int32_t minor = 0;
    const char* second = tokens + SYS_StrLen(tokens) + 1;
    if (SYS_ParseInt(&major, tokens) != SYS_OK)
        major = 0;
    if (SYS_ParseInt(&minor, second) != SYS_OK)
        minor = 0;
    return major == 5 && minor >= 1;
}

bool Detect51(char* folder)
{
    char library[PATH_CAPACITY];
    char productVersion[VERSION_CAPACITY];
    uint32_t size = sizeof productVersion;
    if (!ReadMaxFolder(MAX5_KEY, "uninstallpath", folder)
        || !JoinPath(library, sizeof library, folder, "maxnet.dll")
        || GetFileVersionString(library, "ProductVersion", productVersion, &size) != SYS_OK
        || !IsRelease51(productVersion)) {
        folder[0] = 0;
        return false;
    }
    return true;
}

}

int DetectMaxVersions(MaxVersions* max)
{
    if (max == nullptr)
        return 0;
    *max = MaxVersions {};
    max->max51Found = Detect51(max->max5Folder);
    max->max60Found = ReadMaxFolder(MAX6_KEY, "Installdir", max->max6Folder);
    return max->max51Found || max->max60Found ? 1 : 0;
}
