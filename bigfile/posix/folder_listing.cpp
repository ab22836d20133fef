// Folder listings on POSIX with the wildcard rules of Windows' FindFirstFile: letters match
// without regard to case, "*" any run of characters, "?" one character, and a pattern ending
// in ".*" or "." also matches names without an extension ("*.*" matches every name).
#include "bigfile/os_file.h"
#include "bigfile/posix/system_names.h"

#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace bigfile::os {

namespace {

char Fold(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// "*" and "?" globbing with backtracking to the last "*".
bool Glob(const char* name, const char* pattern)
{
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern != '\0' && Fold(*pattern) == Fold(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

bool MatchesLikeWindows(const std::string& name, const std::string& pattern)
{
    if (Glob(name.c_str(), pattern.c_str()))
        return true;
    if (name.find('.') != std::string::npos)
        return false;
    // A name without an extension also matches "base.*" and "base." as "base".
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0)
        return Glob(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    if (!pattern.empty() && pattern.back() == '.')
        return Glob(name.c_str(), pattern.substr(0, pattern.size() - 1).c_str());
    return false;
}

enum class Kind { File, Folder, FolderLink };

// A link counts as what it points at, except that a link to a folder is told apart: following
// one could loop (a link to its own folder) or leave the scanned tree.
Kind KindOf(const std::string& folder, const dirent* entry)
{
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return entry->d_type == DT_DIR ? Kind::Folder : Kind::File;
    const std::string path = folder + "/" + entry->d_name;
    struct stat status { };
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return Kind::File;
    struct stat linkStatus { };
    return lstat(path.c_str(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode) ? Kind::FolderLink
                                                                                : Kind::Folder;
}
}

bool ListFolder(const char* pattern, FolderVisitor visit, void* context)
{
    std::string full(pattern);
    size_t split = full.find_last_of("\\/");
    std::string folderName = split == std::string::npos ? "." : full.substr(0, split + 1);
    std::string filePattern = split == std::string::npos ? full : full.substr(split + 1);
    std::string folder = posix::SystemPath(folderName.c_str());
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr)
        return false;
    bool matched = false;
    while (const dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchesLikeWindows(name, filePattern))
            continue;
        const Kind kind = KindOf(folder, entry);
        if (kind == Kind::FolderLink)
            continue;
        matched = true;
        visit(context, entry->d_name, kind == Kind::Folder);
    }
    closedir(listing);
    return matched;
}

}
