// The disk overview's panels at other display scales: the chart, the info
// box and the strips made at 120, 144 and 192 DPI and moved between scales,
// measured against their 96-DPI selves.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/diskview/InfoCtrl.h"
#include "app/diskview/PanelWin.h"
#include "app/diskview/PieChartCtrl.h"
#include "app/diskview/StripLayout.h"
#include "app/diskview/crect.h"
#include "app/diskview/cwnd.h"
#include "platform/TextWin.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace diskview::test {
namespace {

constexpr UINT kScales[] = {120, 144, 192};

int S(int n, UINT dpi) { return geom::Scale(n, static_cast<int>(dpi)); }

CSize Extent(HFONT font, const std::string& text) {
  dravon_test::Canvas scratch(1, 1);
  CSelectObject f(scratch, font);
  const std::wstring wide = platform::Widen(text);
  return scratch.dc().GetTextExtent(wide.c_str(), static_cast<int>(wide.size()));
}

// The line height of a panel font at `dpi`.
int LineHeight(const wchar_t* face, int height, UINT dpi) {
  CFont font;
  CreatePanelFont(font, face, height, dpi);
  return Extent(font, "%").cy;
}

// A panel made under `dpi` at the 96-DPI rectangle `at` scaled to it.
template <class Panel>
struct Made {
  explicit Made(UINT dpi, const geom::Rect& at) : scale(dpi) {
    EXPECT_TRUE(parent.Make(S(640, dpi), S(480, dpi)));
    EXPECT_TRUE(panel.Create(WS_VISIBLE, CRect(geom::Scale(at, static_cast<int>(dpi))), &parent, 104));
  }
  dravon_test::MonitorScale scale;
  afx::Window<TestParent> parent;
  afx::Window<Panel> panel;
};

TEST(PanelFonts, AreTheirPixelHeightsAtTheDpi) {
  for (UINT dpi : kScales) {
    // Text grows with the scale, to within the rasteriser's rounding.
    EXPECT_NEAR(LineHeight(L"Arial", 13, dpi), LineHeight(L"Arial", 13, 96) * dpi / 96.0, 2) << dpi;
    EXPECT_NEAR(LineHeight(L"Arial", 15, dpi), LineHeight(L"Arial", 15, 96) * dpi / 96.0, 2) << dpi;
  }
}

TEST(PieAtScale, SlicesColoursAndTheTipSitAtScaledPoints) {
  for (UINT dpi : kScales) {
    SCOPED_TRACE(dpi);
    Made<CPieChartCtrl> made(dpi, {0, 0, 98, 95});
    CPieChartCtrl& pie = made.panel;
    made.parent.Show();
    // The disc fills the scaled window as it fills the 96-DPI one (93 of 95).
    EXPECT_NEAR(pie.GetPieRect().Width(), S(93, dpi), 2);
    pie.AddSlice(kSlicePalette[0].colour, 0xFFFFFF, 270);
    pie.AddSlice(kSlicePalette[1].colour, 0xFFFFFF, 90);
    pie.SetSliceTip(0, L"big");
    const geom::Rect square = pie.GetPieRect().ToGeom();
    const CPoint big(AnglePoint(square, 100, RimRadius(square) * 0.9));
    const CPoint small(AnglePoint(square, 315, RimRadius(square) * 0.9));
    auto canvas = Render(pie);
    EXPECT_EQ(canvas->Pixel(big.x, big.y), kSlicePalette[0].colour);
    EXPECT_EQ(canvas->Pixel(small.x, small.y), kSlicePalette[1].colour);
    EXPECT_EQ(pie.HitTest(big), 0);
    EXPECT_EQ(pie.HitTest(small), 1);
    // The 75 % share written at three fifths of the radius, in a font of
    // the scale: white text around the slice's middle.
    const CPoint share(AnglePoint(square, 135, RimRadius(square) * 0.6));
    const int line = LineHeight(L"Arial", 13, dpi);
    EXPECT_GT(CountNear(*canvas, CRect(share.x, share.y, share.x + 3 * line, share.y + line), 0xFFFFFF),
              0);
    SaveRender(*canvas, "pie-at-" + std::to_string(dpi));

    pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(big.x, big.y));
    pie.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(big.x, big.y));
    ASSERT_EQ(pie.GetShownTip(), CString(L"big"));
    RECT tip{};
    GetWindowRect(pie.TipWindow(), &tip);
    POINT pointer = big;
    ClientToScreen(pie.m_hWnd, &pointer);
    // Within the tool tip's own pixel of placement (one up and left under
    // Wine at every scale).
    EXPECT_NEAR(tip.left, pointer.x + S(12, dpi), 1);
    EXPECT_NEAR(tip.top, pointer.y + S(18, dpi), 1);
  }
}

TEST(PieAtScale, AChangeOfScaleRemakesItsFontsAndDisc) {
  Made<CPieChartCtrl> made(96, {0, 0, 98, 95});
  CPieChartCtrl& pie = made.panel;
  pie.AddSlice(kSlicePalette[0].colour, 0xFFFFFF, 180);
  pie.AddSlice(kSlicePalette[1].colour, 0xFFFFFF, 180);
  const CRect at96 = pie.GetPieRect();
  made.scale.MoveTo(made.parent.m_hWnd, 192);
  // The parent lays its children out; the chart follows its new size.
  pie.MoveWindow(CRect(0, 0, S(98, 192), S(95, 192)));
  EXPECT_NEAR(pie.GetPieRect().Width(), 2 * at96.Width(), 2);
  made.scale.MoveTo(made.parent.m_hWnd, 96);
  pie.MoveWindow(CRect(0, 0, 98, 95));
  EXPECT_EQ(pie.GetPieRect(), at96);
}

TEST(InfoAtScale, RowsAreScaledAndTheirTextsFitThem) {
  for (UINT dpi : kScales) {
    SCOPED_TRACE(dpi);
    Made<CInfoCtrl> made(dpi, {95, 83, 195, 213});
    CInfoCtrl& info = made.panel;
    info.SetLine(kInfoPartition, L"NTFS", -1, 0);
    info.SetLine(kInfoUsed, L"", 40, 0);
    info.SetLine(kInfoFileCount, L"12 个", -1, 2);
    const InfoPaintPlan plan = info.PaintPlan();
    CFont font;
    CreatePanelFont(font, L"MS Sans Serif", 13, dpi);
    int rows = 0;
    for (const InfoGroupPlan& group : plan.groups) {
      for (const InfoRowPlan& row : group.rows) {
        ++rows;
        EXPECT_EQ(row.box.Height(), S(17, dpi)) << row.label;
        // A row is as tall as its text needs, as at 96 DPI.
        EXPECT_LE(Extent(font, row.label).cy, row.box.Height()) << row.label;
        if (row.percentage) {
          EXPECT_GE(row.captionAt.y, row.valueRect.top) << row.caption;
          EXPECT_LE(row.captionAt.y + Extent(font, row.caption).cy, row.valueRect.bottom + 1) << row.caption;
        }
      }
    }
    EXPECT_GE(rows, 3);
  }
}

TEST(StripsAtScale, CaptionsAndLegendTextsFitTheirStrips) {
  for (UINT dpi : kScales) {
    SCOPED_TRACE(dpi);
    const int d = static_cast<int>(dpi);
    CFont font;
    CreatePanelFont(font, L"Arial", 15, dpi);
    // The slots' caption strips (95 by 37 at 96 DPI).
    for (const char* caption : kPanelCaptions) {
      const CaptionStripPlan plan = PlanCaptionStrip(S(95, dpi), S(37, dpi), caption, d);
      EXPECT_EQ(plan.captionAt, geom::Scale(geom::Point{5, 10}, d));
      const std::string text(caption);
      const CSize extent = Extent(font, text);
      EXPECT_LE(plan.captionAt.y + extent.cy, plan.background.bottom) << caption;
    }
    // The legend (750 by 50 at 96 DPI): boxes and captions at scaled places,
    // each caption clear of the next where it is at 96 DPI.
    CFont font96;
    CreatePanelFont(font96, L"Arial", 15, 96);
    const LegendStripPlan base = PlanLegendStrip(750, 50);
    const LegendStripPlan legend = PlanLegendStrip(S(750, dpi), S(50, dpi), d);
    EXPECT_EQ(legend.headingAt, geom::Scale(base.headingAt, d));
    for (std::size_t i = 0; i < legend.boxes.size(); ++i) {
      const LegendBox& box = legend.boxes[i];
      EXPECT_EQ(box.box.left, S(base.boxes[i].box.left, dpi)) << i;
      EXPECT_EQ(box.box.top, S(base.boxes[i].box.top, dpi)) << i;
      EXPECT_NEAR(box.box.right, S(base.boxes[i].box.right, dpi), 1) << i;
      EXPECT_EQ(box.captionAt, geom::Scale(base.boxes[i].captionAt, d)) << i;
      EXPECT_LE(box.captionAt.y + Extent(font, box.caption).cy, legend.background.bottom) << i;
      if (i + 1 == legend.boxes.size()) continue;
      const bool clear96 = base.boxes[i].captionAt.x + Extent(font96, box.caption).cx <=
                           base.boxes[i + 1].captionAt.x;
      const bool clear = box.captionAt.x + Extent(font, box.caption).cx <= legend.boxes[i + 1].captionAt.x;
      EXPECT_EQ(clear, clear96) << i;
    }
  }
}

TEST(PanelsAtScale, TwoHundredChangesOfScaleLeakNothing) {
  Made<CPieChartCtrl> made(96, {0, 0, 98, 95});
  afx::Window<CInfoCtrl> info;
  afx::Window<CCaptionStrip> caption{std::string(kPanelCaptions[0])};
  afx::Window<CLegendStrip> legend;
  ASSERT_TRUE(info.Create(WS_VISIBLE, CRect(100, 0, 200, 130), &made.parent, 1));
  ASSERT_TRUE(caption.Create(WS_VISIBLE, CRect(0, 140, 95, 177), &made.parent, 3));
  ASSERT_TRUE(legend.Create(WS_VISIBLE, CRect(0, 180, 600, 230), &made.parent, 8));
  made.panel.AddSlice(kSlicePalette[0].colour, 0xFFFFFF, 200);
  made.panel.AddSlice(kSlicePalette[1].colour, 0xFFFFFF, 160);
  made.parent.Show();
  const auto cycle = [&] {
    for (UINT dpi : {144u, 96u}) {
      made.scale.MoveTo(made.parent.m_hWnd, dpi);
      made.parent.UpdateWindow();
    }
  };
  for (int i = 0; i < 5; ++i) cycle();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) cycle();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user);
}

}  // namespace
}  // namespace diskview::test
