// A PNG writer for the frames that tests and patchkit leave for a person to look at. It needs no
// compression library (the Windows builds have none): the image data is one zlib stream of
// stored deflate blocks, so a file is about as large as its pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace portable_png {

// An 8-bit RGBA PNG of width × height pixels 0xAARRGGBB (stride pixels from one row's start to
// the next, rows top to bottom); each pixel becomes the bytes red, green, blue, alpha. Empty
// when pixels is null, a side is not positive, stride < width or the picture would not fit
// one PNG chunk. A comment (printable Latin-1) goes into a "Comment" text chunk right after
// the header, where a reader of the file's first bytes finds it.
std::vector<uint8_t> EncodePng(const uint32_t* pixels, int32_t width, int32_t height,
    int32_t stride, const std::string& comment = "");

// Writes EncodePng's file to path (creating its folders) through a temporary file beside it
// that is renamed over path, so a reader never sees half a picture. False when the picture
// cannot be encoded or written; nothing is left behind then.
bool WritePng(const std::filesystem::path& path, const uint32_t* pixels, int32_t width,
    int32_t height, int32_t stride, const std::string& comment = "");

}
