// PaintToDC on the headless side: the clipped rectangle lands in an in-memory frame at the
// given position, cut again to the frame.
#include "guib/guib.h"
#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t BACKGROUND = 0xDEADBEEF;

TEST(PaintToDC, OnlyTheInsidePartIsPaintedAtThePosition)
{
    c_GUIB_Bitmap bitmap(4, 4);
    test::Paint(bitmap, [](int32_t x, int32_t y) { return 0x80000000u + uint32_t(y * 16 + x); });
    std::vector<uint32_t> pixels(8 * 6, BACKGROUND);
    GUIB_Frame frame { pixels.data(), 8, 6 };
    const GUIB_Rect r { -2, 1, 3, 9 }; // inside part: columns 0..2, rows 1..3
    bitmap.PaintToDC(reinterpret_cast<uintptr_t>(&frame), 2, 1, &r);
    const GUIB_Rect all { 0, 0, 4, 4 };
    bitmap.PaintToDC(reinterpret_cast<uintptr_t>(&frame), 6, 5, &all); // cut to the frame
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            uint32_t expected = BACKGROUND;
            if (x >= 2 && x < 5 && y >= 1 && y < 4)
                expected = bitmap.GetPixel(x - 2, y);
            if (x >= 6 && y >= 5)
                expected = bitmap.GetPixel(x - 6, y - 5);
            EXPECT_EQ(expected, pixels[size_t(y * 8 + x)]) << x << "," << y;
        }
}

}
