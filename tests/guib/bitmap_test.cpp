// c_GUIB_Bitmap's block: the size limits, cleared blocks, and pictures loaded from BMP and TGA
// files.
#include "guib/guib.h"
#include "tests/guib/bitmap_checks.h"
#include "tests/guib/file_fixture.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using test::HasNoPixels;
using test::PixelsOf;

// A side of 0 or below or above 65535, or a block above 256 MiB, allocates nothing:
// 0x8000 × 0x8000 × 4 is 2^32 and wrapped to a tiny block when computed in 32 bits.
TEST(Bitmap, SizesOutsideTheLimitsHaveNoPixels)
{
    const int32_t sizes[][2] = { { 0, 5 }, { -1, 5 }, { 5, INT32_MIN }, { 0x10000, 1 },
        { 1, 0x10000 }, { 0x8000, 0x8000 }, { 8193, 8193 }, { INT32_MAX, 2 } };
    for (const auto& size : sizes)
        EXPECT_TRUE(HasNoPixels(c_GUIB_Bitmap(size[0], size[1]))) << size[0] << " x " << size[1];
    EXPECT_NE(nullptr, c_GUIB_Bitmap(GUIB_MAX_BITMAP_SIDE, 1).GetPixels());
}

TEST(Bitmap, PrimitivesOnABitmapWithoutPixelsDoNothing)
{
    c_GUIB_Bitmap empty(0x10000, 0x10000);
    c_GUIB_Bitmap other(4, 4);
    other.SetColour(0xFF123456);
    other.FillRect(0, 0, 4, 4);
    const GUIB_Rect all { 0, 0, 0x10000, 0x10000 };
    empty.SetPixel(0, 0, 0xFFFFFFFF);
    empty.FillRect(&all);
    empty.DrawFramedRect(&all, 0xFFFFFFFF);
    empty.Line(0, 0, 100, 100);
    empty.Tint(0, 0, 100, 100, 0xFFFFFFFF);
    empty.Stretch(10, 10);
    empty.BlendTo(&other, 0, 0, 0, 0, 4, 4);
    empty.CopyTo(&other, 0, 0, 0, 0, 4, 4);
    other.CopyTo(&empty, 0, 0, 0, 0, 4, 4);
    empty.PaintToDC(0, 0, 0, &all);
    EXPECT_TRUE(HasNoPixels(empty));
    EXPECT_EQ(0xFF000000u, empty.GetPixel(0, 0)); // the colour of every pixel outside a bitmap
    EXPECT_EQ(std::vector<uint32_t>(16, 0xFF123456), PixelsOf(other));
}

TEST(Bitmap, NewBlocksAreCleared)
{
    c_GUIB_Bitmap bitmap(2, 2);
    EXPECT_EQ(std::vector<uint32_t>(4, 0), PixelsOf(bitmap));
    bitmap.FillRect(0, 0, 2, 2);
    c_GUIB_Bitmap copy(bitmap);
    EXPECT_EQ(PixelsOf(bitmap), PixelsOf(copy));
    ASSERT_TRUE(bitmap.Create(3, 1));
    EXPECT_EQ(std::vector<uint32_t>(3, 0), PixelsOf(bitmap));
}

using BitmapFile = test::FileFixture;

// A 2 × 2 24-bit BMP: rows bottom-up, pixels blue, green, red, each row padded to 8 bytes.
const std::vector<uint8_t> SMALL_BMP = { 'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, //
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, //
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0, 0 };

// A 2 × 1 top-left TGA of 32 bits (blue, green, red, alpha); the descriptor's alpha bits say
// whether the fourth byte is alpha.
std::vector<uint8_t> SmallTga(uint8_t alphaBits)
{
    return { 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, uint8_t(0x20 | alphaBits), 0x10,
        0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80 };
}

// Three bytes per pixel become opaque pixels; four keep their alpha byte.
TEST_F(BitmapFile, PicturePixelsBecomeToolkitPixelsOrNone)
{
    auto pixels = [&](const char* name, const std::vector<uint8_t>& bytes) {
        return PixelsOf(c_GUIB_Bitmap(Put(name, bytes).c_str()));
    };
    using Pixels = std::vector<uint32_t>;
    EXPECT_EQ(
        (Pixels { 0xFF131211, 0xFF161514, 0xFF030201, 0xFF060504 }), pixels("a.bmp", SMALL_BMP));
    EXPECT_EQ((Pixels { 0x40302010, 0x80706050 }), pixels("alpha.tga", SmallTga(8)));
    EXPECT_EQ((Pixels { 0xFF302010, 0xFF706050 }), pixels("plain.tga", SmallTga(0)));
    // A failed load leaves no pixels.
    std::vector<uint8_t> cut(SMALL_BMP.begin(), SMALL_BMP.end() - 4);
    EXPECT_TRUE(HasNoPixels(c_GUIB_Bitmap(Put("cut.bmp", cut).c_str())));
    EXPECT_TRUE(HasNoPixels(c_GUIB_Bitmap(m_dir.File("missing.bmp").c_str())));
}

}
