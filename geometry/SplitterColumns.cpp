#include "geometry/SplitterColumns.h"

#include <algorithm>

namespace layout {

SplitterLayoutResult LayoutSplitterColumns(const geom::Rect& client,
                                           const std::vector<SplitterColumn>& columns,
                                           const SplitterMetrics& metrics) {
  SplitterLayoutResult result;
  geom::Rect inside = client.Inflated(-metrics.border, -metrics.border);
  if (metrics.topStripOn) inside.top += metrics.topStripHeight;
  result.inside = inside;

  int room = std::max(inside.Width(), 0);
  int x = inside.left;
  const int count = static_cast<int>(columns.size());
  for (int i = 0; i < count; ++i) {
    const bool last = i == count - 1;
    int width = room;
    if (!last) {
      const SplitterColumn& column = columns[static_cast<std::size_t>(i)];
      width = column.idealWidth < column.minWidth ? 0 : column.idealWidth;
      width = std::min(width, room);
    }
    result.panes.push_back({x, inside.top, x + width, inside.bottom});
    x += width;
    room -= width;
    if (!last) {
      const int spacing = metrics.barWidth + metrics.gap;
      if (room >= spacing) {
        result.bars.push_back({x, inside.top, x + metrics.barWidth, inside.bottom});
        x += spacing;
        room -= spacing;
      } else {
        x += room;
        room = 0;
      }
    }
  }
  return result;
}

}  // namespace layout
