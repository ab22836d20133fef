// Reads an archive's directory through BF_ReadDirectory, the reader the mount uses, and keeps
// the entries in directory order with their names as stored. What is the commands' own lies
// here: refusing storage methods that list cannot name, and telling hidden names apart.
#include "tools/archive_directory.h"
#include "tools/command_support.h"

#include "bigfile/bigfile.h"

namespace patchkit {

namespace {

// The visitor's context: the entries so far, and why the walk stopped when a visit refused.
struct Collector {
    std::vector<ArchiveEntry>* entries;
    std::string reason;
};

BF_Status Collect(void* context, BF_DirectoryEntry* entry)
{
    auto& collector = *static_cast<Collector*>(context);
    std::string name(entry->name, entry->nameLength);
    if (entry->method > BF_METHOD_SCRAMBLED) {
        collector.reason
            = "member " + name + " has an unknown storage method " + std::to_string(entry->method);
        return BF_ERR_FORMAT;
    }
    collector.entries->push_back(
        { std::move(name), entry->dataOffset, entry->size, entry->method });
    return BF_OK;
}

}

bool ArchiveDirectory::Read(const std::filesystem::path& path, std::string* reason)
{
    Close();
    m_entries.clear();
    m_file = BF_SysOpenW(path.u16string().c_str(), BF_GENERIC_READ);
    if (m_file == 0) {
        *reason = "cannot open the file";
        return false;
    }
    TraceReason trace;
    Collector collector { &m_entries, {} };
    BF_Status status = BF_ReadDirectory(m_file, 0, nullptr, Collect, &collector);
    if (status == BF_OK)
        return true;
    *reason = !collector.reason.empty() ? collector.reason
                                        : trace.Text("cannot read the archive's directory", status);
    return false;
}

void ArchiveDirectory::Close()
{
    if (m_file != 0)
        (void)BF_SysClose(m_file);
    m_file = 0;
}

bool ArchiveDirectory::StoredSize(
    const ArchiveEntry& entry, uint64_t* storedSize, std::string* reason) const
{
    *storedSize = entry.size;
    if (entry.method != BF_METHOD_LZW)
        return true;
    TraceReason trace;
    BF_Status status = BF_LzwStoredSize(m_file, entry.offset, entry.size, storedSize);
    if (status == BF_OK)
        return true;
    *reason = "member " + entry.name + ": " + trace.Text("cannot read its block headers", status);
    return false;
}

size_t FindHiddenEntry(const std::vector<ArchiveEntry>& entries)
{
    NameSet seen;
    for (size_t i = 0; i < entries.size(); ++i)
        if (!seen.Insert(entries[i].name))
            return i;
    return entries.size();
}

const char* MethodName(uint32_t method)
{
    switch (method) {
    case BF_METHOD_STORED:
        return "store";
    case BF_METHOD_LZW:
        return "lzw";
    default:
        return "scramble";
    }
}

}
