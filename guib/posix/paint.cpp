// PaintToDC on POSIX: the headless screen is an in-memory frame (GUIB_Frame), so painting is a
// row copy into it, clipped to the frame as a device clips to its surface.
#include "guib/guib.h"
#include "guib/os_paint.h"

#include <algorithm>
#include <cstring>

void guib::os::PaintPixels(uintptr_t dc, int32_t x, int32_t y, const uint32_t* rows, int32_t width,
    int32_t height, int32_t stride)
{
    auto* frame = reinterpret_cast<GUIB_Frame*>(dc);
    if (!frame || !frame->pixels)
        return;
    int64_t left = std::max<int64_t>(x, 0);
    int64_t top = std::max<int64_t>(y, 0);
    int64_t right = std::min<int64_t>(int64_t(x) + width, frame->width);
    int64_t bottom = std::min<int64_t>(int64_t(y) + height, frame->height);
    for (int64_t row = top; row < bottom && left < right; ++row) {
        const uint32_t* from = rows + (row - y) * stride + (left - x);
        std::memcpy(frame->pixels + row * frame->width + left, from, size_t(right - left) * 4);
    }
}
