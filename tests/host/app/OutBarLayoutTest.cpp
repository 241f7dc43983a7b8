// The shortcut bar's plan: item area, item rectangles, hit test, and the
// slot codes of its clicks with their inverse.
#include <gtest/gtest.h>

#include <vector>

#include "app/OutBarLayout.h"

namespace layout {
namespace {

using geom::Point;
using geom::Rect;
using geom::Size;

TEST(OutBarItemArea, FolderBandAboveAndBelow) {
  const Rect client{0, 0, 105, 407};
  EXPECT_EQ(ItemAreaRect(client, 0, 0), client);
  EXPECT_EQ(ItemAreaRect(client, 1, 0), (Rect{0, 21, 105, 407}));
  EXPECT_EQ(ItemAreaRect(client, 3, 1), (Rect{0, 43, 105, 385}));
}

TEST(OutBarItemBounds, LargeIconsUnscrolledAndScrolled) {
  const Rect area{0, 21, 105, 407};
  const std::vector<Size> sizes{{60, 50}, {70, 40}, {60, 50}};
  // Item 0: full width plus a pixel each side, 5 below the top, 27 + height.
  EXPECT_EQ(ItemBounds(area, sizes, 0, 0, true), (Rect{-1, 26, 106, 98}));
  // Item 1 starts after item 0's height and the 22-pixel gap.
  EXPECT_EQ(ItemBounds(area, sizes, 1, 0, true), (Rect{-1, 98, 106, 160}));
  // Scrolled by one: the first visible item starts 15 below the top.
  EXPECT_EQ(ItemBounds(area, sizes, 1, 1, true).top, area.top + 15);
  EXPECT_EQ(ItemBounds(area, sizes, 2, 1, true).top, area.top + 15 + 40 + 22);
}

TEST(OutBarItemBounds, SmallIcons) {
  const Rect area{0, 21, 105, 407};
  const std::vector<Size> sizes{{60, 16}, {60, 16}};
  EXPECT_EQ(ItemBounds(area, sizes, 0, 0, false), (Rect{5, 31, 60, 59}));
  EXPECT_EQ(ItemBounds(area, sizes, 1, 0, false), (Rect{5, 57, 60, 85}));
}

TEST(OutBarItemBounds, AtAnotherScaleTheInsetsAndGapsAreScaled) {
  const std::vector<Size> sizes{{60, 50}, {70, 40}, {60, 50}};
  const Rect area{0, 21, 105, 407};
  for (int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    const OutBarMetrics m = OutBarMetricsForDpi(dpi);
    EXPECT_EQ(m.folderHeight, geom::Scale(22, dpi));
    EXPECT_EQ(ItemAreaRect(geom::Scale(Rect{0, 0, 105, 407}, dpi), 1, 0, m).top, geom::Scale(22, dpi) - 1);
    // Items measured at the scale (the sizes scaled) sit where the 96-DPI
    // ones do, scaled, to within the rounding of the sums.
    std::vector<Size> scaled;
    for (Size s : sizes) scaled.push_back(geom::Scale(s, dpi));
    const Rect big = geom::Scale(area, dpi);
    for (int i = 0; i < 3; ++i) {
      for (int first : {0, 1}) {
        const Rect at96 = ItemBounds(area, sizes, i, first, true);
        const Rect r = ItemBounds(big, scaled, i, first, true, m);
        EXPECT_NEAR(r.top, geom::Scale(at96.top, dpi), 2) << i << first;
        EXPECT_NEAR(r.bottom, geom::Scale(at96.bottom, dpi), 2) << i << first;
        EXPECT_NEAR(r.left, geom::Scale(at96.left, dpi), 1) << i;
      }
    }
    // And the hit test finds each item at the scaled middle of its 96-DPI place.
    OutBarHitState s;
    s.itemArea = big;
    s.itemSizes = scaled;
    for (int i = 0; i < 3; ++i) {
      const Rect at96 = ItemBounds(area, sizes, i, 0, true);
      const Point middle = geom::Scale(Point{(at96.left + at96.right) / 2, (at96.top + at96.bottom) / 2}, dpi);
      const OutBarHit hit = HitTestPoint(s, middle, m);
      EXPECT_EQ(hit.code, kHitItem) << i;
      EXPECT_EQ(hit.index, i);
    }
  }
  EXPECT_EQ(ItemBounds(area, sizes, 1, 0, true, OutBarMetricsForDpi(96)), ItemBounds(area, sizes, 1, 0, true));
}

OutBarHitState Bar(int items) {
  OutBarHitState s;
  s.itemArea = {0, 21, 105, 407};
  s.itemSizes.assign(static_cast<std::size_t>(items), Size{60, 10});
  return s;
}

TEST(OutBarHitTest, ArrowsItemsAndMisses) {
  OutBarHitState s = Bar(3);
  EXPECT_EQ(HitTestPoint(s, {50, 10}).code, kHitNothing);  // arrows not painted yet
  s.upArrowShown = s.downArrowShown = true;
  EXPECT_EQ(HitTestPoint(s, {50, 10}).code, kHitUpArrow);
  EXPECT_EQ(HitTestPoint(s, {104, 400}).code, kHitDownArrow);
  EXPECT_EQ(HitTestPoint(s, {105, 400}).code, kHitNothing);  // right edge is outside

  // Items are 10 high: item k spans 26 + 32k to 58 + 32k.
  OutBarHit hit = HitTestPoint(s, {50, 30 + 2 * 32});
  EXPECT_EQ(hit.code, kHitItem);
  EXPECT_EQ(hit.index, 2);
  EXPECT_EQ(HitTestPoint(s, {50, 300}).code, kHitNothing);  // below the last item

  s.largeIcons = false;  // small icons: only the arrows react
  EXPECT_EQ(HitTestPoint(s, {50, 30}).code, kHitNothing);
}

TEST(OutBarHitTest, EveryItemCanBeHitByIndex) {
  // Twelve drive letters and more: the later items are hit too, reported by
  // index, and no item's result can be taken for an arrow's.
  OutBarHitState s = Bar(26);
  s.itemArea.bottom = 2000;
  for (int k : {10, 11, 12, 25}) {
    OutBarHit hit = HitTestPoint(s, {50, 30 + k * 32});
    EXPECT_EQ(hit.code, kHitItem) << k;
    EXPECT_EQ(hit.index, k);
  }
  EXPECT_EQ(HitTestPoint(s, {50, 30 + 26 * 32}).code, kHitNothing);  // past the last
}

TEST(OutBarHitTest, ItemsBelowTheItemAreaAreNotHit) {
  // Not drawn there (the painting stops at the area's bottom), so not hit.
  OutBarHitState s = Bar(20);
  s.itemArea.bottom = 200;
  EXPECT_EQ(HitTestPoint(s, {50, 30 + 5 * 32}).index, 5);  // starts at 186, drawn clipped
  EXPECT_EQ(HitTestPoint(s, {50, 30 + 6 * 32}).code, kHitNothing);  // starts at 218
  EXPECT_FALSE(IsPastItemArea({0, 200, 10, 210}, s.itemArea));
  EXPECT_TRUE(IsPastItemArea({0, 201, 10, 210}, s.itemArea));
}

TEST(OutBarSlotCodes, ByItemIndex) {
  EXPECT_EQ(SlotCodeForItem(0), 1);
  EXPECT_EQ(SlotCodeForItem(1), 13);
  EXPECT_EQ(SlotCodeForItem(2), 14);
  EXPECT_EQ(SlotCodeForItem(3), 15);
  // Every later item opens in the last slot, however many drives there are.
  for (int i = 4; i <= 30; ++i) EXPECT_EQ(SlotCodeForItem(i), 16);
  EXPECT_EQ(SlotCodeForItem(-1), 0);
}

TEST(BarSlots, CodesMapToSlots) {
  EXPECT_EQ(SlotForBarCode(1), 1);
  EXPECT_EQ(SlotForBarCode(13), 2);
  EXPECT_EQ(SlotForBarCode(14), 3);
  EXPECT_EQ(SlotForBarCode(15), 4);
  EXPECT_EQ(SlotForBarCode(16), 5);
  for (int other : {0, 2, 12, 17, -1}) EXPECT_EQ(SlotForBarCode(other), 0) << other;
}

TEST(BarSlots, DrivesFromCToHFillTheFiveSlotsInOrder) {
  // C, D, E, F, G, H listed in that order: G and H share the last slot.
  const std::vector<int> slots = {1, 2, 3, 4, 5, 5};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(SlotForBarCode(SlotCodeForItem(i)), slots[static_cast<size_t>(i)]) << i;
  }
}

}  // namespace
}  // namespace layout
