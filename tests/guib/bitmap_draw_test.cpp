// The drawing primitives: lines with their clipping, framed rectangles, and a scene of every
// primitive pinned by its hash. None may write outside the pixel block whatever the
// coordinates.
#include "guib/guib.h"
#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using Points = std::vector<std::pair<int32_t, int32_t>>;
using test::PixelsWith;

constexpr uint32_t INK = 0xFF102030;

Points LinePixels(int32_t width, int32_t height, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    c_GUIB_Bitmap bitmap(width, height);
    bitmap.SetColour(INK);
    bitmap.Line(x1, y1, x2, y2);
    return PixelsWith(bitmap, INK);
}

// (0, 0)-(3, 1) steps along x and moves down once; the end points are ordered first. Lines are
// clipped to the bitmap first: wholly outside they draw nothing, and a cut line keeps its course.
TEST(BitmapDraw, LinesStepAlongTheLongerAxisAndAreClipped)
{
    const Points shallow { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 3, 1 } };
    EXPECT_EQ(shallow, LinePixels(5, 3, 0, 0, 3, 1));
    EXPECT_EQ(shallow, LinePixels(5, 3, 3, 1, 0, 0));
    EXPECT_EQ((Points { { 0, 0 }, { 0, 1 }, { 0, 2 }, { 1, 3 } }), LinePixels(3, 5, 1, 3, 0, 0));
    EXPECT_EQ((Points { { 1, 1 } }), LinePixels(3, 3, 1, 1, 1, 1));
    EXPECT_TRUE(LinePixels(10, 5, -20, 0, -1, 4).empty());
    EXPECT_TRUE(LinePixels(10, 5, 10, 0, 30, 4).empty());
    Points row;
    for (int32_t x = 0; x < 10; ++x)
        row.emplace_back(x, 2);
    EXPECT_EQ(row, LinePixels(10, 5, -5, 2, 20, 2));
    // Slope 1/2 through (0, 0) and (8, 4).
    Points crossing = LinePixels(9, 5, -4, -2, 16, 8);
    ASSERT_EQ(9u, crossing.size());
    EXPECT_EQ(std::make_pair(0, 0), crossing.front());
    EXPECT_EQ(std::make_pair(8, 4), crossing.back());
    for (auto [x, y] : crossing)
        EXPECT_LE(std::abs(2 * y - x), 1) << x << "," << y;
}

TEST(BitmapDraw, ExtremeCoordinatesStayInsideTheBlock)
{
    c_GUIB_Bitmap bitmap(7, 7);
    bitmap.Line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    bitmap.Line(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX);
    const GUIB_Rect huge { INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX };
    bitmap.DrawFramedRect(&huge, 0xFFFFFFFF);
    bitmap.Tint(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0x00ABCDEF);
    EXPECT_EQ(49u, PixelsWith(bitmap, 0xFFABCDEF).size());
}

TEST(BitmapDraw, FramedRectFillsOnlyARealInterior)
{
    constexpr uint32_t FILL = 0xFFEEDDCC;
    c_GUIB_Bitmap bitmap(9, 5);
    bitmap.SetColour(INK);
    const GUIB_Rect threeWide { 1, 1, 4, 4 };
    const GUIB_Rect twoWide { 5, 1, 7, 4 };
    bitmap.DrawFramedRect(&threeWide, FILL);
    bitmap.DrawFramedRect(&twoWide, FILL);
    EXPECT_EQ((Points { { 2, 2 } }), PixelsWith(bitmap, FILL));
    EXPECT_EQ(8u + 6u, PixelsWith(bitmap, INK).size());
    EXPECT_EQ(INK, bitmap.GetColour());
}

// Every primitive once; the hash pins the exact pixels (checked by eye when it was taken).
TEST(BitmapDraw, SceneMatchesItsGoldenHash)
{
    c_GUIB_Bitmap scene(40, 30);
    scene.SetColour(0xD8434F25);
    scene.FillRect(0, 0, 40, 30);
    scene.SetColour(0xFF000000);
    const GUIB_Rect frame { 2, 2, 38, 28 };
    scene.DrawFramedRect(&frame, 0xFFFFFFC0);
    scene.SetColour(0xFF738447);
    for (int32_t i = -10; i < 50; i += 7)
        scene.Line(i, -3, 39 - i, 33);
    scene.Tint(5, 5, 20, 15, 0x00FF0000);
    c_GUIB_Bitmap sprite(8, 8);
    test::Paint(sprite,
        [](int32_t x, int32_t y) { return uint32_t(x * 32) << 24 | uint32_t(y * 30) << 8; });
    sprite.BlendTo(&scene, 30, 20, 0, 0, 8, 8);
    sprite.CopyTo(&scene, -3, 25, 0, 0, 8, 8);
    scene.Stretch(25, 35);
    EXPECT_EQ(0x95a8b9f91063774eull, test::HashOf(scene));
}

}
