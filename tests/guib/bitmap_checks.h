// Helpers of the bitmap tests: bitmaps painted from a rule, their size and pixels as values, the
// pixels of one colour, and a hash of the pixels for golden checks of drawn scenes.
#pragma once

#include "guib/guib.h"
#include "tests/support/test_support.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace test {

inline std::pair<int32_t, int32_t> SizeOf(const c_GUIB_Bitmap& bitmap)
{
    std::pair<int32_t, int32_t> size { -1, -1 };
    bitmap.GetSize(&size.first, &size.second);
    return size;
}

// Every pixel, row by row; empty for a bitmap without pixels.
inline std::vector<uint32_t> PixelsOf(const c_GUIB_Bitmap& bitmap)
{
    auto [width, height] = SizeOf(bitmap);
    const uint32_t* pixels = bitmap.GetPixels();
    return pixels ? std::vector<uint32_t>(pixels, pixels + size_t(width) * size_t(height))
                  : std::vector<uint32_t>();
}

// The state every refused size or failed load must leave: no block and a size of 0 × 0.
inline bool HasNoPixels(const c_GUIB_Bitmap& bitmap)
{
    return bitmap.GetPixels() == nullptr && SizeOf(bitmap) == std::pair(0, 0);
}

// Sets pixel (x, y) to rule(x, y) everywhere.
template <typename Rule> void Paint(c_GUIB_Bitmap& bitmap, Rule rule)
{
    auto [width, height] = SizeOf(bitmap);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, rule(x, y));
}

// The (x, y) of every pixel of the colour, in row order. (GCC 12 at -O3 takes the pixel copy's
// release for one of a pointer into its block.)
TEST_GCC_ALLOW("-Wfree-nonheap-object")
inline std::vector<std::pair<int32_t, int32_t>> PixelsWith(
    const c_GUIB_Bitmap& bitmap, uint32_t colour)
{
    const size_t width = size_t(SizeOf(bitmap).first);
    std::vector<uint32_t> pixels = PixelsOf(bitmap);
    std::vector<std::pair<int32_t, int32_t>> found;
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] == colour)
            found.emplace_back(int32_t(i % width), int32_t(i / width));
    return found;
}
TEST_GCC_ALLOW_END

// FNV-1a over the pixel bytes.
inline uint64_t HashOf(const c_GUIB_Bitmap& bitmap)
{
    uint64_t hash = 14695981039346656037ull;
    for (uint32_t pixel : PixelsOf(bitmap))
        for (int i = 0; i < 4; ++i)
            hash = (hash ^ ((pixel >> (8 * i)) & 0xFF)) * 1099511628211ull;
    return hash;
}

}
