// Small BMP and TGA writers for the image tests (see picture_writer.h).
#include "tests/support/picture_writer.h"

namespace test {

ByteWriter& ByteWriter::U8(uint32_t value)
{
    m_bytes.push_back(static_cast<uint8_t>(value));
    return *this;
}

ByteWriter& ByteWriter::U16(uint32_t value)
{
    return U8(value).U8(value >> 8);
}

ByteWriter& ByteWriter::U32(uint32_t value)
{
    return U16(value).U16(value >> 16);
}

ByteWriter& ByteWriter::Bytes(const std::vector<uint8_t>& bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::Repeat(uint8_t value, size_t count)
{
    m_bytes.insert(m_bytes.end(), count, value);
    return *this;
}

std::vector<uint8_t> PatternPixels(
    uint32_t width, uint32_t height, uint32_t channels, uint32_t seed)
{
    std::vector<uint8_t> pixels(size_t { width } * height * channels);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : pixels) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return pixels;
}

namespace {

// File header and information header; the pixel rows follow the palette directly.
ByteWriter BmpHeaders(uint32_t width, uint32_t height, uint16_t bits, uint32_t infoSize,
    uint32_t paletteEntries, uint32_t dataSize)
{
    uint32_t dataOffset = 14 + infoSize + paletteEntries * 4;
    ByteWriter file;
    file.U16(0x4D42).U32(dataOffset + dataSize).U32(0).U32(dataOffset);
    file.U32(infoSize).U32(width).U32(height).U16(1).U16(bits).U32(0).U32(dataSize);
    file.U32(2835).U32(2835).U32(paletteEntries).U32(0);
    file.Repeat(0, infoSize - 40); // colour masks, colour space and profile fields, unused here
    return file;
}

uint32_t BmpStride(uint32_t width, uint32_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

}

std::vector<uint8_t> BmpFile24(
    uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb, uint32_t infoSize)
{
    uint32_t stride = BmpStride(width, 24);
    ByteWriter file = BmpHeaders(width, height, 24, infoSize, 0, stride * height);
    for (uint32_t row = height; row-- > 0;) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = &rgb[(size_t { row } * width + x) * 3];
            file.U8(pixel[2]).U8(pixel[1]).U8(pixel[0]);
        }
        file.Repeat(0, stride - width * 3);
    }
    return file.Data();
}

std::vector<uint8_t> BmpFile8(uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
    const std::vector<uint8_t>& paletteRgb, uint32_t infoSize)
{
    uint32_t stride = BmpStride(width, 8);
    uint32_t entries = static_cast<uint32_t>(paletteRgb.size() / 3);
    ByteWriter file = BmpHeaders(width, height, 8, infoSize, entries, stride * height);
    for (uint32_t i = 0; i < entries; ++i)
        file.U8(paletteRgb[i * 3 + 2]).U8(paletteRgb[i * 3 + 1]).U8(paletteRgb[i * 3]).U8(0);
    for (uint32_t row = height; row-- > 0;) {
        for (uint32_t x = 0; x < width; ++x)
            file.U8(indices[size_t { row } * width + x]);
        file.Repeat(0, stride - width);
    }
    return file.Data();
}

std::vector<uint8_t> TgaHeader(uint8_t imageType, uint16_t width, uint16_t height, uint8_t depth,
    uint8_t descriptor, uint16_t mapLength, uint8_t mapBits)
{
    ByteWriter header;
    header.U8(0).U8(mapLength != 0 ? 1 : 0).U8(imageType).U16(0).U16(mapLength).U8(mapBits);
    header.U16(0).U16(0).U16(width).U16(height).U8(depth).U8(descriptor);
    return header.Data();
}

}
