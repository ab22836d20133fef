// Picture files are read whole into memory through the virtual file interface; the loaders
// then take their fields through the platform layer's bounds-checked reader.
#include "image/image_internal.h"

#include "platform/platform.h"

namespace image::detail {

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
