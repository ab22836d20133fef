// The module's file-level system calls on POSIX: the wide calls always exist, the temporary
// folder is a private folder of the process below $TMPDIR (else /tmp), there is no deletion at
// restart (the next process removes what a killed one left), folders are made with mkdir, files
// replaced with rename, and the 8-bit text of every call is UTF-8.
#include "installlib/os_files.h"
#include "installlib/posix/posix_text.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace installlib::os {

namespace {

// The private staging folder with its final "/", "" until it is made.
std::string g_privateFolder;

constexpr char PRIVATE_PREFIX[] = "patcher-";

// The process a private folder was made for: "patcher-<pid>-" and the six characters of
// mkdtemp; 0 for any other name.
pid_t OwnerOf(const std::string& name)
{
    const size_t prefix = sizeof PRIVATE_PREFIX - 1;
    const size_t dash = name.find('-', prefix);
    if (name.compare(0, prefix, PRIVATE_PREFIX) != 0 || dash == std::string::npos || dash == prefix
        || dash > prefix + 9 || name.size() != dash + 7)
        return 0;
    pid_t pid = 0;
    for (size_t i = prefix; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

// A process killed before its shutdown leaves its private folder behind (POSIX deletes nothing
// at restart). The next process removes such folders: only folders of this user whose process
// is gone, and remove_all removes links, never what they point to.
void RemoveLeftFolders(const std::string& shared)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(shared, error)) {
        const pid_t owner = OwnerOf(entry.path().filename().string());
        struct stat status { };
        if (owner <= 0 || lstat(entry.path().c_str(), &status) != 0 || !S_ISDIR(status.st_mode)
            || status.st_uid != geteuid() || kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        std::filesystem::remove_all(entry.path(), error);
    }
}

// The shared temporary folder is open to every user: a file of a known name there can be
// planted in advance or swapped between being written and being used. A folder that mkdtemp
// makes is new, has an unguessable name and mode 0700, so what is staged in it stays ours.
std::string TempFolderUtf8()
{
    if (!g_privateFolder.empty())
        return g_privateFolder;
    const char* shared = std::getenv("TMPDIR");
    std::string pattern = shared && shared[0] != 0 ? shared : "/tmp";
    if (pattern.back() != '/')
        pattern += '/';
    RemoveLeftFolders(pattern);
    pattern += PRIVATE_PREFIX + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return "";
    g_privateFolder = pattern + '/';
    return g_privateFolder;
}

// The GetTempPath answer for the private folder, or 0 when it cannot be made.
template <typename Char>
uint32_t AnswerFolder(const std::basic_string<Char>& folder, Char* buffer, uint32_t capacity)
{
    return folder.empty() ? 0 : posix::AnswerText(folder, buffer, capacity);
}

bool Rename(const std::string& from, const std::string& to)
{
    return std::rename(posix::NativePath(from).c_str(), posix::NativePath(to).c_str()) == 0;
}

FolderResult MakeFolder(const std::string& path)
{
    if (mkdir(posix::NativePath(path).c_str(), 0755) == 0)
        return FolderResult::Created;
    return errno == EEXIST ? FolderResult::Exists : FolderResult::Failed;
}

// The WideCharToMultiByte-style answer: capacity 0 asks for the size; otherwise the units
// written with the terminator, 0 when they do not fit.
template <typename Char>
uint32_t Answer(const std::basic_string<Char>& text, Char* destination, uint32_t capacity)
{
    if (capacity == 0)
        return static_cast<uint32_t>(text.size() + 1);
    if (text.size() >= capacity)
        return 0;
    text.copy(destination, text.size());
    destination[text.size()] = 0;
    return static_cast<uint32_t>(text.size() + 1);
}

}

bool HasWideCalls()
{
    return true;
}

uint32_t TempPathW(char16_t* buffer, uint32_t capacity)
{
    const auto wide = posix::FromUtf8(TempFolderUtf8().c_str());
    return wide ? AnswerFolder(*wide, buffer, capacity) : 0;
}

uint32_t TempPathA(char* buffer, uint32_t capacity)
{
    return AnswerFolder(TempFolderUtf8(), buffer, capacity);
}

void RemoveTempFolder()
{
    if (g_privateFolder.empty())
        return;
    // remove_all removes links themselves, never what they point to.
    std::error_code error;
    std::filesystem::remove_all(g_privateFolder, error);
    g_privateFolder.clear();
}

bool ReplaceFileW(const char16_t* from, const char16_t* to)
{
    const auto fromUtf8 = posix::ToUtf8(from);
    const auto toUtf8 = posix::ToUtf8(to);
    return fromUtf8 && toUtf8 && Rename(*fromUtf8, *toUtf8);
}

bool ReplaceFileA(const char* from, const char* to)
{
    return Rename(from, to);
}

bool AllowRunning(const char16_t* path)
{
    const auto utf8 = posix::ToUtf8(path);
    return utf8 && chmod(posix::NativePath(*utf8).c_str(), 0700) == 0;
}

bool DeleteAtRestart(const char16_t*)
{
    return false; // temporary folders are emptied by the system, or not at all
}

FolderResult CreateFolderW(const char16_t* path)
{
    const auto utf8 = posix::ToUtf8(path);
    return utf8 ? MakeFolder(*utf8) : FolderResult::Failed;
}

FolderResult CreateFolderA(const char* path)
{
    return MakeFolder(path);
}

uint32_t WideToAnsi(char* destination, uint32_t capacity, const char16_t* source)
{
    const auto utf8 = posix::ToUtf8(source);
    return utf8 ? Answer(*utf8, destination, capacity) : 0;
}

uint32_t AnsiToWide(char16_t* destination, uint32_t capacity, const char* source)
{
    const auto wide = posix::FromUtf8(source);
    return wide ? Answer(*wide, destination, capacity) : 0;
}

}
