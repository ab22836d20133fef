// The folders of shortcuts on POSIX: the desktop ($XDG_DESKTOP_DIR, else ~/Desktop) and the
// applications menu ($XDG_DATA_HOME/applications, else ~/.local/share/applications), in which
// a programs-menu group is a folder.
#include "installlib/os_shell.h"
#include "installlib/posix/posix_text.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace installlib::os {

namespace {

// Creates each missing folder of path.
bool CreateFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// $name when set and not empty, else $HOME followed by fallback; empty when neither is known.
std::string FolderFromEnvironment(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    if (value && value[0] != 0)
        return value;
    const char* home = std::getenv("HOME");
    return home && home[0] != 0 ? std::string(home) + fallback : std::string();
}

std::string SpecialFolderUtf8(SpecialFolder folder)
{
    if (folder == SpecialFolder::DesktopDirectory)
        return FolderFromEnvironment("XDG_DESKTOP_DIR", "/Desktop");
    std::string data = FolderFromEnvironment("XDG_DATA_HOME", "/.local/share");
    if (data.empty())
        return data;
    // The applications menu folder need not exist yet; the system's programs folder always does.
    data += "/applications";
    return CreateFolders(data) ? data : std::string();
}

}

bool SpecialFolderPathW(SpecialFolder folder, char16_t* buffer, uint32_t capacity)
{
    const std::string path = SpecialFolderUtf8(folder);
    const auto wide = path.empty() ? std::nullopt : posix::FromUtf8(path.c_str());
    return wide && posix::AnswerText(*wide, buffer, capacity) < capacity;
}

bool SpecialFolderPathA(SpecialFolder folder, char* buffer, uint32_t capacity)
{
    const std::string path = SpecialFolderUtf8(folder);
    return !path.empty() && posix::AnswerText(path, buffer, capacity) < capacity;
}

}
