// Area-averaging resampling: block means, the two-pass order for mixed directions, colours that
// must survive any resize exactly, and the sizes that leave a bitmap alone.
#include "guib/guib.h"
#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

namespace {

using test::PixelsOf;

TEST(BitmapStretch, HalvingGivesTheTruncatedMeanOfEachBlock)
{
    c_GUIB_Bitmap bitmap(4, 4);
    // Block (0, 0) holds 0, 1, 4, 5 in every channel: mean 2.5; block (1, 1) holds 10, 11, 14, 15.
    test::Paint(bitmap, [](int32_t x, int32_t y) { return uint32_t(y * 4 + x) * 0x01010101u; });
    bitmap.Stretch(2, 2);
    EXPECT_EQ((std::vector<uint32_t> { 0x02020202, 0x04040404, 0x0A0A0A0A, 0x0C0C0C0C }),
        PixelsOf(bitmap));
}

TEST(BitmapStretch, MixedDirectionsWidenOrHeightenFirst)
{
    // 1 × 3 to 2 × 2: widen to 2 × 3, then reduce the height; the lower target row covers one
    // source row by a third and the next by two thirds: (0 × 1 + 200 × 2) / 3 = 133.
    c_GUIB_Bitmap column(1, 3);
    column.SetPixel(0, 2, 200);
    column.Stretch(2, 2);
    EXPECT_EQ((std::vector<uint32_t> { 0, 0, 133, 133 }), PixelsOf(column));
    c_GUIB_Bitmap row(3, 1);
    row.SetPixel(2, 0, 200);
    row.Stretch(2, 2);
    EXPECT_EQ((std::vector<uint32_t> { 0, 133, 0, 133 }), PixelsOf(row));
}

TEST(BitmapStretch, AUniformColourSurvivesEveryResize)
{
    const int32_t sizes[][4]
        = { { 7, 5, 3, 2 }, { 3, 2, 11, 13 }, { 5, 9, 12, 4 }, { 12, 4, 5, 9 }, { 17, 3, 1, 1 } };
    for (const auto& size : sizes) {
        c_GUIB_Bitmap bitmap(size[0], size[1]);
        bitmap.SetColour(0xC8FE017F);
        bitmap.FillRect(0, 0, size[0], size[1]);
        bitmap.Stretch(size[2], size[3]);
        EXPECT_EQ(std::vector<uint32_t>(size_t(size[2] * size[3]), 0xC8FE017F), PixelsOf(bitmap))
            << size[0] << "x" << size[1] << " -> " << size[2] << "x" << size[3];
    }
}

// 255 × 5000 × 5000 per channel passes 2^32: 32-bit sums would turn white into another colour.
TEST(BitmapStretch, AHugeWhitePictureStaysWhite)
{
    c_GUIB_Bitmap picture(5000, 5000);
    picture.SetColour(0xFFFFFFFF);
    picture.FillRect(0, 0, 5000, 5000);
    picture.Stretch(100, 100);
    EXPECT_EQ(std::vector<uint32_t>(100 * 100, 0xFFFFFFFF), PixelsOf(picture));
}

TEST(BitmapStretch, SizesThatLeaveTheBitmapAlone)
{
    c_GUIB_Bitmap bitmap(3, 2);
    test::Paint(bitmap, [](int32_t x, int32_t y) { return uint32_t(x + 10 * y); });
    std::vector<uint32_t> before = PixelsOf(bitmap);
    for (auto [width, height] :
        { std::pair { 3, 2 }, { 0, 2 }, { 3, -1 }, { 0x10000, 2 }, { 0x8000, 0x8000 } }) {
        bitmap.Stretch(width, height);
        EXPECT_EQ(before, PixelsOf(bitmap)) << width << " x " << height;
    }
}

}
