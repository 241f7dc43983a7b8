// The flat splitter's plan: its columns (the framework's rule) and the
// etched line of its top strip.
#include <gtest/gtest.h>

#include "app/SplitterLayout.h"

namespace layout {
namespace {

using geom::Point;
using geom::Rect;

TEST(SplitterColumns, BarAfterTheFirstColumnBelowTheStrip) {
  auto r = LayoutSplitterColumns({0, 0, 800, 500}, {{100, 0}, {0, 0}});
  EXPECT_EQ(r.inside, (Rect{0, 6, 800, 500}));
  ASSERT_EQ(r.panes.size(), 2u);
  EXPECT_EQ(r.panes[0], (Rect{0, 6, 100, 500}));
  ASSERT_EQ(r.bars.size(), 1u);
  EXPECT_EQ(r.bars[0], (Rect{100, 6, 103, 500}));
  EXPECT_EQ(r.panes[1], (Rect{106, 6, 800, 500}));
}

TEST(SplitterColumns, CutsWhatDoesNotFit) {
  auto narrow = LayoutSplitterColumns({0, 0, 60, 100}, {{100, 0}, {0, 0}});
  EXPECT_EQ(narrow.panes[0].Width(), 60);
  EXPECT_TRUE(narrow.bars.empty());
  EXPECT_EQ(narrow.panes[1].Width(), 0);

  auto belowMin = LayoutSplitterColumns({0, 0, 800, 100}, {{20, 50}, {0, 0}});
  EXPECT_EQ(belowMin.panes[0].Width(), 0);
  EXPECT_EQ(belowMin.panes[1], (Rect{6, 6, 800, 100}));

  SplitterMetrics off;
  off.topStripOn = false;
  EXPECT_EQ(LayoutSplitterColumns({0, 0, 800, 100}, {{100, 0}, {0, 0}}, off).inside.top, 0);
}

TEST(SplitterEtchedLine, TwoRowsOfTheStrip) {
  auto line = SplitterEtchedLine({0, 0, 800, 500});
  EXPECT_EQ(line.shadowFrom, (Point{0, 0}));
  EXPECT_EQ(line.shadowTo, (Point{799, 0}));
  EXPECT_EQ(line.highlightFrom, (Point{0, 1}));
  EXPECT_EQ(line.highlightTo, (Point{799, 1}));
}

}  // namespace
}  // namespace layout
