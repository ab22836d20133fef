// The system side of PaintToDC: both backends define this. The bitmap clips the rectangle to
// itself above the seam; the backend only moves pixels to its device.
#pragma once

#include <cstdint>

namespace guib::os {

// Copies width × height pixels (0xAARRGGBB, at least 1 × 1) to the device at (x, y). rows
// points at the top-left pixel and consecutive rows lie stride pixels apart. The device clips
// to its own surface; nothing is reported, since a screen that refuses a paint is repainted
// on its next pass anyway.
void PaintPixels(uintptr_t dc, int32_t x, int32_t y, const uint32_t* rows, int32_t width,
    int32_t height, int32_t stride);

}
