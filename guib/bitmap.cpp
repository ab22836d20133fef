// c_GUIB_Bitmap's pixel block: construction, size limits, copies and single-pixel access. The
// drawing primitives, copies between bitmaps and resampling live in the bitmap_*.cpp files.
#include "guib/guib.h"

#include <algorithm>
#include <cstring>

bool GUIB_IntersectRect(GUIB_Rect* r, const GUIB_Rect* other)
{
    GUIB_Rect overlap { std::max(r->left, other->left), std::max(r->top, other->top),
        std::min(r->right, other->right), std::min(r->bottom, other->bottom) };
    if (overlap.left >= overlap.right || overlap.top >= overlap.bottom)
        return false;
    *r = overlap;
    return true;
}

uint32_t* c_GUIB_Bitmap::AllocatePixels(int32_t width, int32_t height, const char* label)
{
    if (width < 1 || height < 1)
        return nullptr; // an empty bitmap
    // Sizes come from picture headers and store records, so they are checked in 64 bits
    // before anything is allocated.
    uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
    if (width > GUIB_MAX_BITMAP_SIDE || height > GUIB_MAX_BITMAP_SIDE
        || bytes > GUIB_MAX_BITMAP_BYTES) {
        SYS_Trace(SYS_TAG_GUIB, 0, "c_GUIB_Bitmap: size above the bitmap limits");
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(SYS_Alloc(size_t(bytes), label, SYS_TAG_GUIB));
    if (pixels)
        SYS_Zero(pixels, size_t(bytes)); // cleared, so that short data never shows old memory
    return pixels;
}

void c_GUIB_Bitmap::AdoptPixels(uint32_t* pixels, int32_t width, int32_t height)
{
    SYS_Free(m_pixels);
    m_pixels = pixels;
    m_width = pixels ? width : 0;
    m_height = pixels ? height : 0;
}

c_GUIB_Bitmap::c_GUIB_Bitmap(int32_t width, int32_t height)
{
    (void)Create(width, height);
}

c_GUIB_Bitmap::c_GUIB_Bitmap(const c_GUIB_Bitmap& other)
    : c_GUIB_BasicObject(other)
{
    if (Create(other.m_width, other.m_height))
        std::memcpy(m_pixels, other.m_pixels, size_t(m_width) * size_t(m_height) * 4);
}

c_GUIB_Bitmap::~c_GUIB_Bitmap()
{
    SYS_Free(m_pixels);
}

bool c_GUIB_Bitmap::Create(int32_t width, int32_t height)
{
    AdoptPixels(AllocatePixels(width, height, "Bitmap data"), width, height);
    return m_pixels != nullptr;
}

void c_GUIB_Bitmap::GetSize(int32_t* width, int32_t* height) const
{
    if (width)
        *width = m_width;
    if (height)
        *height = m_height;
}

void c_GUIB_Bitmap::SetPixel(int32_t x, int32_t y, uint32_t colour)
{
    if (x >= 0 && x < m_width && y >= 0 && y < m_height)
        m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = colour;
}

uint32_t c_GUIB_Bitmap::GetPixel(int32_t x, int32_t y) const
{
    if (x >= 0 && x < m_width && y >= 0 && y < m_height)
        return m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
    return 0xFF000000;
}
