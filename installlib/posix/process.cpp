// Starting a program and waiting for it on POSIX: posix_spawn in the program's folder, and
// waitpid polled every 50 ms. A process handle is a small record of the child that remembers
// whether it was reaped, so that its pid is never waited for twice.
#include "installlib/os_process.h"
#include "installlib/posix/posix_text.h"

#include <cerrno>
#include <memory>
#include <new>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace installlib::os {

namespace {

constexpr uint32_t POLL_MS = 50;

struct Child {
    pid_t pid;
    bool reaped;
};

// The program as an absolute path: posix_spawn resolves a relative one after changing into the
// working folder, while the system's programs are named relative to the caller's folder.
std::string AbsoluteProgram(const std::string& program)
{
    if (!program.empty() && program[0] == '/')
        return program;
    char folder[4096];
    if (!getcwd(folder, sizeof(folder)))
        return program;
    return std::string(folder) + "/" + program;
}

bool Spawn(const std::string& program, const char* folder, ProcessHandles* handles)
{
    std::unique_ptr<Child> child(new (std::nothrow) Child { 0, false });
    if (!child)
        return false;
    std::string path = AbsoluteProgram(posix::NativePath(program));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string workingFolder = folder ? posix::NativePath(folder) : std::string();
    bool ready
        = !folder || posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str()) == 0;
    char* arguments[] = { path.data(), nullptr };
    ready = ready
        && posix_spawn(&child->pid, path.c_str(), &actions, nullptr, arguments, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!ready)
        return false;
    // The handle owns the record until CloseProcessHandle.
    *handles = { reinterpret_cast<uintptr_t>(child.release()), 0 };
    return true;
}

// Reaps the child when it has ended; false when waitpid fails.
bool Poll(Child* child)
{
    for (;;) {
        const pid_t result = waitpid(child->pid, nullptr, WNOHANG);
        if (result == child->pid)
            child->reaped = true;
        if (result >= 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

void Sleep(uint32_t milliseconds)
{
    timespec pause { static_cast<time_t>(milliseconds / 1000),
        static_cast<long>(milliseconds % 1000) * 1000000L };
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) { }
}

}

bool StartProcessW(const char16_t* program, const char16_t* folder, ProcessHandles* handles)
{
    const auto programUtf8 = posix::ToUtf8(program);
    const auto folderUtf8 = folder ? posix::ToUtf8(folder) : std::optional<std::string>("");
    if (!programUtf8 || !folderUtf8)
        return false;
    return Spawn(*programUtf8, folder ? folderUtf8->c_str() : nullptr, handles);
}

bool StartProcessA(const char* program, const char* folder, ProcessHandles* handles)
{
    return Spawn(program, folder, handles);
}

WaitResult WaitForHandle(uintptr_t handle, uint32_t milliseconds)
{
    auto* child = reinterpret_cast<Child*>(handle);
    for (uint32_t waited = 0;; waited += POLL_MS) {
        if (!child->reaped && !Poll(child))
            return WaitResult::Failed;
        if (child->reaped)
            return WaitResult::Signalled;
        if (waited >= milliseconds)
            return WaitResult::TimedOut;
        Sleep(milliseconds - waited < POLL_MS ? milliseconds - waited : POLL_MS);
    }
}

void CloseProcessHandle(uintptr_t handle)
{
    std::unique_ptr<Child> child(reinterpret_cast<Child*>(handle));
    if (!child)
        return;
    // A program that has ended since the last poll is reaped now; one still running is left
    // to run on.
    if (!child->reaped)
        (void)Poll(child.get());
}

bool PumpWindowMessages(uintptr_t)
{
    return false;
}

}
