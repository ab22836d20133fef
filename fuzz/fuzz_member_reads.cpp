// Fuzz target of member reads: the input becomes the data of three members of one valid
// archive (stored, scrambled, and LZW blocks of a size the input picks), and the rest of the
// input drives reads and seeks, each checked against the data itself and one whole read.
#include "bigfile/bigfile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::filesystem::path g_folder;

void Start()
{
    g_folder = std::filesystem::temp_directory_path() / ("fuzz-reads-" + std::to_string(getpid()));
    std::filesystem::create_directories(g_folder);
    BF_InitParams params {};
    if (BF_Init(&params) != 1)
        std::abort();
    std::atexit([] {
        BF_Shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
}

void Put(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> LzwBlocks(const std::vector<uint8_t>& data, uint32_t blockSize)
{
    std::vector<uint8_t> out;
    for (size_t at = 0; at < data.size(); at += blockSize) {
        auto size = static_cast<uint32_t>(std::min<size_t>(blockSize, data.size() - at));
        std::vector<uint8_t> stream(LZW_EncodeBound(size));
        size_t written = LZW_Encode(data.data() + at, size, stream.data(), stream.size());
        out.insert(out.end(), BF_BLOCK_MAGIC, BF_BLOCK_MAGIC + 4);
        Put(out, written, 4);
        Put(out, size, 4);
        out.insert(out.end(), stream.begin(), stream.begin() + written);
    }
    return out;
}

// A version-0 archive of the three members "S", "X" and "L" holding data.
std::vector<uint8_t> Archive(const std::vector<uint8_t>& data, uint32_t blockSize)
{
    std::vector<uint8_t> scrambled = data;
    auto key = static_cast<uint8_t>(data.size());
    for (uint8_t& byte : scrambled)
        byte = static_cast<uint8_t>((byte ^ key) + (BF_MEMBER_KEY - key));
    const std::vector<uint8_t> stored[3] = { data, scrambled, LzwBlocks(data, blockSize) };
    std::vector<uint8_t> body, directory;
    for (uint32_t method = 0; method < 3; ++method) {
        Put(directory, BF_HEADER_SIZE + body.size(), 8);
        Put(directory, 0x20, 4);
        Put(directory, 0, 8);
        Put(directory, data.size(), 8);
        Put(directory, 0, 4);
        Put(directory,
            method == 0       ? BF_METHOD_STORED
                : method == 1 ? BF_METHOD_SCRAMBLED
                              : BF_METHOD_LZW,
            4);
        Put(directory, 0, 4);
        directory.push_back("SXL"[method]);
        directory.push_back(0);
        body.insert(body.end(), stored[method].begin(), stored[method].end());
    }
    std::vector<uint8_t> archive(BF_MAGIC, BF_MAGIC + 4);
    archive.insert(archive.end(), { 0, 'K', 'V', 'X' });
    Put(archive, BF_HEADER_SIZE + body.size() + directory.size(), 8);
    Put(archive, 3, 4);
    Put(archive, BF_HEADER_SIZE + body.size(), 8);
    Put(archive, directory.size(), 4);
    archive.resize(BF_HEADER_SIZE, 0);
    archive.insert(archive.end(), body.begin(), body.end());
    archive.insert(archive.end(), directory.begin(), directory.end());
    return archive;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Each operation is three bytes: a kind (seek by origin, or read), and a 16-bit amount.
void Exercise(const char* name, const std::vector<uint8_t>& data, const uint8_t* ops, size_t count)
{
    BF_Handle file = BF_OpenEx(name, 0, 0);
    Check(file != 0);
    std::vector<uint8_t> whole(data.size() + 1);
    Check(BF_Read(file, whole.data(), static_cast<uint32_t>(whole.size())) == data.size());
    Check(std::equal(data.begin(), data.end(), whole.begin()));
    uint64_t position = data.size();
    std::vector<uint8_t> buffer;
    for (size_t i = 0; i + 3 <= count; i += 3) {
        uint32_t amount = ops[i + 1] | uint32_t { ops[i + 2] } << 8;
        uint32_t kind = ops[i] % 4;
        if (kind < 3) {
            uint64_t expected = kind == 0 ? amount
                : kind == 1               ? position + amount
                : amount <= data.size()   ? data.size() - amount
                                          : BF_BAD_POSITION;
            Check(BF_Seek(file, amount, kind) == expected);
            position = expected == BF_BAD_POSITION ? position : expected;
            continue;
        }
        buffer.assign(amount, 0);
        uint32_t got = BF_Read(file, buffer.data(), amount);
        uint64_t available = position < data.size() ? data.size() - position : 0;
        Check(got == std::min<uint64_t>(amount, available));
        Check(std::equal(buffer.begin(), buffer.begin() + got, data.begin() + position));
        position += got;
    }
    BF_Close(file);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    if (g_folder.empty())
        Start();
    if (size < 4)
        return 0;
    uint32_t blockSize = 1 + (input[0] | uint32_t { input[1] } << 8) % BF_MAX_LZW_BLOCK;
    size_t dataSize = std::min<size_t>(size - 4, input[2] | size_t { input[3] } << 8);
    std::vector<uint8_t> data(input + 4, input + 4 + dataSize);
    std::filesystem::path path = g_folder / "reads.cbf";
    {
        std::vector<uint8_t> archive = Archive(data, blockSize);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(archive.data()),
            static_cast<std::streamsize>(archive.size()));
    }
    Check(LoadBF(path.u16string().c_str(), 0) == BF_OK);
    const uint8_t* ops = input + 4 + dataSize;
    size_t opCount = size - 4 - dataSize;
    for (const char* name : { "S", "X", "L" })
        Exercise(name, data, ops, opCount);
    Check(UnloadBF(path.u16string().c_str()) == BF_OK);
    return 0;
}
