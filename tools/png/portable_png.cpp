// PNG files with stored deflate blocks (see portable_png.h).
#include "tools/png/portable_png.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <system_error>

namespace portable_png {

namespace {

// The largest chunk we write: PNG allows 2^31 - 1 bytes; a frame of the toolkit's largest
// bitmap (256 MiB of pixels) stays well below this.
constexpr uint64_t MAX_IMAGE_DATA = uint64_t { 1 } << 30;
// A stored deflate block holds at most 65535 bytes.
constexpr size_t STORED_BLOCK = 65535;

uint32_t Crc32(const uint8_t* bytes, size_t count)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries {};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Adler-32 of the zlib stream, carried along as the rows are stored.
class Adler32 {
public:
    void Add(const uint8_t* bytes, size_t count)
    {
        // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the reduction.
        for (size_t start = 0; start < count; start += 5552) {
            size_t end = std::min(count, start + 5552);
            for (size_t i = start; i < end; ++i) {
                m_a += bytes[i];
                m_b += m_a;
            }
            m_a %= 65521;
            m_b %= 65521;
        }
    }
    uint32_t Value() const { return (m_b << 16) | m_a; }

private:
    uint32_t m_a = 1, m_b = 0;
};

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// A chunk's length and type; EndChunk appends the CRC of type and data.
size_t BeginChunk(std::vector<uint8_t>& out, uint32_t length, const char* type)
{
    PutBigEndian32(out, length);
    out.insert(out.end(), type, type + 4);
    return out.size() - 4;
}

void EndChunk(std::vector<uint8_t>& out, size_t typeStart)
{
    PutBigEndian32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// The zlib stream of the rows: header (deflate, 32 KiB window, no dictionary), stored blocks
// each led by its final flag, LEN and LEN's complement (little-endian), then the Adler-32 of
// the rows (big-endian). Each row is filter type 0 (none) and the pixels' red, green, blue and
// alpha bytes.
void PutImageData(std::vector<uint8_t>& out, const uint32_t* pixels, int32_t width, int32_t height,
    int32_t stride, size_t rawSize)
{
    out.push_back(0x78);
    out.push_back(0x01);
    std::vector<uint8_t> row(1 + 4 * size_t(width));
    size_t stored = 0, blockLeft = 0;
    Adler32 adler;
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* source = pixels + size_t(y) * size_t(stride);
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* bytes = &row[1 + 4 * size_t(x)];
            bytes[0] = static_cast<uint8_t>(source[x] >> 16);
            bytes[1] = static_cast<uint8_t>(source[x] >> 8);
            bytes[2] = static_cast<uint8_t>(source[x]);
            bytes[3] = static_cast<uint8_t>(source[x] >> 24);
        }
        adler.Add(row.data(), row.size());
        for (size_t taken = 0; taken < row.size();) {
            if (blockLeft == 0) {
                blockLeft = std::min(STORED_BLOCK, rawSize - stored);
                out.insert(out.end(),
                    { uint8_t(stored + blockLeft == rawSize), uint8_t(blockLeft),
                        uint8_t(blockLeft >> 8), uint8_t(~blockLeft), uint8_t(~blockLeft >> 8) });
            }
            size_t part = std::min(blockLeft, row.size() - taken);
            out.insert(out.end(), row.begin() + std::ptrdiff_t(taken),
                row.begin() + std::ptrdiff_t(taken + part));
            taken += part;
            stored += part;
            blockLeft -= part;
        }
    }
    PutBigEndian32(out, adler.Value());
}

}

std::vector<uint8_t> EncodePng(const uint32_t* pixels, int32_t width, int32_t height,
    int32_t stride, const std::string& comment)
{
    if (!pixels || width <= 0 || height <= 0 || stride < width
        || uint64_t(height) * (1 + 4 * uint64_t(width)) > MAX_IMAGE_DATA)
        return {};
    const size_t rawSize = size_t(height) * (1 + 4 * size_t(width));
    const size_t dataSize = 2 + (rawSize + STORED_BLOCK - 1) / STORED_BLOCK * 5 + rawSize + 4;
    std::vector<uint8_t> file { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    file.reserve(8 + 25 + 12 + 8 + comment.size() + 12 + dataSize + 12);

    size_t chunk = BeginChunk(file, 13, "IHDR");
    PutBigEndian32(file, uint32_t(width));
    PutBigEndian32(file, uint32_t(height));
    file.insert(file.end(), { 8, 6, 0, 0, 0 }); // 8 bits, RGBA, deflate, no filters, no interlace
    EndChunk(file, chunk);
    if (!comment.empty()) {
        static const char KEYWORD[] = "Comment"; // with its NUL separator
        chunk = BeginChunk(file, uint32_t(sizeof KEYWORD + comment.size()), "tEXt");
        file.insert(file.end(), KEYWORD, KEYWORD + sizeof KEYWORD);
        file.insert(file.end(), comment.begin(), comment.end());
        EndChunk(file, chunk);
    }
    chunk = BeginChunk(file, uint32_t(dataSize), "IDAT");
    PutImageData(file, pixels, width, height, stride, rawSize);
    EndChunk(file, chunk);
    EndChunk(file, BeginChunk(file, 0, "IEND"));
    return file;
}

bool WritePng(const std::filesystem::path& path, const uint32_t* pixels, int32_t width,
    int32_t height, int32_t stride, const std::string& comment)
{
    std::vector<uint8_t> file = EncodePng(pixels, width, height, stride, comment);
    if (file.empty())
        return false;
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        out.close();
        if (out.good()) {
            std::filesystem::rename(temporary, path, error);
            if (!error)
                return true;
        }
    }
    std::filesystem::remove(temporary, error);
    return false;
}

}
