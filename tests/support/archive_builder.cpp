// The tests' own archive writer: the format laid out byte by byte, as the reader must see it.
#include "tests/support/archive_builder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace test {

namespace {

void PutLittle(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void SetLittle(std::vector<uint8_t>& out, size_t at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> PlainEntry(const ArchiveMember& member, uint64_t dataOffset)
{
    std::vector<uint8_t> entry;
    PutLittle(entry, dataOffset, 8);
    PutLittle(entry, member.attributes, 4);
    PutLittle(entry, member.writeTime, 8);
    PutLittle(entry, member.size, 8);
    PutLittle(entry, member.value, 4);
    PutLittle(entry, member.method, 4);
    PutLittle(entry, member.flags, 4);
    entry.insert(entry.end(), member.name.begin(), member.name.end());
    entry.push_back(0);
    return entry;
}

}

ArchiveMember StoredMember(const std::string& name, const std::vector<uint8_t>& data)
{
    ArchiveMember member;
    member.name = name;
    member.bytes = data;
    member.size = data.size();
    return member;
}

ArchiveMember ScrambledMember(const std::string& name, const std::vector<uint8_t>& data)
{
    ArchiveMember member = StoredMember(name, data);
    member.method = BF_METHOD_SCRAMBLED;
    auto key = static_cast<uint8_t>(data.size());
    for (uint8_t& byte : member.bytes)
        byte = static_cast<uint8_t>((byte ^ key) + (BF_MEMBER_KEY - key));
    return member;
}

std::vector<uint8_t> EncodeBlock(const std::vector<uint8_t>& data, BlockEncoder encode)
{
    std::vector<uint8_t> compressed(data.size() * 3 + 64);
    size_t size = encode(
        data.data(), static_cast<uint32_t>(data.size()), compressed.data(), compressed.size());
    compressed.resize(size);
    return compressed;
}

std::vector<uint8_t> LzwBlock(const std::vector<uint8_t>& compressed, uint32_t size)
{
    std::vector<uint8_t> block(BF_BLOCK_MAGIC, BF_BLOCK_MAGIC + 4);
    PutLittle(block, compressed.size(), 4);
    PutLittle(block, size, 4);
    block.insert(block.end(), compressed.begin(), compressed.end());
    return block;
}

ArchiveMember LzwMember(const std::string& name, const std::vector<uint8_t>& data,
    BlockEncoder encode, uint32_t blockSize)
{
    ArchiveMember member = StoredMember(name, {});
    member.method = BF_METHOD_LZW;
    member.size = data.size();
    for (size_t at = 0; at < data.size(); at += blockSize) {
        std::vector<uint8_t> part(
            data.begin() + at, data.begin() + std::min(data.size(), at + blockSize));
        std::vector<uint8_t> block
            = LzwBlock(EncodeBlock(part, encode), static_cast<uint32_t>(part.size()));
        member.bytes.insert(member.bytes.end(), block.begin(), block.end());
    }
    return member;
}

std::vector<uint8_t> ScrambleEntry(std::vector<uint8_t> plain)
{
    std::vector<uint8_t> entry;
    PutLittle(entry, plain.size(), 2);
    uint32_t index = entry[0] & 15u;
    for (uint8_t byte : plain) {
        auto scrambled = static_cast<uint8_t>(byte ^ BF_DIRECTORY_KEYS[index]);
        entry.push_back(scrambled);
        index = scrambled & 15u;
    }
    return entry;
}

ArchiveParts LayOut(const std::vector<ArchiveMember>& members, uint32_t version)
{
    ArchiveParts parts;
    for (const ArchiveMember& member : members) {
        std::vector<uint8_t> entry = PlainEntry(member, BF_HEADER_SIZE + parts.data.size());
        parts.entries.push_back(version == 1 ? ScrambleEntry(entry) : entry);
        parts.data.insert(parts.data.end(), member.bytes.begin(), member.bytes.end());
    }
    return parts;
}

std::vector<uint8_t> JoinEntries(const std::vector<std::vector<uint8_t>>& entries)
{
    std::vector<uint8_t> directory;
    for (const auto& entry : entries)
        directory.insert(directory.end(), entry.begin(), entry.end());
    return directory;
}

std::vector<uint8_t> AssembleArchive(uint32_t version, uint32_t count,
    const std::vector<uint8_t>& data, const std::vector<uint8_t>& directory, uint64_t ordering)
{
    std::vector<uint8_t> archive(BF_HEADER_SIZE + data.size() + directory.size(), 0);
    std::copy(BF_MAGIC, BF_MAGIC + 4, archive.begin());
    archive[BF_HDR_VERSION] = static_cast<uint8_t>(version);
    std::copy(BF_TAG_LETTERS, BF_TAG_LETTERS + 3, archive.begin() + BF_HDR_VERSION + 1);
    uint64_t directoryOffset = BF_HEADER_SIZE + data.size();
    SetLittle(archive, BF_HDR_FILE_SIZE, directoryOffset + directory.size(), 8);
    SetLittle(archive, BF_HDR_COUNT, count, 4);
    SetLittle(archive, BF_HDR_DIR_OFFSET, directoryOffset, 8);
    SetLittle(archive, BF_HDR_DIR_SIZE, directory.size(), 4);
    SetLittle(archive, BF_HDR_ORDERING, ordering, 8);
    std::copy(data.begin(), data.end(), archive.begin() + BF_HEADER_SIZE);
    std::copy(directory.begin(), directory.end(), archive.begin() + directoryOffset);
    return archive;
}

std::vector<uint8_t> BuildArchive(
    const std::vector<ArchiveMember>& members, uint32_t version, uint64_t ordering)
{
    ArchiveParts parts = LayOut(members, version);
    return AssembleArchive(version, static_cast<uint32_t>(members.size()), parts.data,
        JoinEntries(parts.entries), ordering);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::filesystem::path file(reinterpret_cast<const char8_t*>(path.c_str()));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed)
{
    static const char TEXT[] = "the quick brown fox jumps over the lazy dog\r\n";
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        switch ((i / 4096) % 3) {
        case 0:
            bytes[i] = static_cast<uint8_t>(TEXT[(i + seed) % (sizeof(TEXT) - 1)]);
            break;
        case 1:
            bytes[i] = static_cast<uint8_t>((i / 64) & 0xFF);
            break;
        default:
            bytes[i] = static_cast<uint8_t>(state >> 24);
            break;
        }
    }
    return bytes;
}

}
