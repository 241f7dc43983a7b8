// Geometry of the disk overview view (CKestrinView): where its children go
// in view client pixels, and the point its context menu opens at. Pure data
// and arithmetic, so the table can be checked without windows.
#pragma once

#include "geometry/Dpi.h"
#include "geometry/Geometry.h"

namespace layout {

inline constexpr int kViewSlotCount = 5;

// One result slot: its heading strip, its pie chart and its info box.
struct ViewSlotRects {
  geom::Rect caption;
  geom::Rect pie;
  geom::Rect info;
};

// Slots 1 to 5 (index 0 to 4): three along the top row, two below.
inline constexpr ViewSlotRects kViewSlots[kViewSlotCount] = {
    {{0, 86, 95, 123}, {0, 118, 98, 213}, {95, 83, 195, 213}},
    {{195, 86, 290, 123}, {195, 118, 290, 213}, {290, 83, 390, 213}},
    {{390, 86, 485, 123}, {390, 118, 488, 213}, {485, 83, 585, 213}},
    {{0, 255, 95, 292}, {0, 283, 98, 378}, {95, 249, 195, 379}},
    {{195, 255, 290, 292}, {195, 283, 293, 378}, {290, 249, 390, 379}},
};

// The colour legend strip between the two rows (wider than the canvas).
inline constexpr geom::Rect kViewLegend{0, 214, 750, 264};

// The pictures, placed once at creation. The top one starts above the
// client area, so its bitmap's first rows are hidden.
inline constexpr geom::Rect kViewTopPicture{0, -10, 585, 107};
inline constexpr geom::Rect kViewBottomPicture{0, 378, 585, 418};
inline constexpr geom::Rect kViewPiePicture{391, 253, 521, 383};

// The bitmap buttons' top-left corners; they take their bitmap's size.
inline constexpr geom::Point kViewHomeButtonAt{525, 309};
inline constexpr geom::Point kViewExitButtonAt{525, 349};
// Their size before they are fitted to their bitmaps.
inline constexpr geom::Size kViewButtonInitialSize{50, 50};

// The screen point of the view's context menu: `screen` as the message
// gives it, or, from the keyboard (-1, -1), the client area's top-left
// corner (`clientOrigin`, in screen coordinates) moved by (5, 5) 96-DPI
// pixels at `dpi`.
geom::Point ContextMenuPoint(geom::Point screen, geom::Point clientOrigin, int dpi);

}  // namespace layout
