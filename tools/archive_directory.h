// An archive's directory as the commands that must see members in directory order with their
// names as stored (list, extract, verify) read it: through the archive module's own reader, so
// that they refuse exactly what the mount refuses, with its reason for the one-line report.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace patchkit {

struct ArchiveEntry {
    std::string name; // as stored: case kept
    uint64_t offset = 0;
    uint64_t size = 0;
    uint32_t method = 0; // BF_METHOD_*; a version-1 method 0 is already read as scrambled
};

// The directory of one archive, whose file stays open for the block walks of list until Close.
class ArchiveDirectory {
public:
    ArchiveDirectory() = default;
    ~ArchiveDirectory() { Close(); }
    ArchiveDirectory(const ArchiveDirectory&) = delete;
    ArchiveDirectory& operator=(const ArchiveDirectory&) = delete;

    // Opens path and reads its directory. False with a reason for a missing, truncated, foreign
    // or damaged archive, and for a member with a storage method the reader does not know.
    bool Read(const std::filesystem::path& path, std::string* reason);
    void Close();
    const std::vector<ArchiveEntry>& Entries() const { return m_entries; }
    // The bytes a member occupies in the archive: its size, or for an LZW member its blocks
    // with their headers. False with a reason naming the member when its block headers are
    // missing or damaged.
    bool StoredSize(const ArchiveEntry& entry, uint64_t* storedSize, std::string* reason) const;

private:
    SYS_Handle m_file = 0;
    std::vector<ArchiveEntry> m_entries;
};

// The index of the first entry whose name (compared without ASCII case) an earlier entry
// already has, or entries.size() when the names are distinct.
size_t FindHiddenEntry(const std::vector<ArchiveEntry>& entries);
// "store", "lzw" or "scramble".
const char* MethodName(uint32_t method);

}
