// Geometry of the flat splitter (CGfxSplitterWnd): the etched line drawn in
// the free strip at the top of its columns (the columns follow the
// framework's rule, geometry/SplitterColumns.h).
#pragma once

#include "geometry/Geometry.h"
#include "geometry/SplitterColumns.h"

namespace layout {

// The etched line along the top: a shadow line on the first pixel row and a
// highlight line on the second, each from `left` up to but not including
// `right - 1` (LineTo leaves out its end point).
struct EtchedLine {
  geom::Point shadowFrom, shadowTo;
  geom::Point highlightFrom, highlightTo;
};
EtchedLine SplitterEtchedLine(const geom::Rect& client);

}  // namespace layout
