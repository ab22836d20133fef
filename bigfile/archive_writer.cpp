// The archive writer: members are encoded (stored, scrambled or split into LZW blocks) and
// written as they are added, the directory grows in memory, and Finish appends it and rewrites
// the header that was reserved at the start. Used by patchkit's pack command and by tests.
#include "bigfile/bigfile.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr size_t WRITE_BUFFER_SIZE = 1u << 20;
constexpr uint32_t MAX_ENTRY_SIZE = 0xFFFF; // a version-1 entry's length field is 16 bits
constexpr uint32_t MAX_NAME_LENGTH = MAX_ENTRY_SIZE - BF_ENTRY_FIXED_SIZE - 1;

// The stored byte of plain byte p for a scrambled member whose size has low byte key: the
// inverse of the reader's ((s - (BF_MEMBER_KEY - key)) & 0xFF) ^ key.
uint8_t ScrambleMemberByte(uint8_t p, uint8_t key)
{
    return static_cast<uint8_t>((p ^ key) + static_cast<uint8_t>(BF_MEMBER_KEY - key));
}

// Scrambles the count bytes after a version-1 entry's length field in place. The key index of
// the next byte comes from the scrambled byte, so the reader can follow it without the plain one.
void ScrambleEntry(uint8_t* entry, uint32_t count)
{
    uint32_t index = entry[0] & 15u;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t scrambled = entry[2 + i] ^ BF_DIRECTORY_KEYS[index];
        entry[2 + i] = scrambled;
        index = scrambled & 15u;
    }
}

// Encodes size bytes as LZW blocks of at most BF_MAX_LZW_BLOCK bytes, each behind its 12-byte
// header, replacing out. False when the encoder refuses a block.
bool EncodeLzwBlocks(const uint8_t* input, uint64_t size, std::vector<uint8_t>& out)
{
    out.clear();
    for (uint64_t done = 0; done < size;) {
        auto blockSize = static_cast<uint32_t>(std::min<uint64_t>(size - done, BF_MAX_LZW_BLOCK));
        size_t bound = LZW_EncodeBound(blockSize);
        size_t start = out.size();
        out.resize(start + BF_BLOCK_HEADER_SIZE + bound);
        uint8_t* header = out.data() + start;
        size_t written = LZW_Encode(input + done, blockSize, header + BF_BLOCK_HEADER_SIZE, bound);
        if (written == 0 || written > 0xFFFFFFFFu)
            return false;
        std::copy(BF_BLOCK_MAGIC, BF_BLOCK_MAGIC + 4, header);
        SYS_StoreU32(header + 4, static_cast<uint32_t>(written));
        SYS_StoreU32(header + 8, blockSize);
        out.resize(start + BF_BLOCK_HEADER_SIZE + written);
        done += blockSize;
    }
    return true;
}

}

struct BF_ArchiveWriter::State {
    SYS_Handle file = 0;
    uint32_t dirVersion = 0;
    uint64_t orderingValue = 0;
    uint64_t position = 0; // bytes handed to the file so far, buffered or not
    uint32_t count = 0;
    const char* error = "";
    std::vector<uint8_t> buffer;
    std::vector<uint8_t> directory;
    std::vector<uint8_t> encoded;

    bool Fail(const char* reason);
    bool Flush();
    bool Write(const void* bytes, uint64_t size);
    bool WriteScrambled(const uint8_t* bytes, uint64_t size);
    bool WriteMember(const uint8_t* bytes, uint64_t size, uint32_t* method);
    bool AddEntry(const char* name, size_t nameLength, uint64_t offset, uint64_t size,
        uint32_t method, const BF_MemberAttributes& attributes);
    void MakeHeader(uint8_t* header, uint64_t dirOffset) const;
};

bool BF_ArchiveWriter::State::Fail(const char* reason)
{
    if (*error == '\0')
        error = reason;
    return false;
}

bool BF_ArchiveWriter::State::Flush()
{
    if (!buffer.empty()
        && SYS_FileWrite(file, buffer.data(), static_cast<uint32_t>(buffer.size())) != SYS_OK)
        return Fail("writing the archive file failed");
    buffer.clear();
    return true;
}

// Small writes gather in the buffer; a large one goes to the file directly after a flush.
bool BF_ArchiveWriter::State::Write(const void* bytes, uint64_t size)
{
    auto from = static_cast<const uint8_t*>(bytes);
    position += size;
    if (buffer.size() + size <= WRITE_BUFFER_SIZE) {
        buffer.insert(buffer.end(), from, from + size);
        return true;
    }
    if (!Flush())
        return false;
    while (size > 0) {
        auto chunk = static_cast<uint32_t>(std::min<uint64_t>(size, 1u << 30));
        if (SYS_FileWrite(file, from, chunk) != SYS_OK)
            return Fail("writing the archive file failed");
        from += chunk;
        size -= chunk;
    }
    return true;
}

bool BF_ArchiveWriter::State::WriteScrambled(const uint8_t* bytes, uint64_t size)
{
    auto key = static_cast<uint8_t>(size);
    uint8_t chunk[4096];
    for (uint64_t done = 0; done < size;) {
        auto n = static_cast<size_t>(std::min<uint64_t>(size - done, sizeof chunk));
        for (size_t i = 0; i < n; ++i)
            chunk[i] = ScrambleMemberByte(bytes[done + i], key);
        if (!Write(chunk, n))
            return false;
        done += n;
    }
    return true;
}

// Writes the member's data by *method, settling BF_METHOD_AUTO and the version-1 rule that
// stored members are scrambled; *method ends as the method the directory records.
bool BF_ArchiveWriter::State::WriteMember(const uint8_t* bytes, uint64_t size, uint32_t* method)
{
    if (*method == BF_METHOD_AUTO || *method == BF_METHOD_LZW) {
        if (!EncodeLzwBlocks(bytes, size, encoded))
            return Fail("the LZW encoder refused a block");
        if (*method == BF_METHOD_LZW || encoded.size() < size) {
            *method = BF_METHOD_LZW;
            return Write(encoded.data(), encoded.size());
        }
        *method = BF_METHOD_STORED;
    }
    if (*method == BF_METHOD_STORED && dirVersion == 1)
        *method = BF_METHOD_SCRAMBLED;
    if (*method == BF_METHOD_SCRAMBLED)
        return WriteScrambled(bytes, size);
    return Write(bytes, size);
}

bool BF_ArchiveWriter::State::AddEntry(const char* name, size_t nameLength, uint64_t offset,
    uint64_t size, uint32_t method, const BF_MemberAttributes& attributes)
{
    uint32_t entrySize = BF_ENTRY_FIXED_SIZE + static_cast<uint32_t>(nameLength) + 1;
    uint32_t prefix = dirVersion == 1 ? 2 : 0;
    if (directory.size() + prefix + entrySize > 0xFFFFFFFFu)
        return Fail("the directory grows past 4 GiB");
    size_t start = directory.size();
    directory.resize(start + prefix + entrySize);
    uint8_t* entry = directory.data() + start;
    uint8_t* fixed = entry + prefix;
    SYS_StoreU64(fixed, offset);
    SYS_StoreU32(fixed + 8, attributes.attributes);
    SYS_StoreU64(fixed + 12, attributes.writeTime);
    SYS_StoreU64(fixed + 20, size);
    SYS_StoreU32(fixed + 28, attributes.value);
    SYS_StoreU32(fixed + 32, method);
    SYS_StoreU32(fixed + 36, attributes.flags);
    std::copy(name, name + nameLength + 1, fixed + BF_ENTRY_FIXED_SIZE);
    if (dirVersion == 1) {
        SYS_StoreU16(entry, static_cast<uint16_t>(entrySize));
        ScrambleEntry(entry, entrySize);
    }
    ++count;
    return true;
}

void BF_ArchiveWriter::State::MakeHeader(uint8_t* header, uint64_t dirOffset) const
{
    std::fill(header, header + BF_HEADER_SIZE, uint8_t { 0 });
    std::copy(BF_MAGIC, BF_MAGIC + 4, header);
    header[BF_HDR_VERSION] = static_cast<uint8_t>(dirVersion);
    std::copy(BF_TAG_LETTERS, BF_TAG_LETTERS + 3, header + BF_HDR_VERSION + 1);
    SYS_StoreU64(header + BF_HDR_FILE_SIZE, position);
    SYS_StoreU32(header + BF_HDR_COUNT, count);
    SYS_StoreU64(header + BF_HDR_DIR_OFFSET, dirOffset);
    SYS_StoreU32(header + BF_HDR_DIR_SIZE, static_cast<uint32_t>(directory.size()));
    SYS_StoreU64(header + BF_HDR_ORDERING, orderingValue);
}

BF_ArchiveWriter::BF_ArchiveWriter()
    : m_state(std::make_unique<State>())
{
}

BF_ArchiveWriter::~BF_ArchiveWriter()
{
    if (m_state->file != 0)
        (void)SYS_FileClose(m_state->file);
}

bool BF_ArchiveWriter::Open(const char16_t* path, uint32_t dirVersion, uint64_t orderingValue)
{
    State& state = *m_state;
    if (state.file != 0)
        return state.Fail("the writer already has an archive open");
    if (dirVersion > 1)
        return state.Fail("directory format version must be 0 or 1");
    state.file = path ? SYS_FileCreateW(path) : 0;
    if (state.file == 0)
        return state.Fail("cannot create the archive file");
    state.dirVersion = dirVersion;
    state.orderingValue = orderingValue;
    state.buffer.reserve(WRITE_BUFFER_SIZE);
    uint8_t placeholder[BF_HEADER_SIZE] = {};
    return state.Write(placeholder, sizeof placeholder);
}

bool BF_ArchiveWriter::Add(const char* name, const void* bytes, uint64_t size, uint32_t method,
    const BF_MemberAttributes* attributes)
{
    State& state = *m_state;
    if (*state.error != '\0')
        return false;
    if (state.file == 0)
        return state.Fail("the writer has no archive open");
    size_t nameLength = SYS_StrLen(name);
    if (nameLength == 0)
        return state.Fail("a member name is empty");
    if (nameLength > MAX_NAME_LENGTH)
        return state.Fail("a member name is too long for a directory entry");
    if (method > BF_METHOD_AUTO || (bytes == nullptr && size != 0))
        return state.Fail("bad member arguments");
    uint64_t offset = state.position;
    if (!state.WriteMember(static_cast<const uint8_t*>(bytes), size, &method))
        return false;
    return state.AddEntry(
        name, nameLength, offset, size, method, attributes ? *attributes : BF_MemberAttributes {});
}

bool BF_ArchiveWriter::Finish()
{
    State& state = *m_state;
    if (*state.error != '\0')
        return false;
    if (state.file == 0)
        return state.Fail("the writer has no archive open");
    uint64_t dirOffset = state.position;
    if (!state.Write(state.directory.data(), state.directory.size()) || !state.Flush())
        return false;
    uint8_t header[BF_HEADER_SIZE];
    state.MakeHeader(header, dirOffset);
    uint32_t at = 0;
    bool written = SYS_FileSeek(state.file, 0, 0, &at) == SYS_OK && at == 0
        && SYS_FileWrite(state.file, header, sizeof header) == SYS_OK;
    bool closed = SYS_FileClose(state.file) != 0;
    state.file = 0;
    if (!written || !closed)
        return state.Fail("writing the archive header failed");
    return true;
}

const char* BF_ArchiveWriter::Error() const
{
    return m_state->error;
}
