// BMP: uncompressed Windows bitmaps of 24 bits (blue, green, red) or 8 bits (palette indices)
// per pixel, rows stored bottom row first and padded to a multiple of 4 bytes.
#include "image/image_internal.h"

namespace {

using namespace image::detail;

constexpr uint16_t BMP_MAGIC = 0x4D42; // "BM"
constexpr uint64_t FILE_HEADER_SIZE = 14;
constexpr uint32_t MIN_INFO_SIZE = 40;
constexpr uint32_t MAX_PALETTE = 256;

struct BmpHeaders {
    uint32_t dataOffset = 0;
    uint32_t infoSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
};

// Where the rows start and the palette that the 8-bit rows index.
struct BmpLayout {
    uint64_t dataStart = 0;
    const uint8_t* palette = nullptr; // blue, green, red, reserved per entry
    uint32_t paletteEntries = 0;
};

bool ReadHeaders(SYS_SpanReader& file, BmpHeaders& bmp)
{
    uint16_t magic = 0;
    if (!file.U16(magic) || magic != BMP_MAGIC)
        return Refuse("not a BMP file");
    uint32_t unused = 0;
    uint16_t planes = 0;
    if (!file.U32(unused) || !file.U32(unused) || !file.U32(bmp.dataOffset))
        return Refuse("BMP file header cut short");
    if (!file.U32(bmp.infoSize) || !file.I32(bmp.width) || !file.I32(bmp.height)
        || !file.U16(planes) || !file.U16(bmp.bits) || !file.U32(bmp.compression))
        return Refuse("BMP information header cut short");
    if (bmp.infoSize < MIN_INFO_SIZE)
        return Refuse("BMP information header too small");
    if (FILE_HEADER_SIZE + bmp.infoSize > file.Size())
        return Refuse("BMP information header cut short");
    return true;
}

bool CheckHeaders(const BmpHeaders& bmp)
{
    if (bmp.compression != 0)
        return Refuse("BMP compression not supported");
    if (bmp.bits != 24 && bmp.bits != 8)
        return Refuse("BMP bit count not supported");
    if (bmp.width < 1)
        return Refuse("BMP width below 1");
    // A negative height marks top-down rows, which this loader does not read.
    if (bmp.height < 0)
        return Refuse("BMP height negative");
    if (!ImageSizeAllowed(static_cast<uint32_t>(bmp.width), static_cast<uint32_t>(bmp.height)))
        return Refuse("picture too large");
    return true;
}

// The rows start at the data offset when it lies inside the file after the headers (larger
// information headers and short palettes put them there); the palette then fills the gap
// between the two. Otherwise the rows follow the headers and a palette of 256 entries.
bool FindLayout(SYS_SpanReader& file, const BmpHeaders& bmp, BmpLayout& layout)
{
    uint64_t headersEnd = FILE_HEADER_SIZE + bmp.infoSize;
    bool offsetUsable = bmp.dataOffset >= headersEnd && bmp.dataOffset < file.Size();
    uint32_t entries = bmp.bits == 8 ? MAX_PALETTE : 0;
    if (offsetUsable && (bmp.dataOffset - headersEnd) / 4 < entries)
        entries = static_cast<uint32_t>((bmp.dataOffset - headersEnd) / 4);
    layout.dataStart = offsetUsable ? bmp.dataOffset : headersEnd + uint64_t { entries } * 4;
    layout.paletteEntries = entries;
    if (!file.Seek(headersEnd))
        return Refuse("BMP information header cut short");
    layout.palette = file.Take(uint64_t { entries } * 4);
    if (layout.palette == nullptr)
        return Refuse("BMP palette cut short");
    return true;
}

void ConvertRow(
    const uint8_t* in, uint8_t* out, uint32_t width, uint16_t bits, const BmpLayout& layout)
{
    for (uint32_t x = 0; x < width; ++x, out += 3) {
        const uint8_t* bgr = nullptr;
        if (bits == 24)
            bgr = in + size_t { x } * 3;
        else if (in[x] < layout.paletteEntries)
            bgr = layout.palette + size_t { in[x] } * 4;
        if (bgr == nullptr)
            continue; // an index past the palette stays black
        out[0] = bgr[2];
        out[1] = bgr[1];
        out[2] = bgr[0];
    }
}

// The rows must all be in the file before the block is allocated for them.
const uint8_t* TakeRows(
    SYS_SpanReader& file, const BmpLayout& layout, uint64_t stride, uint32_t height)
{
    return file.Seek(layout.dataStart) ? file.Take(stride * height) : nullptr;
}

}

namespace image::detail {

bool LoadBmp(SYS_SpanReader& file, ImageRecord* image)
{
    BmpHeaders bmp;
    BmpLayout layout;
    if (!ReadHeaders(file, bmp) || !CheckHeaders(bmp) || !FindLayout(file, bmp, layout))
        return false;
    auto width = static_cast<uint32_t>(bmp.width);
    auto height = static_cast<uint32_t>(bmp.height);
    uint64_t stride = (uint64_t { width } * bmp.bits + 31) / 32 * 4;
    const uint8_t* rows = TakeRows(file, layout, stride, height);
    if (rows == nullptr)
        return Refuse("BMP pixel data cut short");
    if (!AllocatePixels(image, width, height, 3))
        return false;
    // The file's first row is the picture's bottom row.
    size_t outStride = size_t { width } * 3;
    for (uint32_t row = height; row-- > 0; rows += stride)
        ConvertRow(rows, image->pixels + row * outStride, width, bmp.bits, layout);
    return true;
}

}
