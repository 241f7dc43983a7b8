// Plain geometry for the portable layout and paint plans: the same meaning
// as the Win32 POINT, SIZE and RECT (right and bottom exclusive), without
// Win32. framework/Rect.h converts to and from CRect, CPoint and CSize.
#pragma once

#include <cstdint>

namespace geom {

// A colour as Windows writes it: 0x00BBGGRR.
using Colour = std::uint32_t;

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // As PtInRect: left and top edges inside, right and bottom outside.
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace geom
