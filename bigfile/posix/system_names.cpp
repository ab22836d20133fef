// File names for the POSIX system. Names inside the system are Windows paths, compared without
// regard to ASCII letter case; a path that does not exist as written is resolved component by
// component against the folder listings, so that upper-cased names from scans open too.
#include "bigfile/posix/system_names.h"

#include "platform/platform.h"

#include <climits>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace bigfile::posix {

namespace {

bool Exists(const std::string& path)
{
    struct stat status { };
    return lstat(path.c_str(), &status) == 0;
}

// The entry of folder whose name equals component with ASCII case ignored.
std::optional<std::string> FindFolded(const std::string& folder, const std::string& component)
{
    DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr)
        return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = readdir(listing)) {
        if (strcasecmp(entry->d_name, component.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(listing);
    return found;
}

std::string ResolveCase(const std::string& path)
{
    if (path.empty() || Exists(path))
        return path;
    std::string resolved = path[0] == '/' ? "/" : "";
    size_t at = path[0] == '/' ? 1 : 0;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(at, end - at);
        at = end + 1;
        if (component.empty())
            continue;
        std::string joined = resolved + component;
        if (!Exists(joined)) {
            std::optional<std::string> folded = FindFolded(resolved, component);
            if (!folded)
                return path; // the open fails on the name as written
            joined = resolved + *folded;
        }
        resolved = end < path.size() ? joined + "/" : joined;
    }
    return resolved;
}

}

std::string TranslatedPath(const char* name)
{
    std::string path(name);
    SYS_SystemPath(path.data(), path.size() + 1, path.c_str());
    return path;
}

std::optional<std::string> TranslatedPath(const char16_t* name)
{
    uint32_t size = 0;
    if (SYS_WideToUtf8(nullptr, &size, name) != SYS_SIZE_ONLY)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (SYS_WideToUtf8(bytes.data(), &size, name) != SYS_OK)
        return std::nullopt;
    return TranslatedPath(bytes.c_str());
}

std::string SystemPath(const char* name)
{
    return ResolveCase(TranslatedPath(name));
}

std::optional<std::string> SystemPath(const char16_t* name)
{
    std::optional<std::string> path = TranslatedPath(name);
    if (!path)
        return std::nullopt;
    return ResolveCase(*path);
}

uintptr_t ToHandle(int descriptor)
{
    return (static_cast<uintptr_t>(descriptor) + 1) << 2;
}

int ToDescriptor(uintptr_t handle)
{
    if ((handle & 3) != 0 || (handle >> 2) == 0 || (handle >> 2) - 1 > INT_MAX)
        return -1;
    return static_cast<int>((handle >> 2) - 1);
}

}
