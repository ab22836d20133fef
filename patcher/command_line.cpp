// The start folder taken from the command line: the folder of the program's own path, or the
// current folder when the path names no folder. Every copy is bounded by the 260-byte buffers
// of the start, and a path that does not fit is not used rather than cut into another path.
#include "patcher/patcher_internal.h"

namespace {

using namespace patcher::detail;

// The first token: the text after an opening double quote up to the next one (or the end), or
// the text up to the first blank. False when it does not fit capacity with its terminator.
bool ProgramPathOf(const char* commandLine, char* path, size_t capacity)
{
    char end = ' ';
    if (commandLine[0] == '"') {
        ++commandLine;
        end = '"';
    }
    size_t length = 0;
    while (commandLine[length] != 0 && commandLine[length] != end)
        if (++length >= capacity)
            return false;
    SYS_Copy(path, commandLine, length);
    path[length] = 0;
    return true;
}

// The folder part of an absolute program path that has one.
bool ProgramFolderOf(const char* commandLine, char* folder, size_t capacity)
{
    char path[PATH_CAPACITY];
    char name[PATH_CAPACITY];
    if (!ProgramPathOf(commandLine, path, sizeof path) || !SYS_PathIsAbsolute(path))
        return false;
    // "X:name" is absolute but names no folder: it is a bare name on drive X.
    (void)SYS_PathFileName(name, sizeof name, path);
    if (SYS_StrLen(name) == SYS_StrLen(path))
        return false;
    return SYS_PathDir(folder, capacity, path) < capacity;
}

bool CurrentFolderOf(char* folder, size_t capacity)
{
    const uint32_t clamped = capacity > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(capacity);
    const uint32_t length = Startup().currentFolder(folder, clamped);
    return length != 0 && length < clamped;
}

}

namespace patcher::detail {

const char* ArgumentsOf(const char* commandLine)
{
    if (commandLine == nullptr)
        return "";
    const char end = commandLine[0] == '"' ? '"' : ' ';
    const char* at = commandLine + (end == '"' ? 1 : 0);
    while (*at != 0 && *at != end)
        ++at;
    return *at == '"' ? at + 1 : at;
}

bool StartFolderOf(const char* commandLine, char* folder, size_t capacity)
{
    if (capacity == 0)
        return false;
    const bool found = commandLine != nullptr && ProgramFolderOf(commandLine, folder, capacity);
    if ((found || CurrentFolderOf(folder, capacity)) && EnsureSeparator(folder, capacity))
        return true;
    folder[0] = 0;
    return false;
}

}

void PTCH_ReadCommandLine(const char* commandLine)
{
    char folder[PATH_CAPACITY];
    (void)PTCH_SetStartFolder(StartFolderOf(commandLine, folder, sizeof folder) ? folder : "");
}

std::string PTCH_CommandLine(const char* program, int count, const char* const* arguments)
{
    std::string commandLine = "\"" + std::string(program != nullptr ? program : "") + "\"";
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        const bool blanks = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        commandLine += blanks ? " \"" + argument + "\"" : " " + argument;
    }
    return commandLine;
}
