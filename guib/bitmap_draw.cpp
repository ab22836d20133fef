// c_GUIB_Bitmap's drawing primitives: solid fills, outlines, lines and tinting. All of them
// store plain pixels (no blending) and clip to the bitmap first, so nothing is ever written
// outside the pixel block however far off the bitmap the coordinates lie.
#include "guib/guib.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// An end point of a line; 64 bits, so that rectangle edges such as right - 1 never overflow.
struct LinePoint {
    int64_t x;
    int64_t y;
};

// The part of r inside the bitmap; false when nothing is left (also for a bitmap without pixels).
bool ClipToBitmap(GUIB_Rect* r, const c_GUIB_Bitmap& bitmap)
{
    GUIB_Rect bounds { 0, 0, 0, 0 };
    bitmap.GetSize(&bounds.right, &bounds.bottom);
    return GUIB_IntersectRect(r, &bounds);
}

// Stores op(pixel) into every pixel of r, clipped to the bitmap, row by row.
template <typename Op> void ForEachRow(c_GUIB_Bitmap& bitmap, GUIB_Rect r, Op op)
{
    if (!ClipToBitmap(&r, bitmap))
        return;
    int32_t width = 0;
    bitmap.GetSize(&width, nullptr);
    size_t count = size_t(r.right - r.left);
    for (int32_t y = r.top; y < r.bottom; ++y)
        op(bitmap.GetPixels() + size_t(y) * size_t(width) + size_t(r.left), count);
}

void FillClipped(c_GUIB_Bitmap& bitmap, const GUIB_Rect& r, uint32_t colour)
{
    ForEachRow(
        bitmap, r, [colour](uint32_t* row, size_t count) { std::fill_n(row, count, colour); });
}

int OutCode(LinePoint p, int32_t width, int32_t height)
{
    return (p.x < 0 ? 1 : 0) | (p.x >= width ? 2 : 0) | (p.y < 0 ? 4 : 0) | (p.y >= height ? 8 : 0);
}

// The coordinate b of the point where the line from (a1, b1) to (a2, b2) crosses a = e, in
// single precision with the product truncated toward zero. The steps are stored through
// volatile so that x87 builds (i686), which would keep them in extended precision, round each
// one to single precision as SSE builds do: every build clips to the same pixels.
int64_t CrossingAt(int64_t a1, int64_t b1, int64_t a2, int64_t b2, int64_t e)
{
    volatile float slope = float(b2 - b1) / float(a2 - a1);
    volatile float product = slope * float(e - a1);
    return b1 + int64_t(product);
}

// Moves the outside point onto the first border its code names, in the order left, top,
// right, bottom. The crossing is computed at width or height for the right and bottom
// borders, and the point then placed on the last column or row.
void MoveOntoBorder(LinePoint& moving, LinePoint fixed, int code, int32_t width, int32_t height)
{
    if (code & 1) {
        moving = { 0, CrossingAt(fixed.x, fixed.y, moving.x, moving.y, 0) };
    } else if (code & 4) {
        moving = { CrossingAt(fixed.y, fixed.x, moving.y, moving.x, 0), 0 };
    } else if (code & 2) {
        moving = { width - 1, CrossingAt(fixed.x, fixed.y, moving.x, moving.y, width) };
    } else {
        moving = { CrossingAt(fixed.y, fixed.x, moving.y, moving.x, height), height - 1 };
    }
}

// Cuts the line to the bitmap by outcodes; false when nothing of it is inside. Exact
// arithmetic needs at most four moves; the cap keeps rounding on huge coordinates from
// bouncing a point between borders for ever.
bool ClipLine(LinePoint& a, LinePoint& b, int32_t width, int32_t height)
{
    for (int move = 0; move < 8; ++move) {
        int codeA = OutCode(a, width, height);
        int codeB = OutCode(b, width, height);
        if ((codeA | codeB) == 0)
            return true;
        if (codeA & codeB)
            return false;
        if (codeA != 0)
            MoveOntoBorder(a, b, codeA, width, height);
        else
            MoveOntoBorder(b, a, codeB, width, height);
    }
    return false;
}

// Draws a line whose end points lie inside the bitmap: one pixel per step along the longer
// axis, and a step along the shorter axis whenever the error sum reaches the longer length.
void PlotLine(uint32_t* pixels, int32_t width, LinePoint a, LinePoint b, uint32_t colour)
{
    int64_t dx = std::llabs(b.x - a.x);
    int64_t dy = std::llabs(b.y - a.y);
    bool steep = dx <= dy;
    if (steep ? a.y > b.y : a.x > b.x)
        std::swap(a, b);
    int64_t major = steep ? dy : dx;
    int64_t minor = steep ? dx : dy;
    int64_t majorStride = steep ? width : 1;
    int64_t minorStride = steep ? (a.x < b.x ? 1 : -1) : (a.y < b.y ? width : -int64_t(width));
    int64_t index = a.y * width + a.x;
    int64_t sum = 0;
    for (int64_t i = 0; i <= major; ++i) {
        sum += minor;
        pixels[index] = colour;
        if (sum >= major) {
            index += minorStride;
            sum -= major;
        }
        index += majorStride;
    }
}

void DrawClippedLine(c_GUIB_Bitmap& bitmap, LinePoint a, LinePoint b)
{
    int32_t width = 0;
    int32_t height = 0;
    bitmap.GetSize(&width, &height);
    if (bitmap.GetPixels() && ClipLine(a, b, width, height))
        PlotLine(bitmap.GetPixels(), width, a, b, bitmap.GetColour());
}

bool IsEmpty(const GUIB_Rect& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

}

void c_GUIB_Bitmap::FillRect(const GUIB_Rect* r)
{
    if (r)
        FillClipped(*this, *r, m_colour);
}

void c_GUIB_Bitmap::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    FillClipped(*this, { left, top, right, bottom }, m_colour);
}

void c_GUIB_Bitmap::DrawRect(const GUIB_Rect* r)
{
    if (!r || IsEmpty(*r))
        return;
    LinePoint topLeft { r->left, r->top };
    LinePoint topRight { int64_t(r->right) - 1, r->top };
    LinePoint bottomRight { int64_t(r->right) - 1, int64_t(r->bottom) - 1 };
    LinePoint bottomLeft { r->left, int64_t(r->bottom) - 1 };
    DrawClippedLine(*this, topLeft, topRight);
    DrawClippedLine(*this, topRight, bottomRight);
    DrawClippedLine(*this, bottomRight, bottomLeft);
    DrawClippedLine(*this, bottomLeft, topLeft);
}

void c_GUIB_Bitmap::DrawFramedRect(const GUIB_Rect* r, uint32_t fillColour)
{
    if (!r)
        return;
    DrawRect(r);
    // The interior exists once the rectangle is at least 3 pixels in both directions.
    if (int64_t(r->right) - 1 >= int64_t(r->left) + 2
        && int64_t(r->bottom) - 1 >= int64_t(r->top) + 2)
        FillClipped(*this, { r->left + 1, r->top + 1, r->right - 1, r->bottom - 1 }, fillColour);
}

void c_GUIB_Bitmap::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    DrawClippedLine(*this, { x1, y1 }, { x2, y2 });
}

void c_GUIB_Bitmap::Tint(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour)
{
    uint32_t rgb = colour & 0x00FFFFFF;
    ForEachRow(*this, { left, top, right, bottom }, [rgb](uint32_t* row, size_t count) {
        for (size_t i = 0; i < count; ++i)
            row[i] = (row[i] & 0xFF000000) | rgb;
    });
}
