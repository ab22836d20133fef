// The PNG writer behind guib/posix/png_writer.h, through libpng's simplified interface, which
// reads the bitmap's blue, green, red, alpha bytes directly and reports every failure as a
// value instead of a long jump.
#include "guib/posix/png_writer.h"

#include <png.h>

#include <cstdio>

bool GUIB_WritePng(const c_GUIB_Bitmap& bitmap, const char* path)
{
    int32_t width = 0;
    int32_t height = 0;
    bitmap.GetSize(&width, &height);
    if (!bitmap.GetPixels() || !path)
        return false;
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_BGRA;
    int written = png_image_write_to_file(&image, path, 0, bitmap.GetPixels(), width * 4, nullptr);
    png_image_free(&image);
    if (!written)
        (void)std::remove(path);
    return written != 0;
}
