// Plan of the shortcut bar (CGfxOutBarCtrl, beside it): the item area below
// the folder band, each item's rectangle from the items' measured sizes, the
// hit test, and the slot code a clicked item sends with its inverse. Pure
// arithmetic: the control measures its items (icon and wrapped caption) and
// passes the sizes in.
#pragma once

#include <vector>

#include "geometry/Dpi.h"
#include "geometry/Geometry.h"

namespace layout {

// In pixels at `dpi`; the defaults are the 96-DPI ones.
struct OutBarMetrics {
  int folderHeight = 22;
  int largeItemSpacing = 22;  // vertical gap between items, large-icon view
  int smallItemSpacing = 10;  // small-icon view
  int dpi = geom::kBaseDpi;   // scales the insets ItemBounds adds
};
// The bar's metrics for a window drawn at `dpi`.
OutBarMetrics OutBarMetricsForDpi(int dpi);

// The client rectangle without the folder band: the band holds one row per
// folder, the shown folder's row and those above it at the top, the rest at
// the bottom.
geom::Rect ItemAreaRect(const geom::Rect& client, int folderCount, int shownFolder,
                  const OutBarMetrics& metrics = {});

// The rectangle of item `index` of the shown folder, scrolled so that item
// `firstVisible` is at the top. `itemSizes` are the measured sizes of the
// folder's items (MeasureItem, icon and caption together).
geom::Rect ItemBounds(const geom::Rect& itemArea, const std::vector<geom::Size>& itemSizes, int index,
                int firstVisible, bool largeIcons, const OutBarMetrics& metrics = {});

// Whether an item's rectangle starts below the item area: the bar draws its
// items down to the first such one, and none of them from there on.
inline bool IsPastItemArea(const geom::Rect& item, const geom::Rect& itemArea) {
  return item.top > itemArea.bottom;
}

// Fixed places of the scroll arrows at 96 DPI (geom::Scale for others).
inline constexpr geom::Rect kUpArrowRect{0, 0, 105, 26};
inline constexpr geom::Rect kDownArrowRect{0, 381, 105, 407};

// What a point hits. Items are reported by index beside the code, so any
// number of items can be hit without running into the arrows' codes.
enum HitCode : int {
  kHitNothing = 0,
  kHitItem = 1,
  kHitUpArrow = 12,
  kHitDownArrow = 13,
};

struct OutBarHitState {
  geom::Rect itemArea;
  std::vector<geom::Size> itemSizes;  // of the shown folder
  int firstVisible = 0;
  bool largeIcons = true;
  bool upArrowShown = false;
  bool downArrowShown = false;
  geom::Rect upArrow = kUpArrowRect;
  geom::Rect downArrow = kDownArrowRect;
};

struct OutBarHit {
  int code = kHitNothing;
  int index = -1;  // the item, for kHitItem
};

// The arrows first (only while shown), then, in large-icon view only, the
// items from the first visible one on.
OutBarHit HitTestPoint(const OutBarHitState& state, geom::Point point,
                       const OutBarMetrics& metrics = {});

// The slot code the bar sends its owner for a clicked item (wParam of its
// click message): 1, 13, 14, 15, then 16 for item 4 and every later one;
// 0 for no item.
int SlotCodeForItem(int index);
// Its inverse, as the frame reads the code: the view's result slot (1 to 5),
// or 0 for codes that open nothing.
int SlotForBarCode(int code);

}  // namespace layout
