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
    EXPECT_EQ(3u, loaded.record.width);
    EXPECT_EQ(2u, loaded.record.height);
    EXPECT_EQ(3u, loaded.record.bytesPerPixel);
    EXPECT_EQ(0u, loaded.record.flags);
    EXPECT_EQ(18u, loaded.record.dataSize);
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
            LoadedImage loaded = Load("true.bmp", BmpFile24(width, 3, rgb, infoSize));
            ASSERT_EQ(1, loaded.result);
            EXPECT_EQ(rgb, loaded.pixels);
            loaded = Load("mapped.bmp", BmpFile8(width, 3, indices, palette, infoSize));
            ASSERT_EQ(1, loaded.result);
            EXPECT_EQ(mapped, loaded.pixels);
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
    std::vector<uint8_t> rgb = PatternPixels(2, 2, 3);
    for (uint32_t offset : { 0u, 20u, 0xFFFFFFF0u }) {
        SCOPED_TRACE(offset);
        std::vector<uint8_t> file = BmpFile24(2, 2, rgb);
        file[10] = static_cast<uint8_t>(offset);
        file[11] = static_cast<uint8_t>(offset >> 8);
        file[12] = static_cast<uint8_t>(offset >> 16);
        file[13] = static_cast<uint8_t>(offset >> 24);
        LoadedImage loaded = Load("offset.bmp", file);
        ASSERT_EQ(1, loaded.result);
        EXPECT_EQ(rgb, loaded.pixels);
    }
    std::vector<uint8_t> palette = PatternPixels(256, 1, 3);
    std::vector<uint8_t> file = BmpFile8(1, 1, { 200 }, palette);
    file[10] = file[11] = 0;
    LoadedImage loaded = Load("offset8.bmp", file);
    ASSERT_EQ(1, loaded.result);
    EXPECT_EQ(std::vector<uint8_t>(&palette[600], &palette[603]), loaded.pixels);
}

TEST_F(Bmp, ZeroHeightLoadsWithoutPixels)
{
    LoadedImage loaded = Load("flat.bmp", Headers(5, 0, 24).Data());
    EXPECT_EQ(1, loaded.result);
    EXPECT_EQ(5u, loaded.record.width);
    EXPECT_EQ(0u, loaded.record.dataSize);
    EXPECT_EQ(nullptr, loaded.record.pixels);
}

// Sizes that once wrapped or went negative, headers and rows cut short, and the formats this
// loader does not read: each is refused with nothing left allocated.
TEST_F(Bmp, CraftedFilesAreRefused)
{
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_TRUE(Refused(Load("crafted.bmp", c.file), c.reason));
    }
}

TEST_F(Bmp, CutFilesAreRefused)
{
    std::vector<uint8_t> whole = BmpFile24(3, 4, PatternPixels(3, 4, 3));
    std::vector<uint8_t> half(whole.begin(), whole.begin() + 54 + 24);
    EXPECT_TRUE(Refused(Load("half.bmp", half), "BMP pixel data cut short"));
    std::vector<uint8_t> lastByte(whole.begin(), whole.end() - 1);
    EXPECT_TRUE(Refused(Load("last.bmp", lastByte), "BMP pixel data cut short"));
    std::vector<uint8_t> inHeader(whole.begin(), whole.begin() + 14 + 20);
    EXPECT_TRUE(Refused(Load("header.bmp", inHeader), "BMP information header cut short"));

    // An information header that says it is 20 bytes long is too small to hold the fields.
    std::vector<uint8_t> small = whole;
    small[14] = 20;
    EXPECT_TRUE(Refused(Load("small.bmp", small), "BMP information header too small"));
    EXPECT_TRUE(Refused(Load("magic.bmp", { 'B', 'N', 0, 0 }), "not a BMP file"));
}

}
