// The main frame's splitter as a window: where its panes go, what it draws
// in the bar and the top strip, and the bar dragged by mouse messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/GfxOutBarCtrl.h"
#include "app/GfxSplitterWnd.h"
#include "framework/ImageList.h"
#include "res/app/resource.h"
#include "tests/win/app/FakeSystem.h"
#include "tests/win/common/Canvas.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace {

using diskview::test::Render;
using diskview::test::SaveRender;
using diskview::test::TestParent;

// Records the trackers it draws.
class RecordingSplitter : public CGfxSplitterWnd {
 public:
  std::vector<CRect> inverted;
  void OnInvertTracker(const CRect& rect) override {
    inverted.push_back(rect);
    CGfxSplitterWnd::OnInvertTracker(rect);
  }
};

// A pane that paints itself white, so the splitter's own pixels stand out.
class WhitePane : public CWnd {
 public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {afx::OnPaint<&WhitePane::OnPaint>()};
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
  void OnPaint() {
    CPaintDC dc(m_hWnd);
    dc.FillSolidRect(GetClientRect(), RGB(255, 255, 255));
  }
};

class SplitterTest : public ::testing::Test {
 protected:
  // As the frame makes it, 600 by 400 in `parent`.
  void Make(CWnd& parent) {
    ASSERT_TRUE(splitter.CreateStatic(&parent, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(), &splitter, splitter.IdFromRowCol(0, 0), 0x260));
    ASSERT_TRUE(images.CreateFromBitmap(IDB_DRIVE_IMAGES, 32, 0, RGB(255, 0, 255)));
    bar.AttachImageList(images.GetSafeHandle(), 2);
    bar.AppendFolder(L"HD", 0);
    bar.AddItem(0, 0, L"Windows (C:)", 1, 0);
    bar.AddItem(0, 1, L" (E:)", 2, 0);
    splitter.SetColumnInfo(0, 100, 0);
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_VISIBLE | WS_BORDER, CRect(), &splitter,
                            splitter.IdFromRowCol(0, 1)));
    splitter.MoveWindow(CRect(0, 0, 600, 400));
  }
  CRect PaneRect(int col) const {
    RECT r;
    ::GetWindowRect(splitter.GetPane(0, col), &r);
    ::MapWindowPoints(nullptr, splitter.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  void Drag(int fromX, int toX, int y = 200) {
    splitter.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, y));
    splitter.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((fromX + toX) / 2, y));
    splitter.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, y));
    splitter.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(toX, y));
    flush_events(0);
  }

  afx::Window<TestParent> parent;
  FakeSystem sys;
  afx::Window<RecordingSplitter> splitter;
  afx::Window<CGfxOutBarCtrl> bar{sys};
  afx::Window<WhitePane> view;
  CImageList images;
};

TEST_F(SplitterTest, PanesBelowTheStripWithTheBarBetween) {
  ASSERT_TRUE(parent.Make(700, 500));
  Make(parent);
  EXPECT_EQ(splitter.IdFromRowCol(0, 0), 0xE900u);
  EXPECT_EQ(splitter.IdFromRowCol(0, 1), 0xE901u);
  EXPECT_EQ(splitter.GetPane(0, 0), bar.m_hWnd);
  EXPECT_EQ(PaneRect(0), CRect(0, 6, 100, 400));
  EXPECT_EQ(PaneRect(1), CRect(106, 6, 600, 400));
  CRect inside;
  splitter.GetInsideRect(inside);
  EXPECT_EQ(inside, CRect(0, 6, 600, 400));
  EXPECT_FALSE(splitter.GetStyle() & WS_CLIPCHILDREN);  // the tracker crosses the panes
  // Only one row of columns.
  afx::Window<CGfxSplitterWnd> other;
  EXPECT_FALSE(other.CreateStatic(&parent, 2, 2, WS_CHILD, AFX_IDW_PANE_FIRST + 1));
}

TEST_F(SplitterTest, DrawsTheEtchedLineAndTheBarInFaceColour) {
  ASSERT_TRUE(parent.Make(700, 500));
  Make(parent);
  dravon_test::Canvas canvas(600, 400);
  canvas.dc().FillSolidRect(CRect(0, 0, 600, 400), RGB(255, 0, 255));
  splitter.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(canvas)),
                       PRF_CLIENT | PRF_ERASEBKGND);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  for (int x : {0, 50, 300, 598}) {
    EXPECT_EQ(canvas.Pixel(x, 0), ::GetSysColor(COLOR_BTNSHADOW)) << x;
    EXPECT_EQ(canvas.Pixel(x, 1), ::GetSysColor(COLOR_BTNHIGHLIGHT)) << x;
    EXPECT_EQ(canvas.Pixel(x, 2), face) << x;
  }
  EXPECT_EQ(canvas.Pixel(599, 0), face);  // the line stops one short of the edge
  for (int x = 100; x < 106; ++x) EXPECT_EQ(canvas.Pixel(x, 200), face) << x;  // bar and gap

  // The border element, for splitters that have one.
  dravon_test::Canvas border(20, 20);
  splitter.OnDrawSplitter(&border.dc(), CSplitterWnd::splitBorder, CRect(0, 0, 20, 20));
  EXPECT_EQ(border.Pixel(0, 0), face);
  EXPECT_EQ(border.Pixel(19, 19), ::GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(border.Pixel(1, 1), ::GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(border.Pixel(18, 18), ::GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(border.Pixel(10, 10), face);
}

TEST_F(SplitterTest, DraggingTheBarResizesTheColumns) {
  ASSERT_TRUE(parent.Make(700, 500));
  Make(parent);
  Drag(101, 151);
  int ideal = 0;
  int minimum = -1;
  splitter.GetColumnInfo(0, ideal, minimum);
  EXPECT_EQ(ideal, 150);
  EXPECT_EQ(minimum, 0);
  EXPECT_EQ(PaneRect(0), CRect(0, 6, 150, 400));
  EXPECT_EQ(PaneRect(1), CRect(156, 6, 600, 400));
  EXPECT_FALSE(splitter.IsTracking());
  EXPECT_EQ(::GetCapture(), nullptr);
  // The tracker: the bar's place, then each place it went, each drawn twice
  // (on and off), full height of the panes' area.
  ASSERT_EQ(splitter.inverted.size(), 6u);
  EXPECT_EQ(splitter.inverted[0], CRect(100, 6, 103, 400));
  EXPECT_EQ(splitter.inverted[1], splitter.inverted[0]);
  EXPECT_EQ(splitter.inverted[2], CRect(125, 6, 128, 400));
  EXPECT_EQ(splitter.inverted[3], splitter.inverted[2]);
  EXPECT_EQ(splitter.inverted[5], CRect(150, 6, 153, 400));

  // Past the right edge: the bar stops where it and its gap still fit, so
  // it stays there to be dragged back.
  Drag(151, 900);
  splitter.GetColumnInfo(0, ideal, minimum);
  EXPECT_EQ(ideal, 594);
  EXPECT_EQ(PaneRect(1).Width(), 0);
  // Back past the left edge: the bar pane shrinks to nothing.
  Drag(595, -50);
  EXPECT_EQ(PaneRect(0).Width(), 0);
  EXPECT_EQ(PaneRect(1).left, 6);
}

TEST_F(SplitterTest, ADragThatLosesTheMouseChangesNothing) {
  ASSERT_TRUE(parent.Make(700, 500));
  Make(parent);
  splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 200));
  splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(180, 200));
  EXPECT_TRUE(splitter.IsTracking());
  ::ReleaseCapture();
  EXPECT_FALSE(splitter.IsTracking());
  splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(180, 200));
  EXPECT_EQ(PaneRect(0).Width(), 100);
  EXPECT_EQ(splitter.inverted.size() % 2, 0u);  // every tracker taken off again
  // A press off the bar starts nothing.
  splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(104, 200));
  EXPECT_FALSE(splitter.IsTracking());
}

TEST_F(SplitterTest, OnScreenTheTrackerInvertsAndTheCursorSizes) {
  ASSERT_TRUE(parent.Make(700, 500));
  Make(parent);
  parent.Show();
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  auto pixel = [&] {
    CClientDC dc(splitter.m_hWnd);
    return dc.GetPixel(CPoint(101, 200));
  };
  ASSERT_EQ(pixel(), face);
  const CRect tracker(100, 6, 103, 400);
  splitter.OnInvertTracker(tracker);
  EXPECT_EQ(pixel(), face ^ 0xFFFFFF);  // inverted
  splitter.OnInvertTracker(tracker);
  EXPECT_EQ(pixel(), face);  // and back

  CPoint onBar(101, 200);
  ::ClientToScreen(splitter.m_hWnd, &onBar);
  ::SetCursorPos(onBar.x, onBar.y);
  splitter.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(splitter.m_hWnd),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));

  // What a person sees: the bar pane, the bar, the strip, the view pane.
  dravon_test::Canvas canvas(600, 400);
  HDC screen = ::GetDC(splitter.m_hWnd);
  ::BitBlt(canvas, 0, 0, 600, 400, screen, 0, 0, SRCCOPY);
  ::ReleaseDC(splitter.m_hWnd, screen);
  SaveRender(canvas, "splitter-with-bar");
}

}  // namespace
