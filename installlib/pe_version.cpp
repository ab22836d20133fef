// A bounds-checked reader that finds the version resource of a PE image (an .exe or .dll):
// headers, section table, and the three levels of the resource directory (type, name,
// language). Each structure is read whole through the byte source and its fields taken through
// a span reader, so a short or damaged file fails the read instead of running past it; every
// offset is checked against the section and the resource directory it must lie in.
#include "installlib/installlib_internal.h"

#include <cassert>

namespace {

using namespace installlib::detail;

constexpr uint32_t RESOURCE_TYPE_VERSION = 16;
constexpr uint32_t MAX_SECTIONS = 96; // the most the system's loader accepts
constexpr uint32_t DOS_HEADER_SIZE = 64;
constexpr uint32_t COFF_HEADER_SIZE = 20;
constexpr uint32_t DATA_DIRECTORY_SIZE = 8;
constexpr uint32_t SECTION_HEADER_SIZE = 40;
constexpr uint32_t DIRECTORY_HEADER_SIZE = 16;
constexpr uint32_t DIRECTORY_ENTRY_SIZE = 8;
constexpr uint32_t MAX_RECORD = 64;
constexpr uint32_t SUBDIRECTORY_BIT = 0x80000000;

bool Refuse(const char* reason)
{
    SYS_Trace(TAG, 1, reason);
    return false;
}

// One structure of the image, read whole from the file so that its fields can be taken in
// order through the bounds-checked reader.
class Record {
public:
    // A reader over the count bytes at offset, or null when the file ends before them.
    SYS_SpanReader* Read(const ByteSource& file, uint64_t offset, uint32_t count)
    {
        assert(count <= MAX_RECORD && "a PE record larger than the buffer");
        if (!file.readAt(file.context, offset, m_bytes, count))
            return nullptr;
        m_fields = SYS_SpanReader(m_bytes, count);
        return &m_fields;
    }

private:
    uint8_t m_bytes[MAX_RECORD] = {};
    SYS_SpanReader m_fields { m_bytes, 0 };
};

// Where the image's sections lie: the table's offset and its count.
struct SectionTable {
    uint64_t offset;
    uint32_t count;
};

// A place in the file given by a relative virtual address, and the bytes of its section's raw
// data from there on.
struct FileSpan {
    uint64_t offset;
    uint64_t available;
};

bool MapAddress(const ByteSource& file, const SectionTable& sections, uint32_t rva, FileSpan* span)
{
    Record record;
    for (uint32_t i = 0; i < sections.count; ++i) {
        // A name and the virtual size, then the address, size and file offset of the raw data.
        SYS_SpanReader* header = record.Read(
            file, sections.offset + uint64_t { i } * SECTION_HEADER_SIZE, SECTION_HEADER_SIZE);
        uint32_t address = 0, rawSize = 0, rawOffset = 0;
        if (header == nullptr || !header->Skip(12) || !header->U32(address) || !header->U32(rawSize)
            || !header->U32(rawOffset))
            return Refuse("section table runs past the end of the file");
        if (rva >= address && rva - address < rawSize) {
            *span = { uint64_t { rawOffset } + (rva - address), rawSize - (rva - address) };
            return true;
        }
    }
    return Refuse("address lies in no section's data");
}

// What the file header gives: the section count and the optional header's place, size and
// magic.
struct FileHeader {
    uint16_t sectionCount;
    uint16_t optionalSize;
    uint16_t optionalMagic;
    uint64_t optional;
};

// Follows the DOS header to the PE signature and reads the COFF file header after it.
bool ReadFileHeader(const ByteSource& file, FileHeader* header)
{
    Record record;
    SYS_SpanReader* dos = record.Read(file, 0, DOS_HEADER_SIZE);
    uint16_t magic = 0;
    uint32_t peOffset = 0, signature = 0;
    if (dos == nullptr || !dos->U16(magic) || magic != 0x5A4D || !dos->Seek(0x3C)
        || !dos->U32(peOffset))
        return Refuse("not a PE image: no MZ header");
    SYS_SpanReader* pe = record.Read(file, peOffset, 4);
    if (pe == nullptr || !pe->U32(signature) || signature != 0x4550)
        return Refuse("not a PE image: no PE signature");
    // Machine, section count, time stamp, symbol table and count, optional header size and
    // characteristics; then the optional header's magic.
    const uint64_t coff = uint64_t { peOffset } + 4;
    SYS_SpanReader* fields = record.Read(file, coff, COFF_HEADER_SIZE + 2);
    if (fields == nullptr || !fields->Skip(2) || !fields->U16(header->sectionCount)
        || !fields->Skip(12) || !fields->U16(header->optionalSize) || !fields->Skip(2)
        || !fields->U16(header->optionalMagic))
        return Refuse("PE headers run past the end of the file");
    header->optional = coff + COFF_HEADER_SIZE;
    return true;
}

// Reads the headers: the section table and the resource directory's address and size.
bool ReadHeaders(const ByteSource& file, SectionTable* sections, uint32_t* rva, uint32_t* size)
{
    FileHeader header {};
    if (!ReadFileHeader(file, &header))
        return false;
    if (header.sectionCount > MAX_SECTIONS)
        return Refuse("too many sections");
    // The data directories follow the optional header's fixed part, which is longer in PE32+
    // and ends with their count. The resources are the third directory.
    const uint32_t directories = header.optionalMagic == 0x20b ? 112
        : header.optionalMagic == 0x10b                        ? 96
                                                               : 0;
    if (directories == 0)
        return Refuse("unknown optional header");
    Record record;
    SYS_SpanReader* fields
        = record.Read(file, header.optional + directories - 4, 4 + 3 * DATA_DIRECTORY_SIZE);
    if (fields == nullptr)
        return Refuse("PE headers run past the end of the file");
    uint32_t directoryCount = 0;
    if (!fields->U32(directoryCount) || directoryCount < 3
        || directories + 3 * DATA_DIRECTORY_SIZE > header.optionalSize
        || !fields->Skip(2 * DATA_DIRECTORY_SIZE) || !fields->U32(*rva) || !fields->U32(*size))
        return Refuse("no resource directory entry");
    *sections = { header.optional + header.optionalSize, header.sectionCount };
    return true;
}

// The resource directory: its place in the file and the bytes every offset inside it must
// stay below.
struct ResourceTree {
    uint64_t offset;
    uint64_t limit;
};

// The entry of the directory at directory (relative to the tree) that is wanted: with an id of
// RESOURCE_TYPE_VERSION when byId is set, else the first. Gives the entry's offset field.
bool FindEntry(const ByteSource& file, const ResourceTree& tree, uint32_t directory, bool byId,
    uint32_t* target)
{
    // Characteristics, time stamp and version, then the counts of named and of id entries.
    Record record;
    SYS_SpanReader* header = nullptr;
    uint16_t named = 0, ids = 0;
    if (uint64_t { directory } + DIRECTORY_HEADER_SIZE > tree.limit
        || (header = record.Read(file, tree.offset + directory, DIRECTORY_HEADER_SIZE)) == nullptr
        || !header->Skip(12) || !header->U16(named) || !header->U16(ids))
        return Refuse("resource directory lies outside the resources");
    const uint64_t count = uint64_t { named } + ids;
    const uint64_t entries = uint64_t { directory } + DIRECTORY_HEADER_SIZE;
    if (entries + count * DIRECTORY_ENTRY_SIZE > tree.limit)
        return Refuse("resource directory entries run past the resources");
    for (uint64_t i = byId ? named : 0; i < count; ++i) {
        SYS_SpanReader* entry = record.Read(
            file, tree.offset + entries + i * DIRECTORY_ENTRY_SIZE, DIRECTORY_ENTRY_SIZE);
        uint32_t name = 0;
        if (entry == nullptr || !entry->U32(name) || !entry->U32(*target))
            return Refuse("resource directory entries run past the end of the file");
        if (!byId || name == RESOURCE_TYPE_VERSION)
            return true;
    }
    return Refuse("no version resource");
}

// Follows type, name and language to the data entry; gives its address and size.
bool FindDataEntry(const ByteSource& file, const ResourceTree& tree, uint32_t* rva, uint32_t* size)
{
    uint32_t target = 0;
    if (!FindEntry(file, tree, 0, true, &target) || !(target & SUBDIRECTORY_BIT)
        || !FindEntry(file, tree, target & ~SUBDIRECTORY_BIT, false, &target)
        || !(target & SUBDIRECTORY_BIT)
        || !FindEntry(file, tree, target & ~SUBDIRECTORY_BIT, false, &target))
        return Refuse("version resource is not a type, name and language tree");
    if ((target & SUBDIRECTORY_BIT) || uint64_t { target } + 16 > tree.limit)
        return Refuse("version resource data entry lies outside the resources");
    Record record;
    SYS_SpanReader* entry = record.Read(file, tree.offset + target, 8);
    if (entry == nullptr || !entry->U32(*rva) || !entry->U32(*size))
        return Refuse("version resource data entry runs past the end of the file");
    return true;
}

}

namespace installlib::detail {

bool FindVersionResource(const ByteSource& file, uint64_t* offset, uint32_t* size)
{
    SectionTable sections {};
    uint32_t treeRva = 0, treeSize = 0;
    FileSpan treeSpan {};
    if (!ReadHeaders(file, &sections, &treeRva, &treeSize)
        || !MapAddress(file, sections, treeRva, &treeSpan))
        return false;
    const ResourceTree tree { treeSpan.offset,
        treeSize < treeSpan.available ? treeSize : treeSpan.available };
    uint32_t dataRva = 0, dataSize = 0;
    FileSpan data {};
    if (!FindDataEntry(file, tree, &dataRva, &dataSize)
        || !MapAddress(file, sections, dataRva, &data))
        return false;
    if (dataSize == 0 || dataSize > MAX_VERSION_RESOURCE || dataSize > data.available)
        return Refuse("version resource size out of range");
    uint8_t last = 0;
    if (!file.readAt(file.context, data.offset + dataSize - 1, &last, 1))
        return Refuse("version resource runs past the end of the file");
    *offset = data.offset;
    *size = dataSize;
    return true;
}

}
