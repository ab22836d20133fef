// TGA pictures: every image type in both row orders, run-length packets across row ends, alpha
// only at depth 32, and crafted files that once read or wrote past their buffers.
#include "tests/image/image_fixture.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using test::ByteWriter;
using test::LoadedImage;
using test::Shape;
using test::TgaHeader;

constexpr uint8_t TOP_LEFT = 0x20;

using Tga = test::ImageFixture;

// One way of storing pixels: the file bytes of three sample values and what each decodes to.
struct TgaKind {
    const char* name;
    uint8_t type;
    uint8_t depth;
    uint8_t descriptor;
    std::vector<uint8_t> map; // colour map bytes (24-bit entries) for the mapped types
    std::array<std::vector<uint8_t>, 3> stored;
    std::array<std::vector<uint8_t>, 3> decoded;
};

const std::vector<uint8_t> MAP = { 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90 };

std::vector<TgaKind> Kinds()
{
    std::vector<TgaKind> kinds;
    for (uint8_t type : { 1, 9 })
        kinds.push_back({ "mapped", type, 8, 0, MAP, { { { 0 }, { 1 }, { 2 } } },
            { { { 0x30, 0x20, 0x10 }, { 0x60, 0x50, 0x40 }, { 0x90, 0x80, 0x70 } } } });
    for (uint8_t type : { 2, 10 }) {
        // 16 bits: x RRRRR GGGGG BBBBB, little-endian; bit 15 is ignored.
        for (uint8_t depth : { 15, 16 })
            kinds.push_back({ "packed", type, depth, 0, {},
                { { { 0x1F, 0x80 }, { 0xE0, 0x03 }, { 0x00, 0x7C } } },
                { { { 0, 0, 0xF8 }, { 0, 0xF8, 0 }, { 0xF8, 0, 0 } } } });
        kinds.push_back({ "bgr", type, 24, 0, {}, { { { 1, 2, 3 }, { 4, 5, 6 }, { 7, 8, 9 } } },
            { { { 3, 2, 1 }, { 6, 5, 4 }, { 9, 8, 7 } } } });
        kinds.push_back({ "bgra", type, 32, 8, {},
            { { { 1, 2, 3, 0x00 }, { 4, 5, 6, 0x80 }, { 7, 8, 9, 0xFF } } },
            { { { 3, 2, 1, 0x00 }, { 6, 5, 4, 0x80 }, { 9, 8, 7, 0xFF } } } });
        kinds.push_back({ "bgrx", type, 32, 0, {},
            { { { 1, 2, 3, 0x11 }, { 4, 5, 6, 0x22 }, { 7, 8, 9, 0x33 } } },
            { { { 3, 2, 1 }, { 6, 5, 4 }, { 9, 8, 7 } } } });
    }
    for (uint8_t type : { 3, 11 })
        kinds.push_back({ "grey", type, 8, 0, {}, { { { 0x00 }, { 0x7F }, { 0xFF } } },
            { { { 0, 0, 0 }, { 0x7F, 0x7F, 0x7F }, { 0xFF, 0xFF, 0xFF } } } });
    return kinds;
}

// A 5 × 3 picture (top row first) of the three sample values, with runs across row ends.
constexpr uint32_t WIDTH = 5;
constexpr uint32_t HEIGHT = 3;
const std::vector<int> PICTURE = { 0, 0, 0, 0, 1, 1, 2, 0, 0, 0, 2, 2, 2, 2, 2 };

// Runs of at most 4 pixels become run packets, single pixels raw packets of 1; the hand-packed
// test below covers raw packets of several pixels.
void PackRuns(const std::vector<int>& stream, const TgaKind& kind, ByteWriter& data)
{
    for (size_t i = 0, run = 1; i < stream.size(); i += run, run = 1) {
        while (i + run < stream.size() && run < 4 && stream[i + run] == stream[i])
            ++run;
        data.U8(run > 1 ? 0x80 | (run - 1) : 0).Bytes(kind.stored[stream[i]]);
    }
}

std::vector<uint8_t> TgaFile(const TgaKind& kind, bool topLeft)
{
    uint16_t mapLength = static_cast<uint16_t>(kind.map.size() / 3);
    ByteWriter file;
    file.Bytes(TgaHeader(kind.type, WIDTH, HEIGHT, kind.depth,
        kind.descriptor | (topLeft ? TOP_LEFT : 0), mapLength, mapLength ? 24 : 0));
    file.Bytes(kind.map);
    std::vector<int> stream;
    for (uint32_t row = 0; row < HEIGHT; ++row) {
        uint32_t fileRow = topLeft ? row : HEIGHT - 1 - row;
        stream.insert(stream.end(), PICTURE.begin() + fileRow * WIDTH,
            PICTURE.begin() + (fileRow + 1) * WIDTH);
    }
    if (kind.type >= 9)
        PackRuns(stream, kind, file);
    else
        for (int value : stream)
            file.Bytes(kind.stored[value]);
    return file.Data();
}

TEST_F(Tga, EveryTypeDecodesInBothRowOrders)
{
    for (const TgaKind& kind : Kinds()) {
        std::vector<uint8_t> expected;
        for (int value : PICTURE)
            expected.insert(expected.end(), kind.decoded[value].begin(), kind.decoded[value].end());
        uint32_t bytesPerPixel = static_cast<uint32_t>(kind.decoded[0].size());
        Shape shape { WIDTH, HEIGHT, bytesPerPixel, bytesPerPixel == 4 ? IMAGE_FLAG_ALPHA : 0,
            WIDTH * HEIGHT * bytesPerPixel };
        for (bool topLeft : { false, true }) {
            SCOPED_TRACE(std::string(kind.name) + " type " + std::to_string(kind.type) + " depth "
                + std::to_string(kind.depth) + (topLeft ? " top-left" : " bottom-left"));
            LoadedImage loaded = Load("kind.tga", TgaFile(kind, topLeft));
            ASSERT_EQ(1, loaded.result);
            EXPECT_TRUE(Reasons().empty());
            EXPECT_EQ(shape, loaded.GetShape());
            EXPECT_EQ(expected, loaded.pixels);
        }
    }
}

// Packed by hand: 0x83 and one pixel give four identical pixels, 0x03 and four pixels give
// those four, and both packets run on across the end of the 3-pixel rows, which are stored
// bottom row first.
TEST_F(Tga, RunLengthPacketsCrossRows)
{
    ByteWriter file;
    file.Bytes(TgaHeader(10, 3, 3, 24, 0));
    file.U8(0x83).Bytes({ 0x00, 0x00, 0xFF });
    file.U8(0x03).Bytes({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 });
    file.U8(0x00).Bytes({ 0xFF, 0x00, 0x00 });
    LoadedImage loaded = Load("packets.tga", file.Data());
    ASSERT_EQ(1, loaded.result);
    std::vector<uint8_t> expected = { 9, 8, 7, 12, 11, 10, 0, 0, 0xFF, // file row 2
        0xFF, 0, 0, 3, 2, 1, 6, 5, 4, // file row 1
        0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0 }; // file row 0
    EXPECT_EQ(expected, loaded.pixels);
}

// Data that once read or wrote past a buffer gives a bounded image: an index past the colour
// map (after a skipped ID field) is black; a 32-bit map's alpha does not make the picture alpha;
// depth 24 with alpha bits has no fourth byte to take; packets that claim more pixels than are
// left are cut; data that ends inside a pixel, inside a packet or before a packet's value
// leaves the rest black, and the damage is traced.
TEST_F(Tga, CraftedDataGivesBoundedImages)
{
    auto file = [](std::vector<uint8_t> header, const std::vector<uint8_t>& data) {
        header.insert(header.end(), data.begin(), data.end());
        return header;
    };
    std::vector<uint8_t> withId = TgaHeader(1, 3, 1, 8, TOP_LEFT, 2, 24);
    withId[0] = 4; // ID length
    std::vector<uint8_t> overlongRaw = { 0x00, 9, 0x7F };
    overlongRaw.resize(3 + 128, 7);
    const std::vector<std::string> cut = { "TGA pixel data cut short" };
    struct Case {
        std::vector<uint8_t> file;
        uint32_t bytesPerPixel;
        std::vector<uint8_t> expected;
        std::vector<std::string> reasons;
    } cases[] = {
        { file(withId, { 'i', 'c', 'o', 'n', 1, 2, 3, 4, 5, 6, 1, 200, 2 }), 3,
            { 6, 5, 4, 0, 0, 0, 0, 0, 0 }, {} },
        { file(TgaHeader(9, 3, 1, 8, TOP_LEFT | 8, 2, 32),
              { 1, 2, 3, 0x40, 4, 5, 6, 0x80, 0x81, 1, 0x00, 0 }),
            3, { 6, 5, 4, 6, 5, 4, 3, 2, 1 }, {} },
        { file(TgaHeader(2, 2, 1, 24, TOP_LEFT | 8), { 1, 2, 3, 4, 5, 6 }), 3, { 3, 2, 1, 6, 5, 4 },
            {} },
        { file(TgaHeader(10, 1, 1, 32, 8), { 0xFF, 1, 2, 3, 4 }), 4, { 3, 2, 1, 4 }, {} },
        { file(TgaHeader(11, 2, 1, 8, 0), overlongRaw), 3, { 9, 9, 9, 7, 7, 7 }, {} },
        { file(TgaHeader(2, 3, 1, 24, TOP_LEFT), { 1, 2, 3, 4, 5 }), 3,
            { 3, 2, 1, 0, 0, 0, 0, 0, 0 }, cut },
        { file(TgaHeader(10, 3, 1, 16, TOP_LEFT), { 0x02, 0x1F, 0x00, 0x1F }), 3,
            { 0, 0, 0xF8, 0, 0, 0, 0, 0, 0 }, cut },
        { file(TgaHeader(11, 3, 1, 8, TOP_LEFT), { 0x80, 0x44, 0x81 }), 3,
            { 0x44, 0x44, 0x44, 0, 0, 0, 0, 0, 0 }, cut },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        LoadedImage loaded = Load("crafted.tga", cases[i].file);
        ASSERT_EQ(1, loaded.result) << i;
        EXPECT_EQ(cases[i].bytesPerPixel, loaded.record.bytesPerPixel) << i;
        EXPECT_EQ(cases[i].bytesPerPixel == 4 ? IMAGE_FLAG_ALPHA : 0, loaded.record.flags) << i;
        EXPECT_EQ(cases[i].expected, loaded.pixels) << i;
        EXPECT_EQ(cases[i].reasons, Reasons()) << i;
    }
}

// An empty picture still says what its pixels would be: a fuzzed 1283 × 0 header at depth 32
// with alpha bits once came back as 4 bytes per pixel without the alpha flag.
TEST_F(Tga, EmptyPictureLoadsWithoutPixels)
{
    static const uint8_t crash[] = { 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x03, 0x05, 0x00, 0x00, 0x20, 0x08, 0x00, 0x00, 0xFF, 0x80, 0x00, 0x00, 0xFF };
    LoadedImage loaded
        = Load("empty.tga", std::vector<uint8_t>(std::begin(crash), std::end(crash)));
    EXPECT_EQ(1, loaded.result);
    EXPECT_EQ((Shape { 1283, 0, 4, IMAGE_FLAG_ALPHA, 0 }), loaded.GetShape());
    EXPECT_EQ(nullptr, loaded.record.pixels);
}

TEST_F(Tga, CraftedHeadersAreRefused)
{
    struct Case {
        std::vector<uint8_t> file;
        const char* reason;
    } cases[] = {
        { TgaHeader(2, 65535, 65535, 32, 8), "picture too large" },
        { TgaHeader(2, 4, 4, 8, 0), "TGA true-colour depth not supported" },
        { TgaHeader(10, 4, 4, 0, 0), "TGA true-colour depth not supported" },
        { TgaHeader(3, 4, 4, 16, 0), "TGA greyscale depth not supported" },
        { TgaHeader(1, 4, 4, 8, 0), "TGA colour-mapped picture without a colour map" },
        { TgaHeader(1, 4, 4, 8, 0, 2, 8), "TGA colour-mapped depth or entry size not supported" },
        { TgaHeader(9, 4, 4, 8, 0, 2, 15), "TGA colour-mapped depth or entry size not supported" },
        { TgaHeader(1, 4, 4, 8, 0, 2, 16), "TGA colour-mapped depth or entry size not supported" },
        { TgaHeader(1, 4, 4, 16, 0, 2, 24), "TGA colour-mapped depth or entry size not supported" },
        { TgaHeader(1, 4, 4, 8, 0, 300, 24), "TGA colour map cut short" },
        { TgaHeader(0, 4, 4, 24, 0), "TGA image type not supported" },
        { TgaHeader(32, 4, 4, 24, 0), "TGA image type not supported" },
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.file;
        bytes.resize(bytes.size() + 64, 0x01);
        EXPECT_TRUE(Refused(Load("crafted.tga", bytes), c.reason)) << c.reason;
    }
    EXPECT_TRUE(Refused(Load("cut.tga", std::vector<uint8_t>(17, 0)), "TGA header cut short"));
    std::vector<uint8_t> idPastEnd = TgaHeader(2, 1, 1, 24, 0);
    idPastEnd[0] = 200;
    EXPECT_TRUE(Refused(Load("id.tga", idPastEnd), "TGA ID field cut short"));
}

}
