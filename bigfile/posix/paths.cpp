// Folders and full path names on POSIX. The system has only one kind of call, so the wide
// forms convert through UTF-8; full paths are made without asking whether the file exists, as
// GetFullPathName does: joined to the current folder and cleared of "." and "..".
#include "bigfile/os_file.h"
#include "bigfile/posix/system_names.h"

#include "platform/platform.h"

#include <climits>
#include <unistd.h>
#include <vector>

namespace bigfile::os {

namespace {

std::optional<std::string> WorkingFolder()
{
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof(folder)) == nullptr)
        return std::nullopt;
    return std::string(folder);
}

// The absolute form of a system path with "." and ".." components worked out.
std::optional<std::string> Absolute(const std::string& path)
{
    std::string joined = path;
    if (joined.empty() || joined[0] != '/') {
        std::optional<std::string> folder = WorkingFolder();
        if (!folder)
            return std::nullopt;
        joined = *folder + "/" + joined;
    }
    std::vector<std::string> parts;
    for (size_t at = 1; at <= joined.size();) {
        size_t end = std::min(joined.find('/', at), joined.size());
        std::string part = joined.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    if (result.empty() || (path.size() > 1 && path.back() == '/'))
        result += "/";
    return result;
}

uint32_t CopyOut(const std::string& text, char* buffer, uint32_t capacity)
{
    if (text.size() >= capacity)
        return 0;
    SYS_StrCopy(buffer, capacity, text.c_str());
    return static_cast<uint32_t>(text.size());
}

uint32_t CopyOutWide(const std::string& text, char16_t* buffer, uint32_t capacity)
{
    if (capacity == 0 || SYS_Utf8ToWide(buffer, &capacity, text.c_str()) != SYS_OK)
        return 0;
    return static_cast<uint32_t>(SYS_WStrLen(buffer));
}

}

bool HasWideCalls()
{
    return true;
}

bool NarrowForSystem(char* destination, size_t capacity, const char16_t* source)
{
    uint32_t room = capacity > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(capacity);
    return room > 0 && SYS_WideToFileApi(destination, &room, source) == SYS_OK;
}

bool WidenFromSystem(char16_t* destination, size_t capacity, const char* source)
{
    uint32_t room = capacity > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(capacity);
    return room > 0 && SYS_FileApiToWide(destination, &room, source) == SYS_OK;
}

uint32_t CurrentDir(char* buffer, uint32_t capacity)
{
    std::optional<std::string> folder = WorkingFolder();
    return folder ? CopyOut(*folder, buffer, capacity) : 0;
}

uint32_t CurrentDirW(char16_t* buffer, uint32_t capacity)
{
    std::optional<std::string> folder = WorkingFolder();
    return folder ? CopyOutWide(*folder, buffer, capacity) : 0;
}

bool SetCurrentDir(const char* path)
{
    return chdir(posix::SystemPath(path).c_str()) == 0;
}

bool SetCurrentDirW(const char16_t* path)
{
    std::optional<std::string> folder = posix::SystemPath(path);
    return folder && chdir(folder->c_str()) == 0;
}

uint32_t FullPath(const char* name, char* buffer, uint32_t capacity)
{
    std::optional<std::string> full = Absolute(posix::TranslatedPath(name));
    return full ? CopyOut(*full, buffer, capacity) : 0;
}

uint32_t FullPathW(const char16_t* name, char16_t* buffer, uint32_t capacity)
{
    std::optional<std::string> path = posix::TranslatedPath(name);
    std::optional<std::string> full = path ? Absolute(*path) : std::nullopt;
    return full ? CopyOutWide(*full, buffer, capacity) : 0;
}

}
