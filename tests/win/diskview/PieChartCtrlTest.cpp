// The pie chart window: what it paints, read back pixel by pixel, and the
// drag that turns it.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "app/diskview/PieMessages.h"
#include "app/diskview/PanelWin.h"
#include "app/diskview/PieChartCtrl.h"
#include "framework/WinApp.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace diskview::test {
namespace {

constexpr COLORREF kBlue = kPieSquareColour;

class PieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Make());
    ASSERT_TRUE(pie.Create(WS_VISIBLE, CRect(0, 0, 200, 120), &parent, 104));
  }
  // A point at `degrees` on `fraction` of the rim radius.
  CPoint At(int degrees, double fraction) const {
    const geom::Rect square = pie.GetPieRect().ToGeom();
    return CPoint(AnglePoint(square, degrees, RimRadius(square) * fraction));
  }
  // The extent of `text` in the chart's text font.
  CSize TextSize(const wchar_t* text) const {
    CFont font;
    CreatePanelFont(font, L"Arial", 13);
    dravon_test::Canvas scratch(1, 1);
    CSelectObject f(scratch, font);
    return scratch.dc().GetTextExtent(text, lstrlenW(text));
  }
  afx::Window<TestParent> parent;
  afx::Window<CPieChartCtrl> pie;
};

TEST_F(PieTest, ItsClassLayoutAndSlices) {
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(AfxGetInstanceHandle(), L"PIE_CHART_CTRL", &wc));
  EXPECT_TRUE(wc.style & CS_GLOBALCLASS);
  EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_IBEAM));
  wchar_t name[32] = {};
  GetClassNameW(pie.m_hWnd, name, 32);
  EXPECT_STREQ(name, L"PIE_CHART_CTRL");
  // 200 by 120: the largest odd square, one thirtieth of the room from the left.
  EXPECT_EQ(pie.GetPieRect(), CRect(2, 0, 119, 117));

  COLORREF colour = 7;
  EXPECT_FALSE(pie.GetSliceColour(0, colour));
  EXPECT_EQ(colour, 7u);
  pie.AddSlice(0x8000FF, 0xFFFFFF, 200);
  pie.AddSlice(0xFF0000, 0xFFFFFF, 160);
  EXPECT_EQ(pie.GetSliceCount(), 2);
  ASSERT_TRUE(pie.GetSliceColour(0, colour));
  EXPECT_EQ(colour, 0x8000FFu);
  ASSERT_TRUE(pie.GetSliceColour(9, colour));  // past the end: the last
  EXPECT_EQ(colour, 0xFF0000u);
  pie.RemoveAllSlices();
  EXPECT_EQ(pie.GetSliceCount(), 0);

  // A title takes twice its height above the disc.
  pie.SetTitle(L"标题");
  const CRect titled = pie.GetPieRect();
  EXPECT_GT(titled.top, 0);
  EXPECT_EQ(titled.Width() % 2, 1);
  EXPECT_EQ(titled.Width(), titled.Height());
  pie.SetTitle(L"");
  EXPECT_EQ(pie.GetPieRect(), CRect(2, 0, 119, 117));
}

TEST_F(PieTest, WithoutSlicesOnlyTheOutlinedBlueSquare) {
  auto canvas = Render(pie);
  SaveRender(*canvas, "pie-empty");
  const HDC dc = *canvas;
  EXPECT_EQ(CountColour(dc, CRect(3, 1, 118, 116), kBlue), 115 * 115);
  EXPECT_EQ(CountColour(dc, CRect(2, 0, 119, 1), 0), 117);    // top edge
  EXPECT_EQ(CountColour(dc, CRect(2, 116, 119, 117), 0), 117);  // bottom
  EXPECT_EQ(CountColour(dc, CRect(2, 0, 3, 117), 0), 117);    // left
  EXPECT_EQ(CountColour(dc, CRect(118, 0, 119, 117), 0), 117);  // right
  // Around it the view's face colour, and nothing drawn anywhere else.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(CountColour(dc, CRect(119, 0, 200, 120), face), 81 * 120);
  EXPECT_EQ(CountColour(dc, CRect(0, 0, 2, 120), face), 2 * 120);
  EXPECT_EQ(CountColour(dc, CRect(2, 117, 119, 120), face), 117 * 3);
}

TEST_F(PieTest, AWholeTurnFillsTheDiscAndWritesItsShareBelowTheCentre) {
  pie.AddSlice(0x8000FF, 0xFFFFFF, 360);
  auto canvas = Render(pie);
  SaveRender(*canvas, "pie-whole-turn");
  EXPECT_EQ(canvas->Pixel(60, 58), 0x8000FFu);  // the disc's centre
  EXPECT_EQ(canvas->Pixel(60, 4), 0x8000FFu);
  EXPECT_EQ(canvas->Pixel(4, 2), kBlue);  // the square's corner, outside the disc
  // "100%" has its top-left corner three fifths of the radius below the centre.
  const CPoint anchor = At(180, 3.0 / 5.0);
  EXPECT_EQ(anchor, CPoint(61, 93));
  const CSize text = TextSize(L"100%");
  EXPECT_GT(CountNear(*canvas, CRect(anchor, text), 0xFFFFFF), 5);
  EXPECT_EQ(CountNear(*canvas, CRect(3, 1, 118, 85), 0xFFFFFF), 0) << "no text above the centre";
}

TEST_F(PieTest, AQuarterFromTwelveToThreeOClock) {
  pie.AddSlice(0x0000FF, 0x000000, 90);
  auto canvas = Render(pie);
  SaveRender(*canvas, "pie-quarter");
  for (int degrees : {3, 45, 87}) {
    const CPoint p = At(degrees, 0.85);
    EXPECT_EQ(canvas->Pixel(p.x, p.y), 0x0000FFu) << degrees;
  }
  for (int degrees : {93, 135, 225, 315, 357}) {
    const CPoint p = At(degrees, 0.85);
    EXPECT_EQ(canvas->Pixel(p.x, p.y), kBlue) << degrees;
  }
}

TEST_F(PieTest, SharesAreWrittenForSlicesAboveTwentyFiveDegrees) {
  pie.AddSlice(0x8000FF, 0x00FFFF, 25);
  pie.AddSlice(0xFF0000, 0x00FF00, 26);
  pie.AddSlice(0x555555, 0xFFFFFF, 309);
  auto canvas = Render(pie);
  SaveRender(*canvas, "pie-25-26-309");
  const CRect all(0, 0, 200, 120);
  EXPECT_EQ(CountNear(*canvas, all, 0x00FFFF), 0) << "25 degrees: no share";
  // "7%" (26 * 100 / 360 = 7.2) at the 26-degree slice's middle, 38 degrees.
  const CRect box(At(25 + 13, 3.0 / 5.0), TextSize(L"7%"));
  const int inBox = CountNear(*canvas, box, 0x00FF00);
  EXPECT_GT(inBox, 5);
  EXPECT_EQ(CountNear(*canvas, all, 0x00FF00), inBox) << "no more text than 7%";
}

TEST_F(PieTest, ASliceTooThinToShowIsALineOfItsColourNotTheWholeDisc) {
  // On this disc one degree near 3 o'clock is less than a pixel: both rim
  // points are the same, yet the slice is not a whole turn.
  ASSERT_TRUE(pie.SetWindowPos(nullptr, 0, 0, 98, 95, SWP_NOZORDER | SWP_NOMOVE));
  ASSERT_EQ(At(89, 1.0), At(90, 1.0));
  pie.AddSlice(0x8000FF, 0xFFFFFF, 89);
  pie.AddSlice(0xFF0000, 0xFFFFFF, 1);
  pie.AddSlice(0x555555, 0xFFFFFF, 270);
  auto canvas = Render(pie);
  SaveRender(*canvas, "pie-thin-slice-line");
  // A line from the centre to 3 o'clock, a few pixels wide at most.
  const int line = CountColour(*canvas, CRect(0, 0, 98, 95), 0xFF0000);
  EXPECT_GT(line, 40);
  EXPECT_LT(line, 4 * 47);
  const CPoint onIt = At(90, 0.5);
  EXPECT_EQ(canvas->Pixel(onIt.x, onIt.y), 0xFF0000u);
  const CPoint first = At(45, 0.85);
  EXPECT_EQ(canvas->Pixel(first.x, first.y), 0x8000FFu);
}

// Inside the rim a whole disc shows only slice colours: no line of the
// square's blue from the centre to the rim, however thin the last slice is
// and wherever the disc is turned.
TEST_F(PieTest, AWholeDiscIsNeverCutByTheSquaresBlue) {
  ASSERT_TRUE(pie.SetWindowPos(nullptr, 0, 0, 98, 95, SWP_NOZORDER | SWP_NOMOVE));
  for (int start : {0, 10, 45, 90, 135, 180, 270}) {
    for (int thin : {1, 2, 3, 5, 12, 90, 180}) {
      pie.RemoveAllSlices();
      pie.AddSlice(kSlicePalette[0].colour, kSlicePalette[0].textColour, 360 - thin);
      pie.AddSlice(kSlicePalette[1].colour, kSlicePalette[1].textColour, thin);
      // Turned by dragging, one degree per pixel.
      pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
      pie.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start - pie.GetStartAngle(), 0));
      pie.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
      ASSERT_EQ(pie.GetStartAngle(), start);
      auto canvas = Render(pie);
      if (start == 0 && thin == 1) SaveRender(*canvas, "pie-359-and-1");
      const geom::Rect sq = pie.GetPieRect().ToGeom();
      const double r = RimRadius(sq) - 1.5;  // the rim's own pixels aside
      int blue = 0, second = 0;
      for (int y = sq.top; y < sq.bottom; ++y) {
        for (int x = sq.left; x < sq.right; ++x) {
          const double dx = x + 0.5 - (sq.left + sq.right) / 2.0;
          const double dy = y + 0.5 - (sq.top + sq.bottom) / 2.0;
          if (dx * dx + dy * dy > r * r) continue;
          blue += canvas->Pixel(x, y) == kBlue;
          second += canvas->Pixel(x, y) == kSlicePalette[1].colour;
        }
      }
      EXPECT_EQ(blue, 0) << "start " << start << ", last slice " << thin;
      EXPECT_GT(second, 20) << "start " << start << ", last slice " << thin;
    }
  }
}

TEST_F(PieTest, DraggingTurnsTheDiscOneDegreePerPixel) {
  parent.Show();
  pie.AddSlice(0x0000FF, 0x000000, 90);
  flush_events(20);
  pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  EXPECT_EQ(GetCapture(), pie.m_hWnd);
  EXPECT_TRUE(pie.IsDragging());
  ValidateRect(pie.m_hWnd, nullptr);
  pie.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, 70));  // vertical movement is ignored
  EXPECT_EQ(pie.GetStartAngle(), 30);
  CRect dirty;
  GetUpdateRect(pie.m_hWnd, &dirty, FALSE);
  EXPECT_EQ(dirty, pie.GetPieRect()) << "only the square is repainted";

  auto canvas = Render(pie);
  SaveRender(*canvas, "pie-quarter-turned-30");
  for (int degrees : {33, 75, 117}) {
    const CPoint p = At(degrees, 0.85);
    EXPECT_EQ(canvas->Pixel(p.x, p.y), 0x0000FFu) << degrees;
  }
  for (int degrees : {15, 27, 123}) {
    const CPoint p = At(degrees, 0.85);
    EXPECT_EQ(canvas->Pixel(p.x, p.y), kBlue) << degrees;
  }

  pie.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 70));  // and back
  EXPECT_EQ(pie.GetStartAngle(), 0);
  pie.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(50, 70));
  EXPECT_NE(GetCapture(), pie.m_hWnd);
  EXPECT_FALSE(pie.IsDragging());
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(90, 70));
  EXPECT_EQ(pie.GetStartAngle(), 0) << "no turning with the button up";

  // Capture taken away mid-drag ends the drag.
  pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  ReleaseCapture();
  EXPECT_FALSE(pie.IsDragging());
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(90, 50));
  EXPECT_EQ(pie.GetStartAngle(), 0);
}

TEST_F(PieTest, APaintedChartMatchesItsPrintedOne) {
  // The window's own paint (off-screen, then copied) and the render agree.
  parent.Show();
  for (int i = 0; i < 4; ++i) {
    pie.AddSlice(kSlicePalette[i].colour, kSlicePalette[i].textColour, i < 3 ? 120 - i : 3);
  }
  pie.UpdateWindow();
  flush_events(20);
  auto printed = Render(pie);
  HDC screen = GetDC(pie.m_hWnd);
  int differ = 0;
  for (int y = 0; y < 120; y += 3) {
    for (int x = 0; x < 200; x += 3) differ += GetPixel(screen, x, y) != printed->Pixel(x, y);
  }
  ReleaseDC(pie.m_hWnd, screen);
  EXPECT_EQ(differ, 0);
}

TEST(PieRenders, ChartsAsTheViewAndALegendShowThem) {
  afx::Window<TestParent> parent;
  ASSERT_TRUE(parent.Make());
  // A result slot's chart: the palette, largest first, a remainder slice.
  afx::Window<CPieChartCtrl> slot;
  ASSERT_TRUE(slot.Create(WS_VISIBLE, CRect(0, 0, 98, 95), &parent, 104));
  const int angles[] = {151, 87, 52, 30, 14, 11, 15};
  for (int i = 0; i < 7; ++i) {
    slot.AddSlice(kSlicePalette[i].colour, kSlicePalette[i].textColour, angles[i]);
  }
  SaveRender(*Render(slot), "pie-slot");
  // Labelled slices and a title.
  afx::Window<CPieChartCtrl> legend;
  ASSERT_TRUE(legend.Create(WS_VISIBLE, CRect(0, 0, 240, 160), &parent, 105));
  legend.SetTitle(L"D:\\ 文件夹");
  legend.AddSlice(kSlicePalette[0].colour, kSlicePalette[0].textColour, 200, L"Windows");
  legend.AddSlice(kSlicePalette[1].colour, kSlicePalette[1].textColour, 100, L"用户");
  legend.AddSlice(kSlicePalette[2].colour, kSlicePalette[2].textColour, 60, L"其它");
  auto canvas = Render(legend);
  SaveRender(*canvas, "pie-legend-title");
  // Legend boxes at the top right, one text line high each, in slice colours.
  const CSize line = [] {
    CFont font;
    CreatePanelFont(font, L"Arial", 13);
    dravon_test::Canvas scratch(1, 1);
    CSelectObject f(scratch, font);
    return scratch.dc().GetTextExtent(L"%", 1);
  }();
  EXPECT_EQ(canvas->Pixel(239 - line.cy / 2, line.cy / 2), kSlicePalette[0].colour);
  EXPECT_EQ(canvas->Pixel(239 - line.cy / 2, line.cy + line.cy / 2), kSlicePalette[1].colour);
  EXPECT_EQ(canvas->Pixel(239 - line.cy / 2, 2 * line.cy + line.cy / 2), kSlicePalette[2].colour);
}

// A parent that records what its pie charts send it.
class RecordingParent : public TestParent {
 public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_PIE_OPEN_SLICE || msg == WM_PIE_GO_UP) {
      sent.push_back({msg, static_cast<int>(wp), reinterpret_cast<HWND>(lp)});
      result = 0;
      return true;
    }
    return TestParent::OnWndMsg(msg, wp, lp, result);
  }
  struct Sent {
    UINT msg;
    int slice;
    HWND pie;
    friend bool operator==(const Sent&, const Sent&) = default;
  };
  std::vector<Sent> sent;
};

class PieWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Make());
    ASSERT_TRUE(pie.Create(WS_VISIBLE, CRect(0, 0, 98, 95), &parent, 104));
    parent.Show();
    pie.AddSlice(kSlicePalette[0].colour, 0, 270);
    pie.AddSlice(kSlicePalette[1].colour, 0, 80);
    pie.AddSlice(kSlicePalette[2].colour, 0, 10);
    pie.SetSliceTip(0, L"big\n3.00 Kb · 75.0 %");
    pie.SetSliceTip(1, L"small");
  }
  CPoint At(int degrees, double fraction) const {
    const geom::Rect square = pie.GetPieRect().ToGeom();
    return CPoint(AnglePoint(square, degrees, RimRadius(square) * fraction));
  }
  // The mouse comes to rest at `p`: a move, then the hover the system sends.
  void RestAt(CPoint p) {
    pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    pie.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(p.x, p.y));
  }
  void DoubleClick(CPoint p) {
    const LPARAM at = MAKELPARAM(p.x, p.y);
    pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    pie.SendMessage(WM_LBUTTONUP, 0, at);
    pie.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    pie.SendMessage(WM_LBUTTONUP, 0, at);
  }
  afx::Window<RecordingParent> parent;
  afx::Window<CPieChartCtrl> pie;
};

TEST_F(PieWalkTest, ATipNamesTheSliceUnderTheRestingMouse) {
  EXPECT_EQ(pie.HitTest(At(100, 0.7)), 0);
  EXPECT_EQ(pie.HitTest(At(300, 0.7)), 1);
  EXPECT_EQ(pie.HitTest(CPoint(1, 1)), -1) << "the square's corner";
  // Moving alone shows nothing: the mouse has to rest.
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(At(100, 0.7).x, At(100, 0.7).y));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  RestAt(At(100, 0.7));
  EXPECT_EQ(pie.GetShownTip(), CString(L"big\n3.00 Kb · 75.0 %"));
  EXPECT_EQ(pie.TipSlice(), 0);
  // Beside the pointer, on the screen.
  RECT tip{};
  GetWindowRect(pie.TipWindow(), &tip);
  POINT pointer = At(100, 0.7);
  ClientToScreen(pie.m_hWnd, &pointer);
  EXPECT_GT(tip.left, pointer.x);
  EXPECT_GT(tip.top, pointer.y);
  // Two lines: the tip is taller than one.
  EXPECT_GT(tip.bottom - tip.top, 2 * 13);
  // Once it shows it follows the pointer from slice to slice at once.
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(At(300, 0.7).x, At(300, 0.7).y));
  EXPECT_EQ(pie.GetShownTip(), CString(L"small"));
  // A slice without a tip, the square outside the disc, and leaving the
  // window each hide it.
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(At(355, 0.7).x, At(355, 0.7).y));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  RestAt(At(100, 0.7));
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  RestAt(At(100, 0.7));
  pie.SendMessage(WM_MOUSELEAVE);
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  EXPECT_EQ(pie.TipSlice(), -1);
}

TEST_F(PieWalkTest, NoTipWhileAStatusShowsDraggingOrAfterTheSlicesGo) {
  RestAt(At(100, 0.7));
  ASSERT_FALSE(pie.GetShownTip().IsEmpty());
  pie.SetStatusText(L"正在扫描");
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  RestAt(At(100, 0.7));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty()) << "a scanning slot shows no tip";
  pie.SetStatusText(L"");
  RestAt(At(100, 0.7));
  ASSERT_FALSE(pie.GetShownTip().IsEmpty());
  // A press starts a drag: the tip goes, and rests during the drag show none.
  const CPoint p = At(100, 0.7);
  pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  pie.SendMessage(WM_MOUSEHOVER, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  pie.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  RestAt(p);
  ASSERT_FALSE(pie.GetShownTip().IsEmpty());
  pie.RemoveAllSlices();
  EXPECT_TRUE(pie.GetShownTip().IsEmpty());
  RestAt(p);
  EXPECT_TRUE(pie.GetShownTip().IsEmpty()) << "an empty chart shows no tip";
}

TEST_F(PieWalkTest, TheTipGoesBeforeASlicesMenuOpens) {
  const CPoint p = At(100, 0.7);
  RestAt(p);
  ASSERT_FALSE(pie.GetShownTip().IsEmpty());
  pie.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty()) << "a right click";
  pie.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  RestAt(p);
  ASSERT_FALSE(pie.GetShownTip().IsEmpty());
  pie.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pie.m_hWnd), MAKELPARAM(-1, -1));
  EXPECT_TRUE(pie.GetShownTip().IsEmpty()) << "the menu key";
  // The pointer resting on the slice while the menu would be open.
  CPoint screen = p;
  ClientToScreen(pie.m_hWnd, &screen);
  SetCursorPos(screen.x, screen.y);
  pie.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  flush_events(20);  // the move the system makes of it too; no rest yet
  // (The menu then holds the mouse: no more moves reach the chart.)
  pie.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
  UINT hover = 400;
  SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
  flush_events(hover * 2);
  EXPECT_TRUE(pie.GetShownTip().IsEmpty()) << "no tip comes back by itself";
  pie.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

TEST_F(PieWalkTest, TheTipFollowsTheTurnedDisc) {
  // Turned 90 degrees: the point at 100 degrees now lies in the first
  // slice's start, the point at 20 degrees in the last slice's end.
  pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
  pie.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 0));
  pie.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(90, 0));
  ASSERT_EQ(pie.GetStartAngle(), 90);
  RestAt(At(20, 0.7));
  EXPECT_EQ(pie.GetShownTip(), CString(L"small"));
  RestAt(At(95, 0.7));
  EXPECT_EQ(pie.GetShownTip(), CString(L"big\n3.00 Kb · 75.0 %"));
}

TEST_F(PieWalkTest, DoubleClicksAndBackspaceGoToTheParent) {
  using Sent = RecordingParent::Sent;
  DoubleClick(At(100, 0.7));
  DoubleClick(At(355, 0.7));
  // The square outside the disc: up; the view's face around it: nothing.
  const CRect square = pie.GetPieRect();
  DoubleClick(CPoint(square.left + 2, square.top + 2));
  DoubleClick(CPoint(96, 50));
  EXPECT_EQ(parent.sent, (std::vector<Sent>{{WM_PIE_OPEN_SLICE, 0, pie.m_hWnd},
                                            {WM_PIE_OPEN_SLICE, 2, pie.m_hWnd},
                                            {WM_PIE_GO_UP, 0, pie.m_hWnd}}));
  // A click gives the chart the focus; Backspace there goes up.
  EXPECT_EQ(GetFocus(), pie.m_hWnd);
  parent.sent.clear();
  pie.SendMessage(WM_KEYDOWN, VK_BACK, 1);
  pie.SendMessage(WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(parent.sent, (std::vector<Sent>{{WM_PIE_GO_UP, 0, pie.m_hWnd}}));
  // The class takes double clicks.
  EXPECT_TRUE(GetClassLongPtrW(pie.m_hWnd, GCL_STYLE) & CS_DBLCLKS);
}

// Runs `cycle` a few times to warm up (Wine's tool tips fill caches of
// their own over the first ones), then 200 times: the GDI and USER object
// counts stay where they were.
void ExpectNoObjectsLeftBy(const std::function<void()>& cycle) {
  for (int i = 0; i < 5; ++i) cycle();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 200; ++i) cycle();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_EQ(after.user, before.user);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
}

TEST_F(PieWalkTest, TwoHundredTipsShownAndHiddenLeaveNoObjects) {
  auto cycle = [&] {
    RestAt(At(100, 0.7));
    ASSERT_FALSE(pie.GetShownTip().IsEmpty());
    RestAt(At(300, 0.7));
    pie.SendMessage(WM_MOUSELEAVE);
    ASSERT_TRUE(pie.GetShownTip().IsEmpty());
    flush_events(0);
  };
  ExpectNoObjectsLeftBy(cycle);
}

TEST(PieWalk, ChartsEndedWithATipShowingLeaveNoObjects) {
  afx::Window<TestParent> parent;
  ASSERT_TRUE(parent.Make());
  parent.Show();
  auto cycle = [&] {
    afx::Window<CPieChartCtrl> pie;
    ASSERT_TRUE(pie.Create(WS_VISIBLE, CRect(0, 0, 98, 95), &parent, 104));
    pie.AddSlice(kSlicePalette[0].colour, 0, 360);
    pie.SetSliceTip(0, L"whole");
    pie.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(46, 46));
    ASSERT_EQ(pie.GetShownTip(), CString(L"whole"));
    flush_events(0);
  };
  ExpectNoObjectsLeftBy(cycle);
}

}  // namespace
}  // namespace diskview::test
