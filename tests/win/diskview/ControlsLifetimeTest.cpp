// Each control made, drawn and ended a thousand times: the process's GDI
// and USER objects, the grid's nodes and the framework's window record come
// back to where they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/diskview/DiskTreeCtrl.h"
#include "app/diskview/InfoCtrl.h"
#include "app/diskview/PieChartCtrl.h"
#include "app/diskview/StripLayout.h"
#include "app/diskview/crect.h"
#include "app/diskview/cwnd.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace diskview::test {
namespace {

using dravon_test::CurrentGuiCounts;
using dravon_test::GuiCounts;

// A leak of one object per cycle shows after a few; 200 cycles also catch
// one every hundred, in a fifth of the time of a thousand.
constexpr int kCycles = 200;

// Makes, paints (its own WM_PAINT and a print) and ends one control.
using Cycle = std::function<void(CWnd& parent)>;

void ExpectNoLeak(const Cycle& cycle) {
  afx::Window<TestParent> shown;
  ASSERT_TRUE(shown.Make(400, 300));
  // Shown and active before counting: activation makes the thread's
  // input-method window, the system's, not the test's.
  shown.Show();
  // The controls live in a hidden child: under Wine a visible list view
  // costs ten times as much to fill, and that is not what is counted here.
  afx::Window<CWnd> parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, nullptr, WS_CHILD, CRect(0, 0, 400, 300), shown.m_hWnd, 9));
  for (int i = 0; i < 5; ++i) cycle(parent);
  flush_events(100);
  const GuiCounts before = CurrentGuiCounts();
  const int nodes = GridTreeNode::LiveCount();
  const int faults = afx::WindowsEndedByBase();
  ASSERT_GT(before.gdi, 0);
  for (int i = 0; i < kCycles; ++i) {
    cycle(parent);
    if (i % 50 == 0) flush_events(0);
  }
  flush_events(100);
  const GuiCounts after = CurrentGuiCounts();
  EXPECT_GE(after.gdi, before.gdi - dravon_test::kGdiCacheSlack);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user) << dravon_test::DescribeWindows();
  EXPECT_EQ(GridTreeNode::LiveCount(), nodes);
  EXPECT_EQ(afx::WindowsEndedByBase(), faults);
}

// Its own paint (off-screen, then copied) and a print.
void Paint(CWnd& control) {
  control.Invalidate(false);
  control.SendMessage(WM_PAINT);
  Render(control);
}

TEST(ControlLifetime, PieChartMadeManyTimesLeavesNothing) {
  ExpectNoLeak([](CWnd& parent) {
    afx::Window<CPieChartCtrl> pie;
    ASSERT_TRUE(pie.Create(WS_VISIBLE, CRect(0, 0, 98, 95), &parent, 104));
    pie.SetTitle(L"C:\\");
    for (int i = 0; i < 4; ++i) {
      pie.AddSlice(kSlicePalette[i].colour, kSlicePalette[i].textColour, 90, L"标签");
    }
    pie.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    pie.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 10));
    Paint(pie);
    pie.RemoveAllSlices();
  });
}

TEST(ControlLifetime, StripsMadeManyTimesLeaveNothing) {
  ExpectNoLeak([](CWnd& parent) {
    afx::Window<CCaptionStrip> caption(kPanelCaptions[0]);
    ASSERT_TRUE(caption.Create(WS_VISIBLE, CRect(0, 0, 95, 37), &parent, 3));
    afx::Window<CLegendStrip> legend;
    ASSERT_TRUE(legend.Create(WS_VISIBLE, CRect(0, 40, 750, 90), &parent, 8));
    Paint(caption);
    Paint(legend);
  });
}

TEST(ControlLifetime, InfoControlMadeManyTimesLeavesNothing) {
  ExpectNoLeak([](CWnd& parent) {
    afx::Window<CInfoCtrl> info;
    ASSERT_TRUE(info.Create(WS_VISIBLE, CRect(0, 0, 100, 130), &parent, 1));
    info.SetLine(kInfoSize, L"2.79 Gb", -1, 2);
    info.SetLine(kInfoUsed, L"", 66, 2);
    info.SetLine(kInfoFileCount, L"3 文件", -1, 1);
    Paint(info);
  });
}

TEST(ControlLifetime, DiskTreeMadeManyTimesLeavesNothing) {
  CMyFolder folder;
  folder.AssignName("C:\\");
  ExpectNoLeak([&folder](CWnd& parent) {
    afx::Window<CDiskTreeCtrl> tree;
    ASSERT_TRUE(tree.Create(WS_VISIBLE, CRect(0, 0, 300, 200), &parent, 103));
    auto info = std::make_unique<TreeItemInfo>();
    info->folder = &folder;
    ASSERT_TRUE(tree.InsertRootRow(std::move(info)));
    for (int i = 0; i < 3; ++i) {
      auto child = std::make_unique<TreeItemInfo>();
      child->folder = &folder;
      tree.InsertChildRow(tree.GetRootNode(), std::move(child), true);
    }
    tree.SelectNode(tree.GetRootNode()->GetChild(1));
    Paint(tree);
  });
}

}  // namespace
}  // namespace diskview::test
