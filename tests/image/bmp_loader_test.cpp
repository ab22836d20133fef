// BMP pictures: row padding and order, 8-bit palettes (short ones too), larger information
// headers found through the data offset, and crafted headers that once overflowed the block.
#include "tests/image/image_fixture.h"

#include <string>
#include <vector>

namespace {

using test::BmpFile24;
using test::BmpFile8;
using test::ByteWriter;
using test::LoadedImage;
using test::PatternPixels;
using test::Shape;

using Bmp = test::ImageFixture;

// The file header and a 40-byte information header, written field by field.
ByteWriter Headers(int32_t width, int32_t height, uint32_t bits, uint32_t compression = 0,
    uint32_t dataOffset = 54)
{
    ByteWriter file;
    file.U16(0x4D42).U32(0).U32(0).U32(dataOffset);
    file.U32(40).U32(static_cast<uint32_t>(width)).U32(static_cast<uint32_t>(height));
    file.U16(1).U16(bits).U32(compression).U32(0).U32(0).U32(0).U32(0).U32(0);
    return file;
}

// Packed by hand: 3 pixels wide, so each file row is 9 pixel bytes and 3 padding bytes (given
// a value here that must not show up), bottom row first, blue before red.
TEST_F(Bmp, RowsArePaddedToFourBytesAndStoredBottomUp)
{
    ByteWriter file = Headers(3, 2, 24);
    file.Bytes({ 12, 11, 10, 15, 14, 13, 18, 17, 16, 0xEE, 0xEE, 0xEE });
    file.Bytes({ 3, 2, 1, 6, 5, 4, 9, 8, 7, 0xEE, 0xEE, 0xEE });
    LoadedImage loaded = Load("padded.bmp", file.Data());
    ASSERT_EQ(1, loaded.result);
    EXPECT_EQ((Shape { 3, 2, 3, 0, 18 }), loaded.GetShape());
    std::vector<uint8_t> expected
        = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18 };
    EXPECT_EQ(expected, loaded.pixels);
}

// Every padding amount, at both depths, and information headers of 40, 108 and 124 bytes all
// give the same pixels.
TEST_F(Bmp, EveryWidthAndHeaderSizeLoadsTheSamePixels)
{
    std::vector<uint8_t> palette = PatternPixels(256, 1, 3, 7);
    for (uint32_t width = 1; width <= 5; ++width) {
        std::vector<uint8_t> rgb = PatternPixels(width, 3, 3, width);
        std::vector<uint8_t> indices = PatternPixels(width, 3, 1, width + 10);
        std::vector<uint8_t> mapped;
        for (uint8_t index : indices)
            mapped.insert(mapped.end(), &palette[index * 3], &palette[index * 3] + 3);
        for (uint32_t infoSize : { 40u, 108u, 124u }) {
            SCOPED_TRACE("width " + std::to_string(width) + ", header " + std::to_string(infoSize));
            EXPECT_EQ(rgb, Load("true.bmp", BmpFile24(width, 3, rgb, infoSize)).pixels);
            EXPECT_EQ(
                mapped, Load("mapped.bmp", BmpFile8(width, 3, indices, palette, infoSize)).pixels);
        }
    }
}

// A palette of 2 entries: the rows start right after it (found by the data offset), and an
// index past it is black rather than a byte of the rows.
TEST_F(Bmp, ShortPaletteIsFoundByTheDataOffset)
{
    std::vector<uint8_t> palette = { 0x11, 0x22, 0x33, 0x44, 0x55, 0x66 };
    LoadedImage loaded = Load("short.bmp", BmpFile8(4, 1, { 1, 0, 2, 255 }, palette));
    ASSERT_EQ(1, loaded.result);
    std::vector<uint8_t> expected = { 0x44, 0x55, 0x66, 0x11, 0x22, 0x33, 0, 0, 0, 0, 0, 0 };
    EXPECT_EQ(expected, loaded.pixels);
}

// A data offset outside the file (or inside the headers) is ignored: the rows follow the
// headers, after a palette of 256 entries at 8 bits.
TEST_F(Bmp, UnusableDataOffsetFallsBackToTheHeaders)
{
    auto withOffset = [](std::vector<uint8_t> file, uint32_t offset) {
        for (int i = 0; i < 4; ++i)
            file[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
        return file;
    };
    std::vector<uint8_t> rgb = PatternPixels(2, 2, 3);
    for (uint32_t offset : { 0u, 20u, 0xFFFFFFF0u })
        EXPECT_EQ(rgb, Load("offset.bmp", withOffset(BmpFile24(2, 2, rgb), offset)).pixels)
            << offset;
    std::vector<uint8_t> palette = PatternPixels(256, 1, 3);
    EXPECT_EQ(std::vector<uint8_t>(&palette[600], &palette[603]),
        Load("offset8.bmp", withOffset(BmpFile8(1, 1, { 200 }, palette), 0)).pixels);
}

TEST_F(Bmp, ZeroHeightLoadsWithoutPixels)
{
    LoadedImage loaded = Load("flat.bmp", Headers(5, 0, 24).Data());
    EXPECT_EQ(1, loaded.result);
    EXPECT_EQ((Shape { 5, 0, 3, 0, 0 }), loaded.GetShape());
    EXPECT_EQ(nullptr, loaded.record.pixels);
}

// Sizes that once wrapped or went negative, headers and rows cut short, and the formats this
// loader does not read: each is refused with nothing left allocated.
TEST_F(Bmp, CraftedFilesAreRefused)
{
    std::vector<uint8_t> whole = BmpFile24(3, 4, PatternPixels(3, 4, 3));
    auto first
        = [&](size_t count) { return std::vector<uint8_t>(whole.begin(), whole.begin() + count); };
    std::vector<uint8_t> smallInfo = whole;
    smallInfo[14] = 20; // an information header of 20 bytes cannot hold its fields
    struct Case {
        std::vector<uint8_t> file;
        const char* reason;
    } cases[] = {
        { Headers(4, -10, 24).Repeat(0, 64).Data(), "BMP height negative" },
        { Headers(0x40000000, 1, 24).Repeat(0, 64).Data(), "picture too large" },
        { Headers(65536, 1, 8).Repeat(0, 1024).Data(), "picture too large" },
        { Headers(8192, 8193, 24).Data(), "picture too large" },
        { Headers(0, 4, 24).Repeat(0, 64).Data(), "BMP width below 1" },
        { Headers(-4, 4, 24).Repeat(0, 64).Data(), "BMP width below 1" },
        { Headers(4, 4, 24, 1).Repeat(0, 64).Data(), "BMP compression not supported" },
        { Headers(4, 4, 4).Repeat(0, 64).Data(), "BMP bit count not supported" },
        { Headers(4, 4, 32).Repeat(0, 64).Data(), "BMP bit count not supported" },
        { Headers(2, 2, 8, 0, 0).Repeat(0, 64).Data(), "BMP palette cut short" },
        { first(54 + 24), "BMP pixel data cut short" }, // half the rows
        { first(whole.size() - 1), "BMP pixel data cut short" },
        { first(14 + 20), "BMP information header cut short" },
        { smallInfo, "BMP information header too small" },
        { { 'B', 'N', 0, 0 }, "not a BMP file" },
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Refused(Load("crafted.bmp", c.file), c.reason)) << c.reason;
}

}
