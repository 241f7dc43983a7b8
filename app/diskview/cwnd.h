// The colour legend strip of the disk overview: a PIE_CHART_RECT strip
// (crect.h) that writes "容量:" and five colour boxes with their captions.
// The boxes' right edges follow the strip's width (StripLayout.h); a box
// whose right edge falls left of its left edge is not drawn.
#pragma once

#include "app/diskview/crect.h"

class CLegendStrip : public CStripWnd {
 public:
  CLegendStrip() = default;
  void Paint(CDC& dc) override;
};
