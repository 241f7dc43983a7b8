#include "app/OutBarLayout.h"

#include <algorithm>

namespace layout {

OutBarMetrics OutBarMetricsForDpi(int dpi) {
  const OutBarMetrics base;
  return {geom::Scale(base.folderHeight, dpi), geom::Scale(base.largeItemSpacing, dpi),
          geom::Scale(base.smallItemSpacing, dpi), dpi};
}

geom::Rect ItemAreaRect(const geom::Rect& client, int folderCount, int shownFolder,
                  const OutBarMetrics& metrics) {
  geom::Rect area = client;
  if (folderCount > 0) {
    area.top += metrics.folderHeight * (shownFolder + 1) - 1;
    area.bottom -= metrics.folderHeight * (folderCount - shownFolder - 1);
  }
  return area;
}

geom::Rect ItemBounds(const geom::Rect& itemArea, const std::vector<geom::Size>& itemSizes, int index,
                int firstVisible, bool largeIcons, const OutBarMetrics& metrics) {
  const int spacing = largeIcons ? metrics.largeItemSpacing : metrics.smallItemSpacing;
  const auto scaled = [&metrics](int n) { return geom::Scale(n, metrics.dpi); };
  int y = itemArea.top;
  int offset = scaled(10);
  for (int i = 0; i < index; ++i) {
    y += itemSizes[static_cast<std::size_t>(i)].cy + spacing;
    if (i == firstVisible - 1) offset = y - itemArea.top;
  }
  const geom::Size size = itemSizes[static_cast<std::size_t>(index)];
  geom::Rect r{itemArea.left, y, itemArea.left + size.cx, y + size.cy};
  r = r.Offset(0, -offset);
  r.left += scaled(5);
  r.top += scaled(20);
  r.bottom += scaled(32);
  if (largeIcons) {
    r.left = itemArea.left;
    r.right = itemArea.right;
    r = r.Inflated(scaled(1), scaled(5));
  }
  return r;
}

OutBarHit HitTestPoint(const OutBarHitState& state, geom::Point point, const OutBarMetrics& metrics) {
  if (state.upArrowShown && state.upArrow.Contains(point)) return {kHitUpArrow, -1};
  if (state.downArrowShown && state.downArrow.Contains(point)) return {kHitDownArrow, -1};
  if (state.largeIcons) {
    // Items above the first visible one are not drawn, but their unscrolled
    // rectangles overlap the items shown at the top: they must not be hit.
    const int count = static_cast<int>(state.itemSizes.size());
    for (int k = std::max(state.firstVisible, 0); k < count; ++k) {
      const geom::Rect r =
          ItemBounds(state.itemArea, state.itemSizes, k, state.firstVisible, true, metrics);
      if (IsPastItemArea(r, state.itemArea)) break;  // not drawn, so not hit
      if (r.Contains(point)) return {kHitItem, k};
    }
  }
  return {};
}

int SlotCodeForItem(int index) {
  constexpr int kFirstFour[] = {1, 13, 14, 15};
  if (index < 0) return 0;
  return index < 4 ? kFirstFour[index] : 16;
}

int SlotForBarCode(int code) {
  switch (code) {
    case 1: return 1;
    case 13: return 2;
    case 14: return 3;
    case 15: return 4;
    case 16: return 5;
    default: return 0;
  }
}

}  // namespace layout
