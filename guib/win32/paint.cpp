// PaintToDC on Win32: the rows are turned into a bottom-up 32-bit device-independent bitmap
// and drawn with SetDIBitsToDevice. The alpha byte travels along and the device ignores it.
#include <windows.h>

#include "guib/os_paint.h"
#include "platform/platform.h"

#include <cstring>

void guib::os::PaintPixels(uintptr_t dc, int32_t x, int32_t y, const uint32_t* rows, int32_t width,
    int32_t height, int32_t stride)
{
    size_t rowBytes = size_t(width) * 4;
    size_t blockBytes = rowBytes * size_t(height);
    auto* block = static_cast<uint8_t*>(SYS_Alloc(blockBytes, "Temporary bitmap", SYS_TAG_GUIB));
    if (!block)
        return;
    // A positive height makes the DIB bottom-up: its first row is the picture's last.
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(block + size_t(height - 1 - row) * rowBytes,
            rows + size_t(row) * size_t(stride), rowBytes);
    BITMAPINFOHEADER header {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD(blockBytes);
    (void)SetDIBitsToDevice(reinterpret_cast<HDC>(dc), x, y, DWORD(width), DWORD(height), 0, 0, 0,
        UINT(height), block, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
    SYS_Free(block);
}
