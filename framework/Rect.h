// CPoint, CSize, CRect: the Win32 structures with the few helpers the
// windows use. Layout-compatible with POINT, SIZE and RECT. They convert to
// and from the portable plans' geom::Point, geom::Size and geom::Rect here
// and nowhere else.
#pragma once

#include <windows.h>

#include "geometry/Geometry.h"

struct CPoint : POINT {
  CPoint() : POINT{0, 0} {}
  CPoint(int x_, int y_) : POINT{x_, y_} {}
  CPoint(POINT p) : POINT(p) {}
  explicit CPoint(geom::Point p) : POINT{p.x, p.y} {}
  geom::Point ToGeom() const { return geom::Point{x, y}; }
  friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
};

struct CSize : SIZE {
  CSize() : SIZE{0, 0} {}
  CSize(int cx_, int cy_) : SIZE{cx_, cy_} {}
  CSize(SIZE s) : SIZE(s) {}
  explicit CSize(geom::Size s) : SIZE{s.cx, s.cy} {}
  geom::Size ToGeom() const { return geom::Size{cx, cy}; }
  friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

struct CRect : RECT {
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}
  CRect(POINT topLeft, SIZE size)
      : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
  explicit CRect(const geom::Rect& r) : RECT{r.left, r.top, r.right, r.bottom} {}
  geom::Rect ToGeom() const { return geom::Rect{left, top, right, bottom}; }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void InflateRect(int dx, int dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
  friend bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};
