// The display-scale rule of every layout: a length the design gives in
// pixels at 96 DPI (100 %) becomes MulDiv(n, dpi, 96) pixels at `dpi` -
// rounded to the nearest pixel, halves away from zero, as Win32's MulDiv
// rounds. A rectangle is scaled edge by edge, so rectangles that touch at
// 96 DPI touch at every scale (a size may differ by a pixel from its
// scaled width). framework/Dpi.h answers at which DPI a window is drawn.
#pragma once

#include <cstdint>

#include "geometry/Geometry.h"

namespace geom {

inline constexpr int kBaseDpi = 96;

constexpr int Scale(int n, int dpi) {
  if (dpi == kBaseDpi) return n;
  const std::int64_t product = static_cast<std::int64_t>(n) * dpi;
  const std::int64_t half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : (product - half) / kBaseDpi);
}

constexpr Point Scale(Point p, int dpi) { return {Scale(p.x, dpi), Scale(p.y, dpi)}; }
constexpr Size Scale(Size s, int dpi) { return {Scale(s.cx, dpi), Scale(s.cy, dpi)}; }
constexpr Rect Scale(const Rect& r, int dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

// The percentage a DPI stands for (120 -> 125).
constexpr int ScalePercent(int dpi) { return Scale(100, dpi); }

}  // namespace geom
