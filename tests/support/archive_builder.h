// A small archive writer of the tests' own, independent of the module's writer, so that the
// reader is checked against a second reading of the format. It lays out members and entries
// and lets a test damage any part before the archive is assembled.
#pragma once

#include "bigfile/bigfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace test {

struct ArchiveMember {
    std::string name;
    std::vector<uint8_t> bytes; // as stored in the archive
    uint64_t size = 0; // as read back
    uint32_t method = BF_METHOD_STORED;
    uint32_t attributes = 0x20;
    uint64_t writeTime = 0;
    uint32_t value = 0;
    uint32_t flags = 0;
};

// Encodes one LZW block (LZW_Encode's shape); passed in so that this library needs no codec.
using BlockEncoder
    = size_t (*)(const uint8_t* input, uint32_t size, uint8_t* output, size_t capacity);

ArchiveMember StoredMember(const std::string& name, const std::vector<uint8_t>& data);
ArchiveMember ScrambledMember(const std::string& name, const std::vector<uint8_t>& data);
ArchiveMember LzwMember(const std::string& name, const std::vector<uint8_t>& data,
    BlockEncoder encode, uint32_t blockSize = BF_MAX_LZW_BLOCK);
// One block as stored: "[..]", the compressed size, the given uncompressed size, the bytes.
std::vector<uint8_t> LzwBlock(const std::vector<uint8_t>& compressed, uint32_t size);
std::vector<uint8_t> EncodeBlock(const std::vector<uint8_t>& data, BlockEncoder encode);

// Members' data one after another from the end of the header, and one entry per member with
// its data offset (version 1 entries carry their length and are scrambled).
struct ArchiveParts {
    std::vector<uint8_t> data;
    std::vector<std::vector<uint8_t>> entries;
};
ArchiveParts LayOut(const std::vector<ArchiveMember>& members, uint32_t version);
std::vector<uint8_t> ScrambleEntry(std::vector<uint8_t> plain);
std::vector<uint8_t> JoinEntries(const std::vector<std::vector<uint8_t>>& entries);

// Header (sizes filled in), data, directory of count entries.
std::vector<uint8_t> AssembleArchive(uint32_t version, uint32_t count,
    const std::vector<uint8_t>& data, const std::vector<uint8_t>& directory, uint64_t ordering = 0);
std::vector<uint8_t> BuildArchive(
    const std::vector<ArchiveMember>& members, uint32_t version = 0, uint64_t ordering = 0);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Deterministic bytes of a mixed kind (runs, text, noise) for members.
std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed);

}
