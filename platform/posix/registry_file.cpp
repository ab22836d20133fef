// The POSIX registry's file. Reads take the file as it is: writers replace it by a rename, so a
// reader always sees one whole version. Writers take turns through an advisory lock on a
// separate lock file (the hive itself is replaced, so a lock on it would not hold) and each
// re-reads the hive under the lock before changing it.
#include "platform/posix/registry_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::detail {

namespace {

// A hive is a small text file; anything larger is not one and is refused before it fills memory.
constexpr size_t MAX_HIVE_BYTES = size_t { 64 } << 20;

std::atomic<HiveCommitHook> g_commitHook { nullptr };

// Owns a file descriptor; closing the lock file's descriptor releases its lock.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    ~FileDescriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_descriptor; }
    bool Valid() const { return m_descriptor >= 0; }
    // Closes now and tells whether the close succeeded (a failed close can lose written data).
    bool Close()
    {
        int descriptor = m_descriptor;
        m_descriptor = -1;
        return ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadWhole(const std::string& path, std::string& text)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid())
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    text.clear();
    char chunk[16384];
    for (;;) {
        ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || static_cast<size_t>(got) > MAX_HIVE_BYTES - text.size())
            return ReadResult::Failed;
        if (got == 0)
            return ReadResult::Read;
        text.append(chunk, static_cast<size_t>(got));
    }
}

bool WriteWhole(int descriptor, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t put = ::write(descriptor, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

std::filesystem::path FolderOf(const std::string& path)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Opens (making it when missing) the lock file and waits for its exclusive lock; -1 on failure.
int TakeLock(const std::string& lockPath)
{
    int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return -1;
    while (::flock(descriptor, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(descriptor);
            return -1;
        }
    }
    return descriptor;
}

// Syncs the folder so that the rename itself survives a power loss; a failure here leaves a
// whole file either way, so it is not reported.
void SyncFolder(const std::filesystem::path& folder)
{
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid())
        (void)::fsync(directory.Get());
}

// What stands at the hive's path: nothing yet, a plain file (with its permission bits), or
// anything else (a link, a folder), which is never replaced: the user made it so on purpose, and
// writing a plain file in its place would cut it off from what it points to.
struct HiveFileState {
    bool exists = false;
    bool replaceable = false;
    mode_t mode = 0;
};

HiveFileState StateOf(const std::string& path)
{
    HiveFileState state;
    struct stat status { };
    if (::lstat(path.c_str(), &status) != 0) {
        state.replaceable = errno == ENOENT;
        return state;
    }
    state.exists = true;
    state.replaceable = S_ISREG(status.st_mode);
    state.mode = status.st_mode & 07777;
    return state;
}

// Writes text to a temporary file beside path, syncs it and renames it over path; the new file
// keeps the permission bits of the one it replaces. Only one writer holds the lock, so one
// temporary name serves all; one left by a crash is removed first. The temporary file is made
// afresh, never opened through a link planted under its name.
bool ReplaceFile(const std::string& path, const std::string& text, const HiveFileState& old)
{
    std::string temporary = path + ".tmp";
    ::unlink(temporary.c_str());
    FileDescriptor file(::open(temporary.c_str(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, old.exists ? 0600 : 0644));
    if (!file.Valid())
        return false;
    bool written = (!old.exists || ::fchmod(file.Get(), old.mode) == 0)
        && WriteWhole(file.Get(), text) && ::fsync(file.Get()) == 0;
    if (!file.Close() || !written) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (HiveCommitHook hook = g_commitHook.load())
        hook();
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

}

std::string HivePath()
{
    if (std::string path = Environment("PATCHER_REGISTRY"); !path.empty())
        return path;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (std::string config = Environment("XDG_CONFIG_HOME"); config.starts_with('/'))
        return config + "/patcher/registry.reg";
    if (std::string home = Environment("HOME"); !home.empty())
        return home + "/.config/patcher/registry.reg";
    return "";
}

bool LoadHive(Hive& hive)
{
    std::string path = HivePath();
    std::string text;
    ReadResult result = path.empty() ? ReadResult::Failed : ReadWhole(path, text);
    if (result == ReadResult::Failed)
        return false;
    hive = ParseHive(text);
    return true;
}

bool UpdateHive(const std::function<bool(Hive&)>& change)
{
    std::string path = HivePath();
    std::error_code error;
    if (path.empty() || (std::filesystem::create_directories(FolderOf(path), error), error))
        return false;
    FileDescriptor lock(TakeLock(path + ".lock"));
    if (!lock.Valid())
        return false;
    const HiveFileState old = StateOf(path);
    if (!old.replaceable)
        return false;
    std::string text;
    ReadResult result = ReadWhole(path, text);
    if (result == ReadResult::Failed || (!text.empty() && !HasHiveHeader(text)))
        return false;
    Hive hive = ParseHive(text);
    return change(hive) && ReplaceFile(path, WriteHive(hive), old);
}

HiveCommitHook SetHiveCommitHook(HiveCommitHook hook)
{
    return g_commitHook.exchange(hook);
}

}
