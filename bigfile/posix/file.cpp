// Files of the archive file system on POSIX: open, read (also at an offset, with pread), seek,
// size and close on descriptors, and a file's attributes in Win32 terms. Folders are not files
// here, as on Windows.
#include "bigfile/os_file.h"
#include "bigfile/posix/system_names.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bigfile::os {

namespace {

constexpr uint32_t GENERIC_WRITE_BIT = 0x40000000;
constexpr uint32_t SEQUENTIAL_BIT = 2;
constexpr uint32_t ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t ATTRIBUTE_ARCHIVE = 0x20;
// Seconds from 1601-01-01 (FILETIME's start) to 1970-01-01.
constexpr uint64_t FILETIME_EPOCH_SECONDS = 11644473600ull;
// The most one read call is asked for, within ssize_t everywhere.
constexpr uint32_t CHUNK = 1u << 30;

uintptr_t OpenPath(const std::string& path, uint32_t flags)
{
    int access = (flags & GENERIC_WRITE_BIT) != 0 ? O_RDWR : O_RDONLY;
    int descriptor = open(path.c_str(), access | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    struct stat status { };
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return 0;
    }
    if ((flags & SEQUENTIAL_BIT) != 0)
        (void)posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    return posix::ToHandle(descriptor);
}

}

uintptr_t Open(const char* name, uint32_t flags)
{
    return OpenPath(posix::SystemPath(name), flags);
}

uintptr_t OpenW(const char16_t* name, uint32_t flags)
{
    std::optional<std::string> path = posix::SystemPath(name);
    return path ? OpenPath(*path, flags) : 0;
}

uint32_t Read(uintptr_t file, void* buffer, uint32_t count)
{
    int descriptor = posix::ToDescriptor(file);
    auto* bytes = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (descriptor >= 0 && done < count) {
        ssize_t got = read(descriptor, bytes + done, std::min(count - done, CHUNK));
        if (got == 0 || (got < 0 && errno != EINTR))
            break;
        done += static_cast<uint32_t>(std::max<ssize_t>(got, 0));
    }
    return done;
}

uint32_t ReadAt(uintptr_t file, uint64_t offset, void* buffer, uint32_t count)
{
    int descriptor = posix::ToDescriptor(file);
    auto* bytes = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (descriptor >= 0 && done < count && offset + done <= uint64_t { INT64_MAX }) {
        ssize_t got = pread(descriptor, bytes + done, std::min(count - done, CHUNK),
            static_cast<off_t>(offset + done));
        if (got == 0 || (got < 0 && errno != EINTR))
            break;
        done += static_cast<uint32_t>(std::max<ssize_t>(got, 0));
    }
    return done;
}

uint64_t Seek(uintptr_t file, int64_t offset, uint32_t method)
{
    static constexpr int WHENCE[3] = { SEEK_SET, SEEK_CUR, SEEK_END };
    int descriptor = posix::ToDescriptor(file);
    if (descriptor < 0 || method > 2)
        return UINT64_MAX;
    off_t position = lseek(descriptor, static_cast<off_t>(offset), WHENCE[method]);
    return position < 0 ? UINT64_MAX : static_cast<uint64_t>(position);
}

uint64_t Size(uintptr_t file)
{
    struct stat status { };
    int descriptor = posix::ToDescriptor(file);
    if (descriptor < 0 || fstat(descriptor, &status) != 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(status.st_size);
}

bool Close(uintptr_t file)
{
    int descriptor = posix::ToDescriptor(file);
    return descriptor >= 0 && close(descriptor) == 0;
}

bool Attributes(const char* name, uint32_t* attributes, uint64_t* writeTime)
{
    struct stat status { };
    if (stat(posix::SystemPath(name).c_str(), &status) != 0)
        return false;
    *attributes = S_ISDIR(status.st_mode) ? ATTRIBUTE_DIRECTORY : ATTRIBUTE_ARCHIVE;
    if ((status.st_mode & S_IWUSR) == 0)
        *attributes |= ATTRIBUTE_READONLY;
    uint64_t seconds = static_cast<uint64_t>(status.st_mtim.tv_sec) + FILETIME_EPOCH_SECONDS;
    *writeTime = seconds * 10000000ull + static_cast<uint64_t>(status.st_mtim.tv_nsec) / 100;
    return true;
}

}
