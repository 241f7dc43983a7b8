// Paint plans of the caption strips above the result panels and of the
// colour legend strip: a framed background in the active-border colour and
// texts and colour boxes at fixed places (96-DPI pixels, scaled to the
// strip's DPI).
#pragma once

#include <array>
#include <string>

#include "geometry/Dpi.h"
#include "geometry/Geometry.h"

namespace diskview {

using geom::Colour;
using geom::Point;
using geom::Rect;

// Headings of the five result panels.
inline constexpr const char* kPanelCaptions[5] = {"C盘:", "D盘:", "E盘:", "F盘:", "其它盘:"};

struct CaptionStripPlan {
  Rect background;  // filled with COLOR_ACTIVEBORDER, black 1-pixel frame
  std::string caption;
  Point captionAt{5, 10};
};
CaptionStripPlan PlanCaptionStrip(int width, int height, const std::string& caption,
                                  int dpi = geom::kBaseDpi);

struct LegendBox {
  Rect box;            // as computed; its right edge may lie left of its left edge
  bool drawn = false;  // only boxes of positive width are filled
  Colour colour = 0;
  std::string caption;
  Point captionAt;     // the caption is written either way
};

struct LegendStripPlan {
  Rect background;
  std::string heading = "容量:";
  Point headingAt{5, 15};
  std::array<LegendBox, 5> boxes;  // drawn in this order, later over earlier
};

// The box right edges follow the strip's width (W / 11, W / 5, W / 2.75,
// W / 2, W / 1.55) while left edges are fixed, so narrow strips give boxes
// whose right edge is left of their left edge. Such a box is not drawn:
// filling the normalised rectangle would paint a box reaching back over the
// captions before it.
LegendStripPlan PlanLegendStrip(int width, int height, int dpi = geom::kBaseDpi);

}  // namespace diskview
