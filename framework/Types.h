// Points and rectangles in pixels (screen coordinates unless said otherwise).
#pragma once

#include <windows.h>

#include <algorithm>

using TPoint = POINT;
using TRect = RECT;

inline int RectWidth(const RECT& r) { return r.right - r.left; }
inline int RectHeight(const RECT& r) { return r.bottom - r.top; }

// `r` moved to have its top left corner at x, y (kept far from the ends of the coordinate range).
inline RECT OffsetTo(const RECT& r, int x, int y)
{
    const int limit = 1 << 24;
    x = std::max(-limit, std::min(x, limit));
    y = std::max(-limit, std::min(y, limit));
    return RECT{x, y, x + std::min(RectWidth(r), limit), y + std::min(RectHeight(r), limit)};
}
