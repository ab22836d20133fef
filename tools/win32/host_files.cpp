// patchkit's source and output files on Windows: a reparse point (symbolic link or junction)
// is a link; FILE_FLAG_OPEN_REPARSE_POINT opens the link itself rather than its target, and a
// handle that is not a disk file (a pipe, a console, a device) is refused.
#include "tools/host_files.h"

#include <windows.h>

namespace patchkit {

namespace {

std::string SystemError(const std::string& what)
{
    return what + " (error " + std::to_string(GetLastError()) + ")";
}

// Keeps handle only when it is a plain disk file; with links refused, not a reparse point.
HANDLE KeepRegular(HANDLE file, bool refuseLinks, std::string* reason)
{
    if (file == INVALID_HANDLE_VALUE) {
        *reason = SystemError("cannot open");
        return file;
    }
    BY_HANDLE_FILE_INFORMATION information {};
    const DWORD refused
        = FILE_ATTRIBUTE_DIRECTORY | (refuseLinks ? FILE_ATTRIBUTE_REPARSE_POINT : DWORD { 0 });
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information)
        && (information.dwFileAttributes & refused) == 0)
        return file;
    CloseHandle(file);
    *reason = "not a regular file";
    return INVALID_HANDLE_VALUE;
}

bool IsLinkAt(const std::filesystem::path& path, std::string* reason)
{
    if (KindOf(path) != EntryKind::Link)
        return false;
    *reason = "is a link";
    return true;
}

}

EntryKind KindOf(const std::filesystem::path& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return EntryKind::Missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return EntryKind::Link;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::File;
}

bool ReadRegularFile(const std::filesystem::path& path, bool followLinks,
    std::vector<uint8_t>* bytes, std::string* reason)
{
    const DWORD flags = followLinks ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE file = KeepRegular(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, flags, nullptr),
        !followLinks, reason);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    uint8_t chunk[65536];
    DWORD got = 0;
    BOOL read = TRUE;
    while ((read = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    if (!read)
        *reason = SystemError("cannot read");
    CloseHandle(file);
    return read != FALSE;
}

bool OutputFile::Open(const std::filesystem::path& path, Mode mode, std::string* reason)
{
    (void)Close();
    if (IsLinkAt(path, reason))
        return false;
    HANDLE file = KeepRegular(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                  mode == Mode::CreateNew ? CREATE_NEW : CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
        true, reason);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_file = reinterpret_cast<intptr_t>(file);
    return true;
}

bool OutputFile::Write(const void* bytes, size_t count)
{
    auto from = static_cast<const char*>(bytes);
    while (count > 0) {
        const DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        DWORD done = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(m_file), from, chunk, &done, nullptr) || done == 0)
            return false;
        from += done;
        count -= done;
    }
    return true;
}

bool OutputFile::Sync()
{
    return m_file != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(m_file));
}

bool OutputFile::Close()
{
    if (m_file == -1)
        return true;
    bool closed = CloseHandle(reinterpret_cast<HANDLE>(m_file)) != FALSE;
    m_file = -1;
    return closed;
}

bool SyncFile(const std::filesystem::path& path, std::string* reason)
{
    HANDLE file = KeepRegular(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
        true, reason);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool synced = FlushFileBuffers(file) != FALSE;
    if (!synced)
        *reason = SystemError("cannot write to the disk");
    CloseHandle(file);
    return synced;
}

bool MoveOver(
    const std::filesystem::path& from, const std::filesystem::path& to, std::string* reason)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *reason = SystemError("cannot replace the file");
    return false;
}

}
