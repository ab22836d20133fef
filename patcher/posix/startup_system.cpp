// The installer's start on POSIX: the running instance holds an exclusive advisory lock on a
// file in the user's runtime folder; windows are headless, so there is nothing to bring forward,
// no icon and no COM, and the main loop's wait for input is a plain pause.
#include "patcher/os_startup.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace patcher::os {

namespace {

// The user's private runtime folder when the session has one; else the shared temporary
// folder, where the user id in the name keeps users apart.
std::string LockPath(const char* name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/" + name + ".lock";
    const char* temporary = std::getenv("TMPDIR");
    const std::string folder = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    return folder + "/" + name + "-" + std::to_string(getuid()) + ".lock";
}

}

InstanceLock TakeInstanceLock(const char* name, uintptr_t* lock)
{
    *lock = 0;
    // Never through a link: in a shared folder one could point the lock at a file of the user's.
    const int descriptor
        = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return InstanceLock::Failed;
    // flock locks belong to the open file, so a second open in this process is refused too.
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(descriptor);
        return held ? InstanceLock::HeldElsewhere : InstanceLock::Failed;
    }
    *lock = static_cast<uintptr_t>(descriptor) + 1;
    return InstanceLock::Taken;
}

void ReleaseInstanceLock(uintptr_t lock)
{
    // The file stays: removing it would let a third instance lock a new file while a second
    // still holds the old one.
    if (lock != 0)
        close(static_cast<int>(lock - 1));
}

void BringWindowForward(const char*)
{
}

uint32_t CurrentFolder(char* buffer, uint32_t capacity)
{
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof folder) == nullptr)
        return 0;
    const size_t length = std::strlen(folder);
    if (length >= capacity)
        return static_cast<uint32_t>(length + 1);
    std::memcpy(buffer, folder, length + 1);
    return static_cast<uint32_t>(length);
}

uintptr_t LoadProgramIcon(uintptr_t)
{
    return 0;
}

bool InitCom()
{
    return false;
}

void DoneCom()
{
}

void WaitForInput(uint32_t milliseconds)
{
    const timespec pause { static_cast<time_t>(milliseconds / 1000),
        static_cast<long>(milliseconds % 1000) * 1000000L };
    (void)nanosleep(&pause, nullptr);
}

}
