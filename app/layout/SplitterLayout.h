// Geometry of the flat splitter (CGfxSplitterWnd): one row of columns laid
// out below a free strip at the top, and the etched line drawn in that strip.
#pragma once

#include <vector>

#include "geometry/Geometry.h"

namespace layout {

struct SplitterColumn {
  int idealWidth = 0;
  int minWidth = 0;
};

struct SplitterMetrics {
  int barWidth = 3;    // the splitter bar
  int gap = 3;         // the gap beside it
  int border = 0;      // client-area border
  bool topStripOn = true;
  int topStripHeight = 6;
};

struct SplitterLayoutResult {
  geom::Rect inside;                // the panes' area
  std::vector<geom::Rect> panes;    // one per column; empty when there was no room
  std::vector<geom::Rect> bars;     // one after each column but the last, when it fits
};

// Every column but the last gets its ideal width (0 when the ideal is below
// the minimum), the last takes the rest; a column that does not fit is cut to
// the room left, and a bar plus gap follows each column but the last while
// there is room for them.
SplitterLayoutResult LayoutSplitterColumns(const geom::Rect& client,
                                           const std::vector<SplitterColumn>& columns,
                                           const SplitterMetrics& metrics = {});

// The etched line along the top: a shadow line on the first pixel row and a
// highlight line on the second, each from `left` up to but not including
// `right - 1` (LineTo leaves out its end point).
struct EtchedLine {
  geom::Point shadowFrom, shadowTo;
  geom::Point highlightFrom, highlightTo;
};
EtchedLine SplitterEtchedLine(const geom::Rect& client);

}  // namespace layout
