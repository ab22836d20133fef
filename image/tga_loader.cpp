// TGA: Truevision pictures, colour-mapped (types 1, 9), true colour (2, 10) and greyscale
// (3, 11), plain or run-length packed, rows bottom row first unless the descriptor says the
// origin is at the top left. Pixel data that ends early leaves the rest of the picture black.
#include "image/image_internal.h"

#include <algorithm>

namespace {

using namespace image::detail;

constexpr uint8_t DESCRIPTOR_ALPHA_BITS = 0x0F;
constexpr uint8_t DESCRIPTOR_TOP_LEFT = 0x20;
constexpr uint8_t PACKET_REPEAT = 0x80;
constexpr uint8_t PACKET_COUNT = 0x7F;

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t mapType = 0;
    uint8_t imageType = 0;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntryBits = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t depth = 0;
    uint8_t descriptor = 0;
};

enum class PixelKind { Mapped, Packed16, Bgr, Grey };

// How one pixel of the file's data becomes red, green, blue (, alpha) in the block.
struct PixelFormat {
    PixelKind kind = PixelKind::Grey;
    uint32_t inBytes = 1;
    uint32_t outBytes = 3;
    bool packed = false; // run-length packets
    const uint8_t* map = nullptr; // blue, green, red (, alpha) per entry
    uint32_t mapLength = 0;
    uint32_t mapEntryBytes = 0;
};

bool ReadHeader(SYS_SpanReader& file, TgaHeader& tga)
{
    if (file.U8(tga.idLength) && file.U8(tga.mapType) && file.U8(tga.imageType)
        && file.U16(tga.mapFirst) && file.U16(tga.mapLength) && file.U8(tga.mapEntryBits)
        && file.U16(tga.xOrigin) && file.U16(tga.yOrigin) && file.U16(tga.width)
        && file.U16(tga.height) && file.U8(tga.depth) && file.U8(tga.descriptor))
        return true;
    return Refuse("TGA header cut short");
}

// The pixel layout by image type and depth; every combination not listed here is refused.
bool ChooseFormat(const TgaHeader& tga, PixelFormat& format)
{
    format.packed = tga.imageType >= 9;
    switch (tga.imageType) {
    case 1:
    case 9:
        if (tga.mapLength == 0)
            return Refuse("TGA colour-mapped picture without a colour map");
        if (tga.depth != 8 || (tga.mapEntryBits != 24 && tga.mapEntryBits != 32))
            return Refuse("TGA colour-mapped depth or entry size not supported");
        format.kind = PixelKind::Mapped;
        break;
    case 2:
    case 10:
        if (tga.depth != 15 && tga.depth != 16 && tga.depth != 24 && tga.depth != 32)
            return Refuse("TGA true-colour depth not supported");
        format.kind = tga.depth <= 16 ? PixelKind::Packed16 : PixelKind::Bgr;
        if (tga.depth == 32 && (tga.descriptor & DESCRIPTOR_ALPHA_BITS) != 0)
            format.outBytes = 4;
        break;
    case 3:
    case 11:
        if (tga.depth != 8)
            return Refuse("TGA greyscale depth not supported");
        format.kind = PixelKind::Grey;
        break;
    default:
        return Refuse("TGA image type not supported");
    }
    format.inBytes = (tga.depth + 7u) / 8u;
    return true;
}

// Skips the ID field and takes the colour map (each entry a whole number of bytes).
bool ReadColourMap(SYS_SpanReader& file, const TgaHeader& tga, PixelFormat& format)
{
    if (!file.Skip(tga.idLength))
        return Refuse("TGA ID field cut short");
    format.mapEntryBytes = (tga.mapEntryBits + 7u) / 8u;
    format.mapLength = tga.mapLength;
    format.map = file.Take(uint64_t { format.mapLength } * format.mapEntryBytes);
    if (format.map == nullptr)
        return Refuse("TGA colour map cut short");
    return true;
}

void ConvertPixel(const PixelFormat& format, const uint8_t* in, uint8_t* out)
{
    switch (format.kind) {
    case PixelKind::Mapped:
        if (in[0] < format.mapLength) {
            const uint8_t* entry = format.map + size_t { in[0] } * format.mapEntryBytes;
            out[0] = entry[2];
            out[1] = entry[1];
            out[2] = entry[0];
        } else {
            out[0] = out[1] = out[2] = 0; // an index past the map is black
        }
        break;
    case PixelKind::Packed16: {
        uint32_t value = SYS_LoadU16(in);
        out[0] = static_cast<uint8_t>((value >> 10 & 0x1F) << 3);
        out[1] = static_cast<uint8_t>((value >> 5 & 0x1F) << 3);
        out[2] = static_cast<uint8_t>((value & 0x1F) << 3);
        break;
    }
    case PixelKind::Bgr:
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        if (format.outBytes == 4)
            out[3] = in[3];
        break;
    case PixelKind::Grey:
        out[0] = out[1] = out[2] = in[0];
        break;
    }
}

// Each decoder returns false when the data ends before the last pixel.
bool DecodeRaw(SYS_SpanReader& file, const PixelFormat& format, uint8_t* out, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i, out += format.outBytes) {
        const uint8_t* in = file.Take(format.inBytes);
        if (in == nullptr)
            return false;
        ConvertPixel(format, in, out);
    }
    return true;
}

// Packets run on across row ends; a packet longer than the pixels left is cut to them.
bool DecodePacked(SYS_SpanReader& file, const PixelFormat& format, uint8_t* out, size_t pixels)
{
    size_t done = 0;
    uint8_t header = 0;
    while (done < pixels) {
        const uint8_t* in = file.U8(header) ? file.Take(format.inBytes) : nullptr;
        if (in == nullptr)
            return false;
        size_t count = std::min<size_t>((header & PACKET_COUNT) + 1u, pixels - done);
        for (size_t i = 0; i < count; ++i, ++done, out += format.outBytes) {
            if (i != 0 && (header & PACKET_REPEAT) == 0
                && (in = file.Take(format.inBytes)) == nullptr)
                return false;
            ConvertPixel(format, in, out);
        }
    }
    return true;
}

void FlipRows(ImageRecord* image)
{
    size_t stride = size_t { image->width } * image->bytesPerPixel;
    uint8_t* top = image->pixels;
    uint8_t* bottom = image->pixels + (image->height - 1u) * stride;
    for (uint32_t i = 0; i < image->height / 2; ++i, top += stride, bottom -= stride)
        std::swap_ranges(top, top + stride, bottom);
}

}

namespace image::detail {

bool LoadTga(SYS_SpanReader& file, ImageRecord* image)
{
    TgaHeader tga;
    PixelFormat format;
    if (!ReadHeader(file, tga) || !ChooseFormat(tga, format) || !ReadColourMap(file, tga, format))
        return false;
    if (!AllocatePixels(image, tga.width, tga.height, format.outBytes))
        return false;
    if (format.outBytes == 4)
        image->flags = IMAGE_FLAG_ALPHA;
    if (image->pixels == nullptr)
        return true; // 0 pixels
    size_t pixels = size_t { image->width } * image->height;
    bool complete = format.packed ? DecodePacked(file, format, image->pixels, pixels)
                                  : DecodeRaw(file, format, image->pixels, pixels);
    if (!complete)
        Warn("TGA pixel data cut short");
    if ((tga.descriptor & DESCRIPTOR_TOP_LEFT) == 0)
        FlipRows(image);
    return true;
}

}
