// PaintToDC: the bitmap's way to the screen. The rectangle is clipped here, once for every
// system; the backend behind guib/os_paint.h hands the pixels to its device.
#include "guib/guib.h"
#include "guib/os_paint.h"

void c_GUIB_Bitmap::PaintToDC(uintptr_t dc, int32_t x, int32_t y, const GUIB_Rect* r) const
{
    if (!r || !m_pixels)
        return;
    GUIB_Rect part = *r;
    GUIB_Rect bounds { 0, 0, m_width, m_height };
    if (!GUIB_IntersectRect(&part, &bounds))
        return;
    const uint32_t* rows = m_pixels + size_t(part.top) * size_t(m_width) + size_t(part.left);
    guib::os::PaintPixels(dc, x, y, rows, part.right - part.left, part.bottom - part.top, m_width);
}
