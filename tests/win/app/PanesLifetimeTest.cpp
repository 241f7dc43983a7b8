// The shortcut bar and the splitter made, used and ended hundreds of times:
// the process's GDI and USER objects come back to where they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/GfxOutBarCtrl.h"
#include "app/GfxSplitterWnd.h"
#include "framework/ImageList.h"
#include "res/app/resource.h"
#include "tests/win/app/FakeSystem.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace {

using diskview::test::Render;
using diskview::test::TestParent;

void ExpectNoLeak(const std::function<void(CWnd& parent)>& cycle) {
  afx::Window<TestParent> shown;
  ASSERT_TRUE(shown.Make(700, 500));
  // Shown and active before counting: activation makes the thread's
  // input-method window, the system's, not the test's.
  shown.Show();
  afx::Window<CWnd> parent;  // hidden: what is counted is the windows, not their showing
  ASSERT_TRUE(parent.CreateEx(0, nullptr, nullptr, WS_CHILD, CRect(0, 0, 600, 400), shown.m_hWnd, 9));
  for (int i = 0; i < 5; ++i) cycle(parent);
  flush_events(100);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  const int faults = afx::WindowsEndedByBase();
  ASSERT_GT(before.gdi, 0);
  for (int i = 0; i < 300; ++i) cycle(parent);
  flush_events(100);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_GE(after.gdi, before.gdi - dravon_test::kGdiCacheSlack);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user) << dravon_test::DescribeWindows();
  EXPECT_EQ(afx::WindowsEndedByBase(), faults);
}

TEST(PanesLifetime, ShortcutBarWithDrivesAndImages) {
  FakeSystem sys;
  ExpectNoLeak([&sys](CWnd& parent) {
    CImageList images;
    ASSERT_TRUE(images.CreateFromBitmap(IDB_DRIVE_IMAGES, 32, 0, RGB(255, 0, 255)));
    afx::Window<CGfxOutBarCtrl> bar(sys);
    ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(0, 0, 100, 407), &parent, AFX_IDW_PANE_FIRST, 0x260));
    bar.AttachImageList(images.GetSafeHandle(), 2);
    bar.AppendFolder(L"HD", 0);
    for (int i = 0; i < 6; ++i) bar.AddItem(0, i, L"Windows (C:)", i % 6, 0);
    bar.SelectItem(2);
    bar.SendMessage(WM_PAINT);
    Render(bar);
  });
}

TEST(PanesLifetime, SplitterWithPanesAndADrag) {
  FakeSystem sys;
  ExpectNoLeak([&sys](CWnd& parent) {
    afx::Window<CGfxSplitterWnd> splitter;
    ASSERT_TRUE(splitter.CreateStatic(&parent, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST));
    // The panes end before the splitter, as members declared after it.
    afx::Window<CGfxOutBarCtrl> bar(sys);
    ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(), &splitter, splitter.IdFromRowCol(0, 0), 0x260));
    afx::Window<CWnd> view;
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_VISIBLE, CRect(), &splitter, splitter.IdFromRowCol(0, 1)));
    splitter.SetColumnInfo(0, 100, 0);
    splitter.MoveWindow(CRect(0, 0, 600, 400));
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 200));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(140, 200));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(140, 200));
    splitter.SendMessage(WM_PAINT);
    Render(splitter, true);
  });
}

}  // namespace
