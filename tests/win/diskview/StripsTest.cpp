// The caption strips and the colour legend strip, read back pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/diskview/StripLayout.h"
#include "app/diskview/crect.h"
#include "app/diskview/cwnd.h"
#include "framework/WinApp.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace diskview::test {
namespace {

COLORREF Background() { return GetSysColor(COLOR_ACTIVEBORDER); }

// Pixels of `r` in the window text colour, or blended from it: what text
// leaves on a box or a background.
int TextPixels(HDC dc, const RECT& r, COLORREF under) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) != under;
  }
  return n;
}

TEST(CaptionStrip, FramedActiveBorderBackgroundAndItsCaptionAtFiveTen) {
  afx::Window<TestParent> parent;
  ASSERT_TRUE(parent.Make());
  afx::Window<CCaptionStrip> strip(kPanelCaptions[4]);
  ASSERT_TRUE(strip.Create(WS_VISIBLE, CRect(0, 0, 95, 37), &parent, 3));
  wchar_t name[32] = {};
  GetClassNameW(strip.m_hWnd, name, 32);
  EXPECT_STREQ(name, L"PIE_CHART_RECT");
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(AfxGetInstanceHandle(), L"PIE_CHART_RECT", &wc));
  EXPECT_TRUE(wc.style & CS_GLOBALCLASS);
  EXPECT_EQ(wc.hbrBackground, GetStockObject(LTGRAY_BRUSH));
  EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_IBEAM));

  auto canvas = Render(strip);
  SaveRender(*canvas, "strip-caption");
  const HDC dc = *canvas;
  EXPECT_EQ(CountColour(dc, CRect(0, 0, 95, 1), 0), 95);
  EXPECT_EQ(CountColour(dc, CRect(0, 36, 95, 37), 0), 95);
  EXPECT_EQ(CountColour(dc, CRect(0, 0, 1, 37), 0), 37);
  EXPECT_EQ(CountColour(dc, CRect(94, 0, 95, 37), 0), 37);
  // The caption starts at (5, 10): nothing but background above or left of it.
  EXPECT_EQ(CountColour(dc, CRect(1, 1, 94, 10), Background()), 93 * 9);
  EXPECT_EQ(CountColour(dc, CRect(1, 1, 5, 36), Background()), 4 * 35);
  EXPECT_GT(TextPixels(dc, CRect(5, 10, 94, 36), Background()), 20);

  // Every caption strip, whatever its size, draws the same way.
  for (const char* caption : kPanelCaptions) {
    afx::Window<CCaptionStrip> other(caption);
    ASSERT_TRUE(other.Create(WS_VISIBLE, CRect(0, 0, 160, 40), &parent, 3));
    auto c = Render(other);
    EXPECT_EQ(c->Pixel(0, 0), 0u);
    EXPECT_EQ(c->Pixel(2, 2), Background());
    EXPECT_GT(TextPixels(*c, CRect(5, 10, 159, 39), Background()), 20) << caption;
  }
}

class LegendTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(parent.Make(1100, 200)); }
  std::unique_ptr<dravon_test::Canvas> RenderAt(int width, int height) {
    EXPECT_TRUE(legend.Create(WS_VISIBLE, CRect(0, 0, width, height), &parent, 8));
    return Render(legend);
  }
  afx::Window<TestParent> parent;
  afx::Window<CLegendStrip> legend;
};

TEST_F(LegendTest, AtWidthThousandTheBoxesOverlapLaterOverEarlier) {
  auto canvas = RenderAt(1000, 40);
  SaveRender(*canvas, "strip-legend-1000x40");
  const HDC dc = *canvas;
  // Box 1 spans x 50 to 90 and y 15 to 26; left of its caption (69) it is
  // all box colour.
  EXPECT_EQ(CountColour(dc, CRect(50, 15, 69, 26), 0xFF0000), 19 * 11);
  EXPECT_EQ(CountColour(dc, CRect(45, 14, 69, 15), Background()), 24);  // above
  EXPECT_EQ(CountColour(dc, CRect(45, 26, 69, 27), Background()), 24);  // below
  EXPECT_EQ(CountColour(dc, CRect(45, 15, 50, 26), Background()), 5 * 11);
  EXPECT_EQ(CountColour(dc, CRect(90, 0, 1000, 40), 0xFF0000), 0);
  // Each box where no later one covers it: its colour or its caption's ink.
  struct Span {
    int left, right;
    COLORREF colour;
  };
  const Span visible[] = {{50, 90, 0xFF0000},
                          {170, 200, 0x555555},
                          {250, 352, 0xFFFFFF},
                          {352, 460, 0x400080},
                          {460, 645, 0x00509F}};
  for (const Span& s : visible) {
    const CRect box(s.left, 15, s.right, 26);
    const int own = CountColour(dc, box, s.colour);
    EXPECT_GT(own, box.Width() * box.Height() / 2) << s.left;
    // (Where the system's active border is white, box 3 is the background.)
    if (s.colour != Background()) EXPECT_EQ(CountColour(dc, box, Background()), 0) << s.left;
  }
  // Where boxes overlap, the earlier colour is gone.
  EXPECT_EQ(CountColour(dc, CRect(352, 15, 363, 26), 0xFFFFFF), 0);
  EXPECT_EQ(CountColour(dc, CRect(170, 15, 200, 26), 0xFF0000), 0);
  EXPECT_EQ(CountColour(dc, CRect(460, 15, 500, 26), 0x400080), 0);
  EXPECT_EQ(CountColour(dc, CRect(645, 0, 1000, 40), 0x00509F), 0);
  // "容量:" at (5, 15).
  EXPECT_GT(TextPixels(dc, CRect(5, 15, 45, 39), Background()), 20);
  EXPECT_EQ(CountColour(dc, CRect(1, 1, 999, 15), Background()), 998 * 14);
}

TEST_F(LegendTest, AtTheViewsWidthOnlyTheFirstBoxIsDrawn) {
  auto canvas = RenderAt(585, 40);
  SaveRender(*canvas, "strip-legend-585x40");
  const HDC dc = *canvas;
  EXPECT_EQ(CountColour(dc, CRect(50, 15, 53, 26), 0xFF0000), 3 * 11);
  const CRect all(0, 0, 585, 40);
  EXPECT_EQ(CountColour(dc, all, 0xFF0000), 3 * 11);
  for (COLORREF other : {0x555555u, 0xFFFFFFu, 0x400080u, 0x00509Fu}) {
    if (other == Background()) continue;  // white box, white active border
    EXPECT_EQ(CountColour(dc, all, other), 0) << std::hex << other;
  }
  // The captions are written all the same.
  for (int x : {69, 170, 275, 380, 485}) {
    EXPECT_GT(TextPixels(dc, CRect(x, 15, x + 20, 39), Background()), 5) << x;
  }
  // The view's own strip: 750 by 50.
  afx::Window<CLegendStrip> wide;
  ASSERT_TRUE(wide.Create(WS_VISIBLE, CRect(0, 0, 750, 50), &parent, 8));
  SaveRender(*Render(wide), "strip-legend-750x50");
}

}  // namespace
}  // namespace diskview::test
