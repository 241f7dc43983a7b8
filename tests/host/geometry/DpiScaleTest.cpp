// The display-scale rule every layout goes through.
#include <gtest/gtest.h>

#include "geometry/Dpi.h"

namespace geom {
namespace {

TEST(DpiScale, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
  EXPECT_EQ(Scale(700, 96), 700);
  EXPECT_EQ(Scale(700, 144), 1050);
  EXPECT_EQ(Scale(500, 192), 1000);
  // 55 x 1.25 = 68.75, 585 x 1.25 = 731.25, 3 x 1.5 = 4.5, 5 x 1.75 = 8.75
  EXPECT_EQ(Scale(55, 120), 69);
  EXPECT_EQ(Scale(585, 120), 731);
  EXPECT_EQ(Scale(3, 144), 5);
  EXPECT_EQ(Scale(5, 168), 9);
  EXPECT_EQ(Scale(-10, 144), -15);
  EXPECT_EQ(Scale(-3, 144), -5);
  EXPECT_EQ(Scale(-1, 120), -1);
  EXPECT_EQ(Scale(0, 192), 0);
  EXPECT_EQ(ScalePercent(96), 100);
  EXPECT_EQ(ScalePercent(120), 125);
  EXPECT_EQ(ScalePercent(144), 150);
  EXPECT_EQ(ScalePercent(192), 200);
}

TEST(DpiScale, RectanglesThatTouchKeepTouchingAndSizesStayWithinAPixel) {
  // A caption strip and the info box beside it, and the pie below.
  const Rect caption{0, 86, 95, 123};
  const Rect info{95, 83, 195, 213};
  for (int dpi : {96, 120, 144, 168, 192, 240}) {
    const Rect c = Scale(caption, dpi);
    const Rect i = Scale(info, dpi);
    EXPECT_EQ(c.right, i.left) << dpi;
    EXPECT_LE(std::abs(c.Width() - Scale(caption.Width(), dpi)), 1) << dpi;
    EXPECT_LE(std::abs(i.Height() - Scale(info.Height(), dpi)), 1) << dpi;
  }
  EXPECT_EQ(Scale(Point{-10, 309}, 144), (Point{-15, 464}));
  EXPECT_EQ(Scale(Size{35, 28}, 192), (Size{70, 56}));
}

}  // namespace
}  // namespace geom
