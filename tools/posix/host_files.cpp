// patchkit's source and output files on POSIX: lstat for links, O_NOFOLLOW and O_NONBLOCK so
// that neither a link nor a FIFO is opened by surprise, fsync before an output takes its name.
#include "tools/host_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace patchkit {

namespace {

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// The descriptor of path opened with flags, kept only when it is a regular file.
int OpenRegular(const std::filesystem::path& path, int flags, std::string* reason)
{
    int file = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (file < 0) {
        *reason = errno == ELOOP ? "is a link" : SystemError("cannot open");
        return -1;
    }
    struct stat status { };
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(file);
        *reason = "not a regular file";
        return -1;
    }
    return file;
}

}

EntryKind KindOf(const std::filesystem::path& path)
{
    struct stat status { };
    if (lstat(path.c_str(), &status) != 0)
        return EntryKind::Missing;
    if (S_ISLNK(status.st_mode))
        return EntryKind::Link;
    if (S_ISDIR(status.st_mode))
        return EntryKind::Folder;
    return S_ISREG(status.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool ReadRegularFile(const std::filesystem::path& path, bool followLinks,
    std::vector<uint8_t>* bytes, std::string* reason)
{
    int file = OpenRegular(path, O_RDONLY | (followLinks ? 0 : O_NOFOLLOW), reason);
    if (file < 0)
        return false;
    bytes->clear();
    uint8_t chunk[65536];
    ssize_t got = 0;
    while ((got = read(file, chunk, sizeof chunk)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    if (got < 0)
        *reason = SystemError("cannot read");
    close(file);
    return got == 0;
}

bool OutputFile::Open(const std::filesystem::path& path, Mode mode, std::string* reason)
{
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | (mode == Mode::CreateNew ? O_EXCL : O_TRUNC);
    (void)Close();
    m_file = OpenRegular(path, flags, reason);
    return m_file >= 0;
}

bool OutputFile::Write(const void* bytes, size_t count)
{
    auto from = static_cast<const char*>(bytes);
    while (count > 0) {
        ssize_t done = write(static_cast<int>(m_file), from, count);
        if (done <= 0 && errno != EINTR)
            return false;
        if (done > 0) {
            from += done;
            count -= static_cast<size_t>(done);
        }
    }
    return true;
}

bool OutputFile::Sync()
{
    return m_file >= 0 && fsync(static_cast<int>(m_file)) == 0;
}

bool OutputFile::Close()
{
    if (m_file < 0)
        return true;
    bool closed = close(static_cast<int>(m_file)) == 0;
    m_file = -1;
    return closed;
}

bool SyncFile(const std::filesystem::path& path, std::string* reason)
{
    int file = OpenRegular(path, O_RDONLY | O_NOFOLLOW, reason);
    if (file < 0)
        return false;
    bool synced = fsync(file) == 0;
    if (!synced)
        *reason = SystemError("cannot write to the disk");
    close(file);
    return synced;
}

// The folder's entry for the new name reaches the disk too.
bool MoveOver(
    const std::filesystem::path& from, const std::filesystem::path& to, std::string* reason)
{
    if (rename(from.c_str(), to.c_str()) != 0) {
        *reason = SystemError("cannot replace the file");
        return false;
    }
    std::filesystem::path folder = to.parent_path().empty() ? "." : to.parent_path();
    int listing = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing >= 0) {
        (void)fsync(listing);
        close(listing);
    }
    return true;
}

}
