// The image loaders: BMP, TGA and JPEG pictures read through the archive file system's virtual
// file interface into plain pixel blocks, which the toolkit turns into its bitmaps. The format
// is chosen by the file name's extension. Every picture file is outside data: a load either
// gives a complete, bounded image or fails with nothing left to free.
//
// Note for Win32 backend files: <windows.h> defines LoadImage as a macro; a file that needs
// both headers must include this one after it and #undef LoadImage first.
#pragma once

#include <cstdint>

// Flag bit 0 of an image: the pixels carry an alpha byte.
inline constexpr uint32_t IMAGE_FLAG_ALPHA = 1;

// The largest picture any loader accepts, the same bound the toolkit's bitmaps keep: no side
// above 65535 pixels, and width × height × 4 (the bitmap's block) at most 256 MiB.
inline constexpr uint32_t IMAGE_MAX_SIDE = 65535;
inline constexpr uint64_t IMAGE_MAX_BLOCK = 256ull * 1024 * 1024;

// What a load fills in; every field is zeroed before loading.
struct ImageRecord {
    uint32_t width; // pixels
    uint32_t height; // pixels
    uint32_t flags; // IMAGE_FLAG_ALPHA
    uint32_t dataSize; // width × height × bytesPerPixel
    uint32_t bytesPerPixel; // 3 (red, green, blue) or 4 (red, green, blue, alpha)
    // Rows top to bottom, each width × bytesPerPixel bytes with no gap. Allocated by the loader
    // (SYS_Alloc); the caller frees it with FreeImage. Null for an image of 0 pixels.
    uint8_t* pixels;
};

// Loads the picture file name (opened with BF_Open) by its extension, compared without regard
// to ASCII case: "bmp" (24- and 8-bit uncompressed), "tga" (types 1, 2, 3, 9, 10, 11), "jpg" or
// "jepg" (greyscale or colour, through libjpeg). Another extension, none, or a name ending in
// "." is refused. Returns 1 on success; 0 on failure, with the record zeroed and no block
// allocated. A null record fails at once. Each refusal sends one reason to SYS_Trace.
int LoadImage(const char* name, ImageRecord* image);

// Frees a pixel block that LoadImage returned; null is ignored.
void FreeImage(void* pixels);
