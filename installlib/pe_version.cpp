// A bounds-checked reader that finds the version resource of a PE image (an .exe or .dll):
// headers, section table, and the three levels of the resource directory (type, name,
// language). Every field is read through the byte source, so a short or damaged file fails
// the read instead of running past it; every offset is checked against the section and the
// resource directory it must lie in.
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;

constexpr uint32_t RESOURCE_TYPE_VERSION = 16;
constexpr uint32_t MAX_SECTIONS = 96; // the most the system's loader accepts
constexpr uint32_t SECTION_HEADER_SIZE = 40;
constexpr uint32_t SUBDIRECTORY_BIT = 0x80000000;

bool Refuse(const char* reason)
{
    SYS_Trace(TAG, 1, reason);
    return false;
}

class ImageReader {
public:
    explicit ImageReader(const ByteSource& source)
        : m_source(source)
    {
    }
    bool U16(uint64_t offset, uint32_t* value) const { return Little(offset, 2, value); }
    bool U32(uint64_t offset, uint32_t* value) const { return Little(offset, 4, value); }

private:
    bool Little(uint64_t offset, uint32_t count, uint32_t* value) const
    {
        uint8_t bytes[4] = {};
        if (!m_source.readAt(m_source.context, offset, bytes, count))
            return false;
        *value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t { bytes[3] } << 24;
        return true;
    }
    const ByteSource& m_source;
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

bool MapAddress(
    const ImageReader& image, const SectionTable& sections, uint32_t rva, FileSpan* span)
{
    for (uint32_t i = 0; i < sections.count; ++i) {
        const uint64_t header = sections.offset + uint64_t { i } * SECTION_HEADER_SIZE;
        uint32_t address = 0, rawSize = 0, rawOffset = 0;
        if (!image.U32(header + 12, &address) || !image.U32(header + 16, &rawSize)
            || !image.U32(header + 20, &rawOffset))
            return Refuse("section table runs past the end of the file");
        if (rva >= address && rva - address < rawSize) {
            *span = { uint64_t { rawOffset } + (rva - address), rawSize - (rva - address) };
            return true;
        }
    }
    return Refuse("address lies in no section's data");
}

// Reads the headers: the section table and the resource directory's address and size.
bool ReadHeaders(const ImageReader& image, SectionTable* sections, uint32_t* rva, uint32_t* size)
{
    uint32_t magic = 0, peOffset = 0, signature = 0;
    if (!image.U16(0, &magic) || magic != 0x5A4D)
        return Refuse("not a PE image: no MZ signature");
    if (!image.U32(0x3C, &peOffset) || !image.U32(peOffset, &signature) || signature != 0x4550)
        return Refuse("not a PE image: no PE signature");
    const uint64_t coff = uint64_t { peOffset } + 4;
    uint32_t sectionCount = 0, optionalSize = 0, optionalMagic = 0;
    if (!image.U16(coff + 2, &sectionCount) || !image.U16(coff + 16, &optionalSize)
        || !image.U16(coff + 20, &optionalMagic))
        return Refuse("PE headers run past the end of the file");
    if (sectionCount > MAX_SECTIONS)
        return Refuse("too many sections");
    // The data directories follow the optional header's fixed part, which is longer in PE32+.
    const uint64_t optional = coff + 20;
    const uint32_t directories = optionalMagic == 0x20b ? 112 : optionalMagic == 0x10b ? 96 : 0;
    if (directories == 0)
        return Refuse("unknown optional header");
    uint32_t directoryCount = 0;
    if (!image.U32(optional + directories - 4, &directoryCount) || directoryCount < 3
        || directories + 3 * 8 > optionalSize)
        return Refuse("no resource directory entry");
    if (!image.U32(optional + directories + 16, rva)
        || !image.U32(optional + directories + 20, size))
        return Refuse("PE headers run past the end of the file");
    *sections = { optional + optionalSize, sectionCount };
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
bool FindEntry(const ImageReader& image, const ResourceTree& tree, uint32_t directory, bool byId,
    uint32_t* target)
{
    uint32_t named = 0, ids = 0;
    if (uint64_t { directory } + 16 > tree.limit || !image.U16(tree.offset + directory + 12, &named)
        || !image.U16(tree.offset + directory + 14, &ids))
        return Refuse("resource directory lies outside the resources");
    const uint64_t count = uint64_t { named } + ids;
    if (uint64_t { directory } + 16 + count * 8 > tree.limit)
        return Refuse("resource directory entries run past the resources");
    for (uint64_t i = byId ? named : 0; i < count; ++i) {
        const uint64_t entry = tree.offset + directory + 16 + i * 8;
        uint32_t name = 0;
        if (!image.U32(entry, &name) || !image.U32(entry + 4, target))
            return Refuse("resource directory entries run past the end of the file");
        if (!byId || name == RESOURCE_TYPE_VERSION)
            return true;
    }
    return Refuse("no version resource");
}

// Follows type, name and language to the data entry; gives its address and size.
bool FindDataEntry(
    const ImageReader& image, const ResourceTree& tree, uint32_t* rva, uint32_t* size)
{
    uint32_t target = 0;
    if (!FindEntry(image, tree, 0, true, &target) || !(target & SUBDIRECTORY_BIT)
        || !FindEntry(image, tree, target & ~SUBDIRECTORY_BIT, false, &target)
        || !(target & SUBDIRECTORY_BIT)
        || !FindEntry(image, tree, target & ~SUBDIRECTORY_BIT, false, &target))
        return Refuse("version resource is not a type, name and language tree");
    if ((target & SUBDIRECTORY_BIT) || uint64_t { target } + 16 > tree.limit)
        return Refuse("version resource data entry lies outside the resources");
    if (!image.U32(tree.offset + target, rva) || !image.U32(tree.offset + target + 4, size))
        return Refuse("version resource data entry runs past the end of the file");
    return true;
}

}

namespace installlib::detail {

bool FindVersionResource(const ByteSource& file, uint64_t* offset, uint32_t* size)
{
    const ImageReader image(file);
    SectionTable sections {};
    uint32_t treeRva = 0, treeSize = 0;
    FileSpan treeSpan {};
    if (!ReadHeaders(image, &sections, &treeRva, &treeSize)
        || !MapAddress(image, sections, treeRva, &treeSpan))
        return false;
    const ResourceTree tree { treeSpan.offset,
        treeSize < treeSpan.available ? treeSize : treeSpan.available };
    uint32_t dataRva = 0, dataSize = 0;
    FileSpan data {};
    if (!FindDataEntry(image, tree, &dataRva, &dataSize)
        || !MapAddress(image, sections, dataRva, &data))
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
