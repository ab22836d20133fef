// The module's file-level system calls on POSIX: the wide calls always exist, the temporary
// folder is $TMPDIR (else /tmp), there is no deletion at restart, folders are made with mkdir,
// and the 8-bit text of every call is UTF-8.
#include "installlib/os_files.h"
#include "installlib/posix/posix_text.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace installlib::os {

namespace {

std::string TempFolderUtf8()
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder && folder[0] != 0 ? folder : "/tmp";
    if (path.back() != '/')
        path += '/';
    return path;
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
    return wide ? posix::AnswerText(*wide, buffer, capacity) : 0;
}

uint32_t TempPathA(char* buffer, uint32_t capacity)
{
    return posix::AnswerText(TempFolderUtf8(), buffer, capacity);
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
