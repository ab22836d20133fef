// The picture-file constructor of c_GUIB_Bitmap: the image loaders give rows of red, green,
// blue (and alpha) bytes, which become the toolkit's blue, green, red, alpha pixels.
#include "guib/guib.h"
#include "image/image.h"

namespace {

// Converts the loader's pixels into block, which holds width × height pixels. Alpha comes from
// the picture only when it has four bytes per pixel and says that the fourth is alpha.
void ConvertPixels(const ImageRecord& image, uint32_t* block)
{
    bool alpha = image.bytesPerPixel == 4 && (image.flags & IMAGE_FLAG_ALPHA) != 0;
    size_t count = size_t(image.width) * size_t(image.height);
    const uint8_t* in = image.pixels;
    for (size_t i = 0; i < count; ++i, in += image.bytesPerPixel) {
        uint32_t a = alpha ? in[3] : 0xFF;
        block[i] = (a << 24) | (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
    }
}

// The loader's record describes a block this conversion may read in full.
bool IsConvertible(const ImageRecord& image)
{
    if (image.bytesPerPixel != 3 && image.bytesPerPixel != 4)
        return false;
    uint64_t needed = uint64_t(image.width) * image.height * image.bytesPerPixel;
    return image.pixels && image.width <= uint32_t(GUIB_MAX_BITMAP_SIDE)
        && image.height <= uint32_t(GUIB_MAX_BITMAP_SIDE) && needed <= image.dataSize;
}

}

c_GUIB_Bitmap::c_GUIB_Bitmap(const char* fileName)
{
    ImageRecord image {};
    if (LoadImage(fileName, &image) == 1 && image.width != 0 && image.height != 0
        && IsConvertible(image)) {
        auto width = int32_t(image.width);
        auto height = int32_t(image.height);
        uint32_t* block = AllocatePixels(width, height, "Bitmap data");
        if (block)
            ConvertPixels(image, block);
        AdoptPixels(block, width, height);
    }
    FreeImage(image.pixels);
}
