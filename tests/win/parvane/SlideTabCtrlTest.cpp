// The information dialog's tab control: tabs in front of each other, pages
// at the origin, and the slide of a newly chosen page tick by tick, chosen
// with the mouse as a user does.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <vector>

#include "framework/Controls.h"
#include "parvane/SlideTabCtrl.h"
#include "tests/win/framework/TestPump.h"

namespace {

class SlideTab : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(host_.CreateEx(0, CWnd::RegisterWndClass(0), L"slide host", WS_OVERLAPPEDWINDOW,
                               CRect(0, 0, 640, 480), nullptr, 0));
    ASSERT_TRUE(tab_.Create(WS_VISIBLE, CRect(10, 10, 610, 450), &host_, 25000));
  }
  void TearDown() override { host_.DestroyWindow(); }

  // A page of `width` pixels, registered like the dialog's.
  CWnd& Page(int width, const wchar_t* caption, bool first = false) {
    pages_.emplace_back();
    CStatic& page = pages_.back();
    EXPECT_TRUE(page.Create(caption, WS_CHILD, CRect(100, 100, 100 + width, 300), &tab_,
                            static_cast<UINT>(100 + pages_.size())));
    if (first) {
      tab_.AddFirstPage(page, caption);
    } else {
      tab_.AddPage(page, caption);
    }
    return page;
  }

  // A click on tab `index`, as the mouse gives it.
  void Choose(int index) {
    const CRect r = tab_.GetItemRect(index);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    tab_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    tab_.SendMessage(WM_LBUTTONUP, 0, at);
  }
  // One tick of the slide timer; where the page then stands.
  int Tick(CWnd& page) {
    tab_.SendMessage(WM_TIMER, CSlideTabCtrl::kSlideTimer, 0);
    return page.GetRectInParent().left;
  }
  std::vector<int> TicksUntilAtRest(CWnd& page, int most = 40) {
    std::vector<int> lefts;
    while (tab_.SlidingPage() == &page && most-- > 0) lefts.push_back(Tick(page));
    return lefts;
  }
  // The page's own visibility: the host window itself is never shown.
  static bool Shown(CWnd& page) { return (page.GetStyle() & WS_VISIBLE) != 0; }
  bool TimerRuns() { return KillTimer(tab_.m_hWnd, CSlideTabCtrl::kSlideTimer) != FALSE; }

  afx::Window<CWnd> host_;
  afx::Window<CSlideTabCtrl> tab_;
  std::deque<afx::Window<CStatic>> pages_;
};

std::vector<int> Steps(int from, int count) {
  std::vector<int> v;
  for (int i = 1; i <= count; ++i) v.push_back(from + 30 * i);
  return v;
}

TEST_F(SlideTab, EveryTabGoesInFrontAndTheFirstPageStaysChosen) {
  CWnd& usb = Page(390, L"  USB", true);
  CWnd& cd = Page(390, L"  CDROM");
  CWnd& sys = Page(390, L"  系统");
  ASSERT_EQ(3, tab_.GetItemCount());
  EXPECT_EQ(CString(L"  系统"), tab_.GetItemText(0));
  EXPECT_EQ(CString(L"  CDROM"), tab_.GetItemText(1));
  EXPECT_EQ(CString(L"  USB"), tab_.GetItemText(2));
  EXPECT_EQ(&sys, tab_.PageAt(0));
  EXPECT_EQ(&usb, tab_.PageAt(2));
  EXPECT_EQ(nullptr, tab_.PageAt(3));
  EXPECT_EQ(2, tab_.GetCurSel());
  for (CWnd* page : {&usb, &cd, &sys}) {
    const CRect r = page->GetRectInParent();
    EXPECT_EQ(CPoint(4, 28), r.TopLeft());
    EXPECT_EQ(CSize(390, 200), r.Size()) << "moved, not resized";
  }
  EXPECT_TRUE(Shown(usb));
  EXPECT_FALSE(Shown(cd));
  EXPECT_FALSE(Shown(sys));
  EXPECT_FALSE(TimerRuns());
}

TEST_F(SlideTab, APageSlidesInFromTheLeftAndComesToRestAtTheOrigin) {
  CWnd& first = Page(390, L"  USB", true);
  CWnd& narrow = Page(390, L"  A");
  CWnd& wide = Page(400, L"  B");  // tab 0; narrow is tab 1

  Choose(1);
  EXPECT_FALSE(Shown(first)) << "the page it leaves is hidden";
  EXPECT_TRUE(Shown(narrow));
  EXPECT_EQ(CRect(4 - 390, 28, 4, 228), narrow.GetRectInParent());
  EXPECT_EQ(&narrow, tab_.SlidingPage());
  // 390 pixels: thirteen steps of 30 end exactly at 4.
  EXPECT_EQ(Steps(-386, 13), TicksUntilAtRest(narrow));
  EXPECT_EQ(CRect(4, 28, 394, 228), narrow.GetRectInParent());
  EXPECT_EQ(nullptr, tab_.SlidingPage());
  EXPECT_FALSE(TimerRuns()) << "the timer stops once the page is in place";

  Choose(0);
  EXPECT_FALSE(Shown(narrow));
  EXPECT_EQ(-396, wide.GetRectInParent().left);
  // 400 pixels: thirteen steps reach -6, the last step only the 10 left.
  std::vector<int> expected = Steps(-396, 13);
  expected.push_back(4);
  EXPECT_EQ(expected, TicksUntilAtRest(wide));
  EXPECT_EQ(CRect(4, 28, 404, 228), wide.GetRectInParent());
  EXPECT_FALSE(TimerRuns());
  // A tick after the slide moves nothing.
  EXPECT_EQ(4, Tick(wide));
}

TEST_F(SlideTab, AChoiceDuringASlideStartsANewSlide) {
  Page(390, L"  USB", true);
  CWnd& a = Page(400, L"  A");  // tab 1 once b is in
  CWnd& b = Page(390, L"  B");  // tab 0

  Choose(1);
  Tick(a);
  Tick(a);
  EXPECT_EQ(-306, Tick(a));
  Choose(0);
  EXPECT_FALSE(Shown(a));
  EXPECT_TRUE(Shown(b));
  EXPECT_EQ(&b, tab_.SlidingPage());
  EXPECT_EQ(Steps(-386, 13), TicksUntilAtRest(b));
  EXPECT_EQ(-306, a.GetRectInParent().left) << "the hidden page is left where it was";

  // Chosen again, the cut-short page slides the whole way.
  Choose(1);
  EXPECT_EQ(-396, a.GetRectInParent().left);
  EXPECT_EQ(14u, TicksUntilAtRest(a).size());
  EXPECT_EQ(4, a.GetRectInParent().left);
}

TEST_F(SlideTab, TheTimerDrivesTheSlideToItsEnd) {
  Page(390, L"  USB", true);
  CWnd& page = Page(400, L"  A");
  Choose(0);
  ASSERT_EQ(&page, tab_.SlidingPage());
  const DWORD start = GetTickCount();
  while (tab_.SlidingPage() && GetTickCount() - start < 10000) flush_events(20);
  EXPECT_EQ(nullptr, tab_.SlidingPage());
  EXPECT_EQ(CPoint(4, 28), page.GetRectInParent().TopLeft());
  EXPECT_FALSE(TimerRuns());
}

}  // namespace
