// Shared by the image loaders: the whole-file read (its bytes then taken through the platform
// layer's bounds-checked reader), the size rules and pixel block of an image record, and the
// format loaders themselves.
#pragma once

#include "bigfile/bigfile.h"
#include "image/image.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

namespace image::detail {

// Sends reason to the trace (tag of the GUI module) and returns false.
bool Refuse(const char* reason);
// Sends reason to the trace for damage that a picture still loads with (its rest left black).
void Warn(const char* reason);

// The bytes of a whole file, owned (SYS_Alloc).
class FileBytes {
public:
    // Reads all of file; false (traced) when it is larger than limit or a read comes up short.
    bool Read(BF_Handle file, uint64_t limit);
    SYS_SpanReader Reader() const { return SYS_SpanReader(m_data.get(), m_size); }

private:
    SYS_Block<uint8_t[]> m_data;
    size_t m_size = 0;
};

// True when a picture of width × height fits the bounds of image.h (64-bit arithmetic).
bool ImageSizeAllowed(uint64_t width, uint64_t height);
// Fills the record's size fields and gives it a cleared block of width × height ×
// bytesPerPixel (none for 0 pixels). False (traced) when the size is refused or memory short.
bool AllocatePixels(ImageRecord* image, uint32_t width, uint32_t height, uint32_t bytesPerPixel);
// Frees the record's block and zeroes the record.
void DiscardImage(ImageRecord* image);

// The format loaders. image is zeroed on entry; on failure they leave it zeroed (block freed).
bool LoadBmp(SYS_SpanReader& file, ImageRecord* image);
bool LoadTga(SYS_SpanReader& file, ImageRecord* image);
bool LoadJpeg(const char* name, ImageRecord* image);

}
