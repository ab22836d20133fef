// Shared by the image loaders: the bounds-checked reader of picture bytes, the whole-file read,
// the size rules and pixel block of an image record, and the format loaders themselves.
#pragma once

#include "bigfile/bigfile.h"
#include "image/image.h"

#include <cstddef>
#include <cstdint>

namespace image::detail {

// Sends reason to the trace (tag of the GUI module) and returns false.
bool Refuse(const char* reason);
// Sends reason to the trace for damage that a picture still loads with (its rest left black).
void Warn(const char* reason);

// Reads little-endian fields from bytes of a picture file. A read succeeds whole or fails and
// leaves the position where it was; nothing past the end is ever touched.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    size_t Size() const { return m_size; }
    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_size - m_position; }

    // Moves to position; fails past the end (the end itself is allowed). Positions and counts
    // are 64-bit so that sums of file fields are checked before anything narrows them.
    bool Seek(uint64_t position);
    bool Skip(uint64_t count);
    // The next count bytes, or null when fewer are left; advances past them.
    const uint8_t* Take(uint64_t count);
    bool U8(uint8_t& value);
    bool U16(uint16_t& value);
    bool U32(uint32_t& value);
    bool I32(int32_t& value);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// The bytes of a whole file, owned (SYS_Alloc).
class FileBytes {
public:
    // Reads all of file; false (traced) when it is larger than limit or a read comes up short.
    bool Read(BF_Handle file, uint64_t limit);
    ByteReader Reader() const { return ByteReader(m_data.get(), m_size); }

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
bool LoadBmp(ByteReader& file, ImageRecord* image);
bool LoadTga(ByteReader& file, ImageRecord* image);
bool LoadJpeg(const char* name, ImageRecord* image);

}
