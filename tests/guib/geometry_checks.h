// Points and rectangles compare and print field by field in the toolkit's tests (found by
// argument lookup: the types are global), and a window's place, size and scroll state as values.
#pragma once

#include "guib/guib.h"

#include <ostream>

inline bool operator==(const GUIB_Point& a, const GUIB_Point& b)
{
    return a.x == b.x && a.y == b.y;
}

inline std::ostream& operator<<(std::ostream& out, const GUIB_Point& p)
{
    return out << "(" << p.x << ", " << p.y << ")";
}

inline bool operator==(const GUIB_Rect& a, const GUIB_Rect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const GUIB_Rect& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace test {

// The position in the parent, and the size as a point (x the width).
inline GUIB_Point PositionOf(const c_GUIB_Window* window)
{
    GUIB_Point p { 0, 0 };
    window->GetPosition(&p.x, &p.y);
    return p;
}

inline GUIB_Point SizeOf(const c_GUIB_Window* window)
{
    GUIB_Point size { 0, 0 };
    window->GetSize(&size.x, &size.y);
    return size;
}

inline GUIB_ScrollInfo InfoOf(const c_GUIB_ScrollBar* bar)
{
    GUIB_ScrollInfo info {};
    bar->GetScrollInfo(&info);
    return info;
}

}
