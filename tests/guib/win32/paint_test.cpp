// PaintToDC through GDI: a memory device context with a 32-bit top-down DIB section stands in
// for the screen, and its pixels are read back after the paint.
#include <windows.h>

#include "guib/guib.h"
#include "tests/guib/bitmap_checks.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t BACKGROUND = 0x00ADBEEF;

TEST(PaintToDC, OnlyTheInsidePartIsPaintedAtThePositionThroughGdi)
{
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 8, -6, 1, 32, BI_RGB }; // top-down 8 × 6
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(dc && dib && bits);
    HGDIOBJ previous = SelectObject(dc, dib);
    auto* screen = static_cast<uint32_t*>(bits);
    std::fill_n(screen, 8 * 6, BACKGROUND);

    c_GUIB_Bitmap bitmap(4, 4);
    test::Paint(bitmap,
        [](int32_t x, int32_t y) { return 0x80000000u | uint32_t(0x10101 * (y * 16 + x + 1)); });
    const GUIB_Rect r { -2, 1, 3, 9 }; // inside part: columns 0..2, rows 1..3
    bitmap.PaintToDC(reinterpret_cast<uintptr_t>(dc), 2, 1, &r);
    const GUIB_Rect all { 0, 0, 4, 4 };
    bitmap.PaintToDC(reinterpret_cast<uintptr_t>(dc), 6, 5, &all); // cut by the device
    GdiFlush();
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            uint32_t expected = BACKGROUND;
            if (x >= 2 && x < 5 && y >= 1 && y < 4)
                expected = bitmap.GetPixel(x - 2, y) & 0xFFFFFF;
            if (x >= 6 && y >= 5)
                expected = bitmap.GetPixel(x - 6, y - 5) & 0xFFFFFF;
            // The device keeps no alpha of its own.
            EXPECT_EQ(expected, screen[y * 8 + x] & 0xFFFFFF) << x << "," << y;
        }
    SelectObject(dc, previous);
    DeleteObject(dib);
    DeleteDC(dc);
}

}
