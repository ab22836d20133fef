// Writers of small picture files for the image tests: a little-endian byte builder, BMP files
// (24- and 8-bit, with any information header size) and TGA headers, and pixel patterns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace test {

// Appends little-endian fields to a growing byte vector.
class ByteWriter {
public:
    ByteWriter& U8(uint32_t value);
    ByteWriter& U16(uint32_t value);
    ByteWriter& U32(uint32_t value);
    ByteWriter& Bytes(const std::vector<uint8_t>& bytes);
    ByteWriter& Repeat(uint8_t value, size_t count);
    const std::vector<uint8_t>& Data() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

// Distinct, deterministic pixel bytes: width × height × channels, rows top to bottom.
std::vector<uint8_t> PatternPixels(
    uint32_t width, uint32_t height, uint32_t channels, uint32_t seed = 1);

// A 24-bit BMP of rgb (rows top to bottom, 3 bytes per pixel). infoSize is the information
// header's size (40, 108, 124 ...); the data offset points at the rows.
std::vector<uint8_t> BmpFile24(
    uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb, uint32_t infoSize = 40);
// An 8-bit BMP of indices (rows top to bottom) with a palette of paletteRgb.size() / 3 entries
// (red, green, blue each), whose count goes into the colours-used field.
std::vector<uint8_t> BmpFile8(uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
    const std::vector<uint8_t>& paletteRgb, uint32_t infoSize = 40);

// The 18-byte TGA header with no ID field.
std::vector<uint8_t> TgaHeader(uint8_t imageType, uint16_t width, uint16_t height, uint8_t depth,
    uint8_t descriptor, uint16_t mapLength = 0, uint8_t mapBits = 0);

}
