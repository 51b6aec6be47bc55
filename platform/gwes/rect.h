// Rectangle helpers of the window system (user32 shapes). Rectangles include their left and top
// edges and exclude their right and bottom edges; one with right <= left or bottom <= top is empty.
#pragma once

#include "platform/gwes/gwes_types.h"

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL CopyRect(RECT* dst, const RECT* src);
BOOL IsRectEmpty(const RECT* rect);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL InflateRect(RECT* rect, int dx, int dy);
// Both give FALSE and an empty *dst when the result is empty.
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b);

namespace gwes {

constexpr LONG RectWidth(const RECT& r) { return r.right - r.left; }
constexpr LONG RectHeight(const RECT& r) { return r.bottom - r.top; }
constexpr bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
// The overlap of two rectangles; empty (possibly with inverted edges) when they do not meet.
RECT Intersection(const RECT& a, const RECT& b);

}  // namespace gwes
