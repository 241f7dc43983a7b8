// The column rule of a static splitter (CSplitterWnd): one row of columns
// laid out below an optional strip at the top, with a bar and a gap after
// each column but the last.
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

}  // namespace layout
