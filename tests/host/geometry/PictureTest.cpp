// Resampling a rendering of the art to a scale between the rendered ones.
#include <gtest/gtest.h>

#include "geometry/Picture.h"

namespace geom {
namespace {

constexpr Colour kMask = 0xFF00FF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kBlue = 0xFF0000;

TEST(ResamplePicture, AveragesTheAreaEachNewPixelCovers) {
  Picture stripes(4, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) stripes.At(x, y) = x % 2 ? 0xFFFFFF : 0x000000;
  }
  const Picture same = ResamplePicture(stripes, 4, 2);
  EXPECT_EQ(same.pixels, stripes.pixels);
  const Picture half = ResamplePicture(stripes, 2, 1);
  ASSERT_EQ(half.pixels.size(), 2u);
  EXPECT_EQ(half.At(0, 0), 0x808080u);  // 127.5 rounds up
  EXPECT_EQ(half.At(1, 0), 0x808080u);
  // Three new pixels over four old ones, 4/3 each: the outer ones take a
  // whole old pixel and a third of the next (a quarter of their colour
  // from it), the middle one two thirds of each of the middle pair.
  const Picture three = ResamplePicture(stripes, 3, 2);
  EXPECT_EQ(three.At(0, 0), 0x404040u);
  EXPECT_EQ(three.At(1, 0), 0x808080u);
  EXPECT_EQ(three.At(2, 0), 0xBFBFBFu);
  EXPECT_TRUE(ResamplePicture(stripes, 0, 2).pixels.empty());
  EXPECT_TRUE(ResamplePicture(Picture(), 3, 3).pixels.empty());
}

TEST(ResamplePicture, BringsAPictureFromTwoHundredToOneSeventyFivePercentKeepingItsTone) {
  // An 8 x 8 rendering of a 4-pixel design (200 %) made 7 x 7 (175 %).
  Picture from(8, 8);
  long long total = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      from.At(x, y) = (x / 2 + y / 2) % 2 ? 0xC8C8C8 : 0x323232;
      total += from.At(x, y) & 0xFF;
    }
  }
  const Picture to = ResamplePicture(from, 7, 7);
  long long after = 0;
  for (Colour c : to.pixels) after += c & 0xFF;
  // The same mean tone, within rounding.
  EXPECT_NEAR(after / 49.0, total / 64.0, 1.0);
  // The corners stay what they were: no colour comes from outside.
  EXPECT_EQ(to.At(0, 0), 0x323232u);
}

TEST(ResamplePicture, MaskedPixelsStayHolesAndNeverTintTheirNeighbours) {
  // A red square in the middle of a masked 6 x 6 picture, its edge pixels
  // blended blue already (as the renderer flattens on the edge colour).
  Picture from(6, 6, kMask);
  for (int y = 1; y < 5; ++y) {
    for (int x = 1; x < 5; ++x) from.At(x, y) = (x == 1 || x == 4 || y == 1 || y == 4) ? kBlue : kRed;
  }
  const Picture to = ResamplePicture(from, 4, 4, kMask);
  // Corners: less than half covered, holes.
  EXPECT_EQ(to.At(0, 0), kMask);
  EXPECT_EQ(to.At(3, 3), kMask);
  for (Colour c : to.pixels) {
    if (c == kMask) continue;
    // Only red and blue mixed: no magenta from the mask.
    EXPECT_EQ(c & 0x00FF00, 0u);
    EXPECT_EQ((c & 0xFF) + ((c >> 16) & 0xFF), 0xFFu) << std::hex << c;
  }
  // The middle is red through.
  EXPECT_EQ(to.At(1, 1) & 0xFF, 0xFFu - ((to.At(1, 1) >> 16) & 0xFF));
  EXPECT_NE(to.At(1, 1), kMask);
  // An average that would come out as the mask colour is moved off it.
  Picture twoTone(2, 1);
  twoTone.At(0, 0) = 0x7F007F;
  twoTone.At(1, 0) = 0x810081;
  const Picture one = ResamplePicture(twoTone, 1, 1, Colour{0x800080});
  EXPECT_EQ(one.At(0, 0), 0x800081u);
}

}  // namespace
}  // namespace geom
