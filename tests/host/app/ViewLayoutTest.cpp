#include <gtest/gtest.h>

#include "app/ViewLayout.h"

namespace layout {
namespace {

using geom::Point;
using geom::Rect;

TEST(ViewLayout, SlotsStandInTwoRowsOnTheCanvas) {
  constexpr int kCanvasWidth = 585;
  for (const ViewSlotRects& slot : kViewSlots) {
    for (const Rect& r : {slot.caption, slot.pie, slot.info}) {
      EXPECT_FALSE(r.IsEmpty());
      EXPECT_GE(r.left, 0);
      EXPECT_LE(r.right, kCanvasWidth);
    }
    // The heading strip sits on the chart's top edge, the info box beside it.
    EXPECT_EQ(slot.caption.left, slot.pie.left);
    EXPECT_LT(slot.caption.top, slot.pie.top);
    EXPECT_GT(slot.caption.bottom, slot.pie.top);
    EXPECT_EQ(slot.info.left, slot.caption.right);
  }
  // Slots 4 and 5 stand under slots 1 and 2, below the legend strip.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(kViewSlots[i + 3].pie.left, kViewSlots[i].pie.left);
    EXPECT_GE(kViewLegend.top, kViewSlots[i].pie.bottom);
    EXPECT_GE(kViewSlots[i + 3].info.top, kViewLegend.top);
  }
  // The pie picture fills the place of the missing sixth slot.
  EXPECT_GE(kViewPiePicture.left, kViewSlots[4].info.right);
  EXPECT_LT(kViewHomeButtonAt.y, kViewExitButtonAt.y);
}

TEST(ViewLayout, ContextMenuFromTheKeyboardOpensInsideTheTopLeftCorner) {
  EXPECT_EQ(ContextMenuPoint({-1, -1}, {300, 200}, 96), (Point{305, 205}));
  // The inset is 96-DPI pixels: 6 at 120, 8 at 144 (7.5 rounded), 10 at 192.
  EXPECT_EQ(ContextMenuPoint({-1, -1}, {300, 200}, 120), (Point{306, 206}));
  EXPECT_EQ(ContextMenuPoint({-1, -1}, {300, 200}, 144), (Point{308, 208}));
  EXPECT_EQ(ContextMenuPoint({-1, -1}, {300, 200}, 192), (Point{310, 210}));
  // A mouse point is kept, even one that has a -1 in it.
  EXPECT_EQ(ContextMenuPoint({-1, 40}, {300, 200}, 144), (Point{-1, 40}));
  EXPECT_EQ(ContextMenuPoint({320, 260}, {300, 200}, 192), (Point{320, 260}));
}

}  // namespace
}  // namespace layout
