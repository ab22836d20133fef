// The files patchkit reads from a source folder and writes below an output folder, with the
// link rules of pack and extract; tools/posix/ and tools/win32/ define these. A link is a
// symbolic link, or on Windows any reparse point (junctions included).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace patchkit {

enum class EntryKind { Missing, File, Folder, Link, Other };

// What is at path, a link itself rather than its target.
EntryKind KindOf(const std::filesystem::path& path);

// Reads the regular file at path whole. A link is followed only when followLinks is set. A
// folder, a FIFO, a device or a socket fails at once and never blocks. False with a reason.
bool ReadRegularFile(const std::filesystem::path& path, bool followLinks,
    std::vector<uint8_t>* bytes, std::string* reason);

// A regular file opened for writing, never through a link.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { (void)Close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // CreateNew fails when anything exists at path; Replace empties an existing regular file.
    // Either fails, leaving what is there, when path is a link or not a regular file.
    enum class Mode { CreateNew, Replace };
    bool Open(const std::filesystem::path& path, Mode mode, std::string* reason);
    // False when not every byte was written.
    bool Write(const void* bytes, size_t count);
    // Puts the file's bytes on the disk.
    bool Sync();
    bool Close();

private:
    intptr_t m_file = -1;
};

// Puts the bytes of the (closed) regular file at path on the disk.
bool SyncFile(const std::filesystem::path& path, std::string* reason);
// Moves from over to in one step, so that to is either the old file or the new one.
bool MoveOver(
    const std::filesystem::path& from, const std::filesystem::path& to, std::string* reason);

}
