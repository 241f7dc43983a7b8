// The skin engine's caption and menu glyphs at each scale, drawn straight
// into a bitmap: a glyph made for twice the size has strokes twice as thick,
// so its ink grows with the square of the scale, not with the scale alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>
#include <utility>

#include "outside/appface/Draw.h"

namespace {

using appface::draw::Glyph;

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);

// The pixels of `glyph` drawn in a caption button's place (18 x 16 at 96
// DPI) at `dpi`.
int InkOf(Glyph glyph, UINT dpi) {
  const int w = MulDiv(18, static_cast<int>(dpi), 96), h = MulDiv(16, static_cast<int>(dpi), 96);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  appface::draw::Fill(dc, {0, 0, w, h}, kPaper);
  appface::draw::DrawGlyph(dc, {0, 0, w, h}, glyph, kInk, dpi);
  int ink = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) ink += GetPixel(dc, x, y) == kInk;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return ink;
}

TEST(SkinGlyphs, StrokesGrowWithTheScale) {
  for (Glyph glyph : {Glyph::Close, Glyph::Minimize, Glyph::Maximize, Glyph::Restore, Glyph::Check, Glyph::Bullet}) {
    const int at96 = InkOf(glyph, 96);
    ASSERT_GT(at96, 0) << static_cast<int>(glyph);
    for (const auto& [dpi, low, high] : {std::tuple{144u, 1.6, 3.2}, std::tuple{192u, 3.0, 5.0}}) {
      const double grown = static_cast<double>(InkOf(glyph, dpi)) / at96;
      EXPECT_GE(grown, low) << "glyph " << static_cast<int>(glyph) << " at " << dpi << ": " << grown;
      EXPECT_LE(grown, high) << "glyph " << static_cast<int>(glyph) << " at " << dpi << ": " << grown;
    }
  }
}

}  // namespace
