// Files on POSIX. A handle is the descriptor shifted past bits 0 and 1, (fd + 1) << 2, so that it
// is never 0 and other modules can tag their own handles with those bits. Win32's sharing rule
// (others may read, nobody else may write) is kept with non-blocking flock locks: readers share
// the lock, writers hold it alone.
#include "platform/os_file.h"
#include "platform/posix/native_path.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

namespace {

// The most one read or write call is asked for, within ssize_t on every system.
constexpr uint32_t CHUNK = 1u << 30;

uintptr_t ToHandle(int descriptor)
{
    return (static_cast<uintptr_t>(descriptor) + 1) << 2;
}

int ToDescriptor(uintptr_t file)
{
    if ((file & 3) != 0 || (file >> 2) == 0 || (file >> 2) - 1 > INT_MAX)
        return -1;
    return static_cast<int>((file >> 2) - 1);
}

int AccessFlags(uint32_t mode)
{
    switch (mode & 3) {
    case 1:
        return O_RDONLY;
    case 2:
        return O_WRONLY;
    case 3:
        return O_RDWR;
    default:
        return O_PATH;
    }
}

// Takes the sharing lock for a descriptor opened with flags. Only a conflict refuses the open:
// file systems without flock do not keep files from being used.
bool Share(int descriptor, int flags)
{
    if ((flags & O_PATH) != 0)
        return true;
    int lock = (flags & O_ACCMODE) == O_RDONLY ? LOCK_SH : LOCK_EX;
    return flock(descriptor, lock | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

bool IsFolder(int descriptor)
{
    struct stat status { };
    return fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode);
}

// Opens path as Win32 would: folders are not files, a shared file is not opened, and a file
// to be emptied is emptied only once the open has succeeded.
uintptr_t OpenPath(const std::optional<std::string>& path, int flags, bool empty)
{
    if (!path)
        return 0;
    int descriptor = open(path->c_str(), flags | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return 0;
    if (IsFolder(descriptor) || !Share(descriptor, flags)
        || (empty && ftruncate(descriptor, 0) != 0)) {
        close(descriptor);
        return 0;
    }
    return ToHandle(descriptor);
}

// Whether the folder part of path exists: Win32 tells a missing file from a missing folder.
bool FolderExists(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    struct stat status { };
    std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

DeleteResult DeletePath(const std::optional<std::string>& path)
{
    if (!path)
        return DeleteResult::Failed;
    if (unlink(path->c_str()) == 0)
        return DeleteResult::Deleted;
    return errno == ENOENT && FolderExists(*path) ? DeleteResult::NotFound : DeleteResult::Failed;
}

}

uintptr_t FileOpen(const char* name, uint32_t mode)
{
    return OpenPath(posix::NativePath(name), AccessFlags(mode), false);
}

uintptr_t FileOpenW(const char16_t* name, uint32_t mode)
{
    return OpenPath(posix::NativePath(name), AccessFlags(mode), false);
}

uintptr_t FileCreate(const char* name)
{
    return OpenPath(posix::NativePath(name), O_RDWR | O_CREAT, true);
}

uintptr_t FileCreateW(const char16_t* name)
{
    return OpenPath(posix::NativePath(name), O_RDWR | O_CREAT, true);
}

uintptr_t FileCreateNew(const char* name)
{
    return OpenPath(posix::NativePath(name), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, false);
}

uintptr_t FileCreateNewW(const char16_t* name)
{
    return OpenPath(posix::NativePath(name), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, false);
}

bool FileClose(uintptr_t file)
{
    int descriptor = ToDescriptor(file);
    return descriptor >= 0 && close(descriptor) == 0;
}

bool FileRead(uintptr_t file, void* buffer, uint32_t count, uint32_t* done)
{
    int descriptor = ToDescriptor(file);
    auto* bytes = static_cast<char*>(buffer);
    *done = 0;
    while (*done < count) {
        ssize_t got = read(descriptor, bytes + *done, std::min(count - *done, CHUNK));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        *done += static_cast<uint32_t>(got);
    }
    return true;
}

bool FileWrite(uintptr_t file, const void* buffer, uint32_t count, uint32_t* done)
{
    int descriptor = ToDescriptor(file);
    const auto* bytes = static_cast<const char*>(buffer);
    *done = 0;
    while (*done < count) {
        ssize_t put = write(descriptor, bytes + *done, std::min(count - *done, CHUNK));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        *done += static_cast<uint32_t>(put);
    }
    return true;
}

bool FileSeek(uintptr_t file, int32_t offset, uint32_t origin, uint32_t* position)
{
    int descriptor = ToDescriptor(file);
    off_t base = 0;
    struct stat status { };
    if (origin == 1)
        base = lseek(descriptor, 0, SEEK_CUR);
    else if (origin == 2)
        base = fstat(descriptor, &status) == 0 ? status.st_size : -1;
    if (base < 0)
        return false;
    const int64_t target = static_cast<int64_t>(base) + offset;
    if (target < 0 || target >= int64_t { UINT32_MAX } || lseek(descriptor, target, SEEK_SET) < 0)
        return false;
    *position = static_cast<uint32_t>(target);
    return true;
}

DeleteResult FileDelete(const char* name)
{
    return DeletePath(posix::NativePath(name));
}

DeleteResult FileDeleteW(const char16_t* name)
{
    return DeletePath(posix::NativePath(name));
}

}
