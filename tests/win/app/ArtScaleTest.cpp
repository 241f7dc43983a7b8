// The program's art at every display scale: each bitmap at the size the
// scale gives its design, drawn for that scale (sharper than its 100 %
// picture blown up), masks kept when a rendering is brought down to a scale
// between two, icons at every size the scales ask for.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "framework/Art.h"
#include "framework/Dpi.h"
#include "geometry/Dpi.h"
#include "res/app/resource.h"

namespace {

// How big the steps between neighbouring pixels are: the sum of their
// squares over the sum of their sizes. A smooth enlargement keeps an
// edge's whole contrast (the sum of the steps) but spreads it over more,
// smaller steps; an edge drawn at the scale keeps it in one or two.
double StepSize(const geom::Picture& p) {
  double squares = 0;
  double sizes = 0;
  for (int y = 0; y + 1 < p.height; ++y) {
    for (int x = 0; x + 1 < p.width; ++x) {
      for (int shift : {0, 8, 16}) {
        const int c = static_cast<int>((p.At(x, y) >> shift) & 0xFF);
        for (const int n : {static_cast<int>((p.At(x + 1, y) >> shift) & 0xFF),
                            static_cast<int>((p.At(x, y + 1) >> shift) & 0xFF)}) {
          squares += (c - n) * (c - n);
          sizes += std::abs(c - n);
        }
      }
    }
  }
  return sizes > 0 ? squares / sizes : 0;
}

// `p` enlarged to `w` x `h` by bilinear interpolation, as the system
// stretches the picture of a window that is not drawn for the scale.
geom::Picture Stretched(const geom::Picture& p, int w, int h) {
  geom::Picture out(w, h);
  for (int y = 0; y < h; ++y) {
    const double sy = std::clamp((y + 0.5) * p.height / h - 0.5, 0.0, p.height - 1.0);
    const int y0 = static_cast<int>(sy);
    const int y1 = std::min(y0 + 1, p.height - 1);
    for (int x = 0; x < w; ++x) {
      const double sx = std::clamp((x + 0.5) * p.width / w - 0.5, 0.0, p.width - 1.0);
      const int x0 = static_cast<int>(sx);
      const int x1 = std::min(x0 + 1, p.width - 1);
      COLORREF c = 0;
      for (int shift : {0, 8, 16}) {
        auto at = [&](int xx, int yy) { return static_cast<double>((p.At(xx, yy) >> shift) & 0xFF); };
        const double top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * (sx - x0);
        const double bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * (sx - x0);
        c |= static_cast<COLORREF>(std::lround(top + (bottom - top) * (sy - y0))) << shift;
      }
      out.At(x, y) = c;
    }
  }
  return out;
}

geom::Picture Pixels(UINT id, UINT dpi, COLORREF mask = CLR_NONE) {
  CBitmap bitmap;
  bitmap.Attach(afx::LoadBitmapForDpi(id, dpi, mask, GetModuleHandleW(nullptr)));
  return afx::PictureOfBitmap(bitmap).value_or(geom::Picture());
}

constexpr UINT kBitmaps[] = {IDB_TREE_IMAGES, IDB_TOOLBAR_TRUECOLOR, IDB_VIEW_PIE, IDB_VIEW_TOP,
                             IDB_VIEW_BOTTOM, IDB_VIEW_BUTTON_136, IDB_BUTTON_PRESSED,
                             IDB_DRIVE_IMAGES, IDB_BUTTON_EXIT, IDB_BUTTON_HOME, IDB_ABOUT, IDB_BANNER};

}  // namespace

TEST(ArtScale, EveryBitmapComesAtTheScaledSizeOfItsDesignAndAsRenderedForIt) {
  for (UINT id : kBitmaps) {
    const geom::Picture base = Pixels(id, 96);
    ASSERT_GT(base.width, 0) << id;
    for (UINT dpi : {108u, 120u, 144u, 168u, 192u, 240u}) {
      const geom::Picture scaled = Pixels(id, dpi);
      EXPECT_EQ(scaled.width, geom::Scale(base.width, static_cast<int>(dpi))) << id << " at " << dpi;
      EXPECT_EQ(scaled.height, geom::Scale(base.height, static_cast<int>(dpi))) << id << " at " << dpi;
    }
    // A rendered scale is its rendering, untouched.
    CBitmap rendering;
    wchar_t name[32];
    swprintf(name, 32, L"SCALE150_%u", id);
    rendering.Attach(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0,
                                                     LR_CREATEDIBSECTION)));
    ASSERT_TRUE(rendering) << id;
    EXPECT_EQ(afx::PictureOfBitmap(rendering)->pixels, Pixels(id, 144).pixels) << id;
  }
  EXPECT_EQ(afx::ArtScaleForDpi(96), 100);
  EXPECT_EQ(afx::ArtScaleForDpi(108), 125);
  EXPECT_EQ(afx::ArtScaleForDpi(144), 150);
  EXPECT_EQ(afx::ArtScaleForDpi(168), 200);
  EXPECT_EQ(afx::ArtScaleForDpi(288), 200);
}

TEST(ArtScale, APictureDrawnForItsScaleIsSharperThanItsHundredPercentOneBlownUp) {
  for (UINT id : {IDB_VIEW_PIE, IDB_DRIVE_IMAGES, IDB_TOOLBAR_TRUECOLOR, IDB_BUTTON_EXIT}) {
    const geom::Picture base = Pixels(id, 96);
    for (UINT dpi : {144u, 192u}) {
      const geom::Picture drawn = Pixels(id, dpi);
      const geom::Picture stretched = Stretched(base, drawn.width, drawn.height);
      // Measured: about twice as sharp at 150 %, more at 200 %.
      EXPECT_GT(StepSize(drawn), 1.5 * StepSize(stretched)) << id << " at " << dpi;
    }
  }
}

TEST(ArtScale, BroughtDownBetweenScalesAMaskedBitmapKeepsItsHolesWithoutAFringe) {
  constexpr COLORREF kMask = RGB(255, 0, 255);
  for (UINT dpi : {108u, 168u}) {
    const geom::Picture drives = Pixels(IDB_DRIVE_IMAGES, dpi, kMask);
    ASSERT_GT(drives.width, 0);
    int holes = 0;
    for (COLORREF c : drives.pixels) {
      if (c == kMask) {
        ++holes;
        continue;
      }
      // Nothing of the mask colour mixed in: no pinkish pixel.
      EXPECT_FALSE(GetRValue(c) > 160 && GetBValue(c) > 160 && GetGValue(c) < 100)
          << std::hex << c << " at " << std::dec << dpi;
    }
    // The holes keep their share of the picture.
    const geom::Picture base = Pixels(IDB_DRIVE_IMAGES, 96);
    int baseHoles = 0;
    for (COLORREF c : base.pixels) baseHoles += c == kMask;
    const double share = static_cast<double>(holes) / static_cast<double>(drives.pixels.size());
    const double baseShare = static_cast<double>(baseHoles) / static_cast<double>(base.pixels.size());
    EXPECT_NEAR(share, baseShare, 0.05) << dpi;
  }
  // The toolbar names its mask by its first pixel; brought down, that
  // pixel is still the mask.
  const geom::Picture bar = Pixels(IDB_TOOLBAR_TRUECOLOR, 168, afx::kMaskOfFirstPixel);
  EXPECT_EQ(bar.At(0, bar.height - 1), Pixels(IDB_TOOLBAR_TRUECOLOR, 96).At(0, 29));
}

TEST(ArtScale, IconsCarryEverySizeTheScalesAskFor) {
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
    afx::UniqueIcon icon = afx::LoadIconOfSize(IDR_MAINFRAME, size, GetModuleHandleW(nullptr));
    ASSERT_TRUE(icon) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
}
