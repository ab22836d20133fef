// The pixel block of an image record: the size rules every loader shares and the block's
// allocation (cleared, so that a picture whose data ends early shows black, not heap bytes).
#include "image/image_internal.h"

#include "platform/platform.h"

namespace image::detail {

bool Refuse(const char* reason)
{
    Warn(reason);
    return false;
}

void Warn(const char* reason)
{
    SYS_Trace(SYS_TAG_GUI, 1, reason);
}

bool ImageSizeAllowed(uint64_t width, uint64_t height)
{
    // Both sides are at most 65535, so the product cannot overflow 64 bits.
    return width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE
        && width * height * 4 <= IMAGE_MAX_BLOCK;
}

bool AllocatePixels(ImageRecord* image, uint32_t width, uint32_t height, uint32_t bytesPerPixel)
{
    if (!ImageSizeAllowed(width, height))
        return Refuse("picture too large");
    uint64_t size = uint64_t { width } * height * bytesPerPixel;
    if (size != 0) {
        image->pixels = static_cast<uint8_t*>(
            SYS_Alloc(static_cast<size_t>(size), "Image data", SYS_TAG_GUI));
        if (image->pixels == nullptr)
            return Refuse("no memory for the picture");
        SYS_Zero(image->pixels, static_cast<size_t>(size));
    }
    image->width = width;
    image->height = height;
    image->bytesPerPixel = bytesPerPixel;
    image->dataSize = static_cast<uint32_t>(size);
    return true;
}

void DiscardImage(ImageRecord* image)
{
    SYS_Free(image->pixels);
    *image = {};
}

}

void FreeImage(void* pixels)
{
    SYS_Free(pixels);
}
