// The patch engine's system calls on Win32: CreateThread, CreateDirectoryA, GetDiskFreeSpaceExA,
// CreateProcessA and FindFirstFileA, all with the 8-bit paths of the system's file functions.
#include "patcher/os_engine.h"

#include "platform/platform.h"

#include <new>
#include <windows.h>

namespace patcher::os {

namespace {

struct Thread {
    ThreadProcedure procedure;
    void* argument;
};

DWORD WINAPI RunThread(LPVOID record)
{
    const Thread thread = *static_cast<Thread*>(record);
    delete static_cast<Thread*>(record);
    return thread.procedure(thread.argument);
}

}

uintptr_t StartThread(ThreadProcedure procedure, void* argument)
{
    auto* thread = new (std::nothrow) Thread { procedure, argument };
    if (thread == nullptr)
        return 0;
    HANDLE handle = CreateThread(nullptr, 0, RunThread, thread, 0, nullptr);
    if (handle == nullptr)
        delete thread;
    return reinterpret_cast<uintptr_t>(handle);
}

void JoinThread(uintptr_t thread)
{
    HANDLE handle = reinterpret_cast<HANDLE>(thread);
    (void)WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
}

bool CreateFolder(const char* path)
{
    if (CreateDirectoryA(path, nullptr))
        return true;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// GetDiskFreeSpaceExA takes any folder, a network share's included, and answers past 4 GB.
bool FreeDiskSpace(const char* folder, uint64_t* bytes)
{
    ULARGE_INTEGER available {};
    if (!GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr))
        return false;
    *bytes = available.QuadPart;
    return true;
}

bool StartProgram(const char* program, const char* commandLine, const char* folder)
{
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process {};
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    const size_t length = commandLine != nullptr ? lstrlenA(commandLine) : 0;
    char* line = commandLine != nullptr ? new (std::nothrow) char[length + 1] : nullptr;
    if (commandLine != nullptr && line == nullptr)
        return false;
    if (line != nullptr)
        CopyMemory(line, commandLine, length + 1);
    const BOOL started = CreateProcessA(program, line, nullptr, nullptr, FALSE,
        CREATE_DEFAULT_ERROR_MODE, nullptr, folder[0] != 0 ? folder : nullptr, &startup, &process);
    delete[] line;
    if (!started)
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool ListFiles(const char* folder, FileVisitor visit, void* context)
{
    char pattern[MAX_PATH];
    if (SYS_Format(pattern, sizeof pattern, "%s*", folder) >= int { sizeof pattern })
        return false;
    WIN32_FIND_DATAA found {};
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((found.dwFileAttributes & skipped) == 0)
            visit(context, found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

}
