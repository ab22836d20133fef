// The bounds-checked reading of picture files: whole files into memory through the virtual
// file interface, then little-endian fields taken from them without ever passing the end.
#include "image/image_internal.h"

#include "platform/platform.h"

namespace image::detail {

bool ByteReader::Seek(uint64_t position)
{
    if (position > m_size)
        return false;
    m_position = static_cast<size_t>(position);
    return true;
}

bool ByteReader::Skip(uint64_t count)
{
    return Take(count) != nullptr || count == 0;
}

const uint8_t* ByteReader::Take(uint64_t count)
{
    if (count > Remaining())
        return nullptr;
    const uint8_t* bytes = m_data + m_position;
    m_position += static_cast<size_t>(count);
    return bytes;
}

bool ByteReader::U8(uint8_t& value)
{
    const uint8_t* bytes = Take(1);
    if (bytes == nullptr)
        return false;
    value = bytes[0];
    return true;
}

bool ByteReader::U16(uint16_t& value)
{
    const uint8_t* bytes = Take(2);
    if (bytes == nullptr)
        return false;
    value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool ByteReader::U32(uint32_t& value)
{
    const uint8_t* bytes = Take(4);
    if (bytes == nullptr)
        return false;
    value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8
        | static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

bool ByteReader::I32(int32_t& value)
{
    uint32_t bits = 0;
    if (!U32(bits))
        return false;
    value = static_cast<int32_t>(bits);
    return true;
}

bool FileBytes::Read(BF_Handle file, uint64_t limit)
{
    uint64_t size = BF_GetSize(file);
    if (size == BF_BAD_POSITION)
        return Refuse("picture file size unknown");
    if (size > limit)
        return Refuse("picture file too large");
    // One byte more than the size, so that an empty file still owns a block.
    m_data = SYS_AllocArray<uint8_t>(static_cast<size_t>(size) + 1, "Image file", SYS_TAG_GUI);
    if (m_data == nullptr)
        return Refuse("no memory for the picture file");
    size_t done = 0;
    while (done < size) {
        uint32_t got = BF_Read(file, m_data.get() + done, static_cast<uint32_t>(size - done));
        if (got == 0)
            return Refuse("picture file read came up short");
        done += got;
    }
    m_size = done;
    return true;
}

}
