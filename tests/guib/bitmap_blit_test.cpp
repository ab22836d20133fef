// Copies between bitmaps: the blending rule case by case and against a per-channel evaluation
// of it, the clipping both copies share, and copies within one bitmap.
#include "guib/guib.h"
#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

using test::PixelsOf;

uint32_t Blended(uint32_t source, uint32_t target)
{
    c_GUIB_Bitmap s(1, 1);
    c_GUIB_Bitmap t(1, 1);
    s.SetPixel(0, 0, source);
    t.SetPixel(0, 0, target);
    s.BlendTo(&t, 0, 0, 0, 0, 1, 1);
    return t.GetPixel(0, 0);
}

// The blending rule written out channel by channel, the reference for the vectorised one.
uint32_t ReferenceBlend(uint32_t s, uint32_t t)
{
    uint32_t a = s >> 24;
    if (a == 0)
        return t;
    if (a == 255 || (t >> 24) == 0)
        return s;
    uint32_t result = t & 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8)
        result |= (((s >> shift & 0xFF) * (a + 1) + (t >> shift & 0xFF) * (256 - a)) >> 8) << shift;
    return result;
}

TEST(BitmapBlit, BlendingRuleCases)
{
    // a = 128 over an opaque target: (255 × 129) >> 8 = 128 and the target stays opaque.
    EXPECT_EQ(0xFF800080u, Blended(0x80FF00FF, 0xFF000000));
    EXPECT_EQ(0x40808080u, Blended(0x80FFFFFF, 0x40000000)); // a partial target keeps its alpha
    // A transparent target takes the source exactly, alpha included.
    EXPECT_EQ(0x80123456u, Blended(0x80123456, 0x00ABCDEF));
    // A transparent source leaves even a transparent target alone; an opaque one replaces it.
    EXPECT_EQ(0x00ABCDEFu, Blended(0x00123456, 0x00ABCDEF));
    EXPECT_EQ(0xFF123456u, Blended(0xFF123456, 0x40ABCDEF));
}

// Every source alpha, and runs of transparent and opaque pixels long enough to be skipped or
// copied whole, over targets of every alpha kind, at several offsets into the rows.
TEST(BitmapBlit, BlendMatchesThePerChannelRule)
{
    std::mt19937 random(7);
    c_GUIB_Bitmap source(259, 64);
    test::Paint(source, [&](int32_t x, int32_t y) {
        int32_t kind = y < 16 ? 2 : ((x + y) / (17 + y % 7)) % 3;
        uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : uint32_t(x % 256);
        return alpha << 24 | (random() & 0xFFFFFF);
    });
    const uint32_t targetAlphas[] = { 0x00, 0x01, 0x80, 0xFE, 0xFF };
    for (int32_t offset : { 0, 1, 5, 16 }) {
        c_GUIB_Bitmap target(259, 64);
        test::Paint(target, [&](int32_t x, int32_t y) {
            return targetAlphas[(x + y) % 5] << 24 | (random() & 0xFFFFFF);
        });
        c_GUIB_Bitmap before(target);
        source.BlendTo(&target, offset, 0, 16 - offset, 0, 259, 64);
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 259; ++x) {
                int32_t sx = x - offset + 16 - offset;
                uint32_t old = before.GetPixel(x, y);
                uint32_t expected
                    = x < offset || sx >= 259 ? old : ReferenceBlend(source.GetPixel(sx, y), old);
                ASSERT_EQ(expected, target.GetPixel(x, y)) << offset << ": " << x << "," << y;
            }
    }
}

// Pixel (x, y) is 0xFF000100 + 16y + x, so each copied pixel names where it came from.
c_GUIB_Bitmap Numbered(int32_t width, int32_t height)
{
    c_GUIB_Bitmap bitmap(width, height);
    test::Paint(bitmap, [](int32_t x, int32_t y) { return 0xFF000100u + uint32_t(y * 16 + x); });
    return bitmap;
}

TEST(BitmapBlit, CopyClipsSourceAndTargetSeparately)
{
    c_GUIB_Bitmap source = Numbered(4, 4);
    c_GUIB_Bitmap target(3, 3);
    // Left of and above the target: the source's left and top move by the same amounts.
    source.CopyTo(&target, -2, -1, 0, 0, 4, 4);
    EXPECT_EQ((std::vector<uint32_t> { 0xFF000112, 0xFF000113, 0, 0xFF000122, 0xFF000123, 0,
                  0xFF000132, 0xFF000133, 0 }),
        PixelsOf(target));
    c_GUIB_Bitmap corner(3, 3); // past the right and bottom: only what fits in both
    source.CopyTo(&corner, 2, 2, 3, 3, 5, 5);
    EXPECT_EQ((std::vector<uint32_t> { 0, 0, 0, 0, 0, 0, 0, 0, 0xFF000133 }), PixelsOf(corner));
    c_GUIB_Bitmap untouched(4, 4); // sums that would wrap in 32 bits
    source.CopyTo(&untouched, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
    source.BlendTo(&untouched, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
    source.CopyTo(&untouched, 0, 0, 0, 0, -4, 4);
    EXPECT_EQ(std::vector<uint32_t>(16, 0), PixelsOf(untouched));
}

TEST(BitmapBlit, CopyWithinOneBitmapReadsEachRowBeforeOverwritingIt)
{
    for (int32_t shift : { -2, 1 }) {
        c_GUIB_Bitmap bitmap = Numbered(5, 6);
        c_GUIB_Bitmap expected(bitmap);
        c_GUIB_Bitmap(bitmap).CopyTo(&expected, shift, shift, 0, 0, 5, 6);
        bitmap.CopyTo(&bitmap, shift, shift, 0, 0, 5, 6);
        EXPECT_EQ(PixelsOf(expected), PixelsOf(bitmap)) << shift;
    }
}

}
