// The control objects' typed calls, the drawing helpers, and that windows
// and GDI objects made and ended many times leave the counts where they were.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "FrameworkTestRes.h"
#include "TestPump.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "tests/win/common/Canvas.h"
#include "tests/win/common/GuiResources.h"

namespace {

using dravon_test::CurrentGuiCounts;
using dravon_test::GuiCounts;

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300),
                                nullptr, 0));
  }
  void TearDown() override { parent.DestroyWindow(); }
  afx::Window<CWnd> parent;
};

using Controls = Host;

TEST_F(Controls, ListColumnsItemsAndStyles) {
  afx::Window<CListCtrl> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &parent, 10));
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  EXPECT_EQ(list.GetExtendedStyle(), static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));
  EXPECT_EQ(list.InsertColumn(0, L"系统文件名", LVCFMT_LEFT, 120), 0);
  EXPECT_EQ(list.InsertColumn(1, L"文件大小", LVCFMT_CENTER, 200), 1);
  EXPECT_EQ(list.GetColumnCount(), 2);
  EXPECT_EQ(list.GetColumnText(1), L"文件大小");
  EXPECT_EQ(list.GetColumnWidth(1), 200);
  EXPECT_EQ(list.GetColumnFormat(1) & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
  EXPECT_EQ(list.InsertItem(0, L"甲"), 0);
  EXPECT_EQ(list.InsertItem(1, L"乙"), 1);
  EXPECT_TRUE(list.SetItemText(1, 1, L"12 Kb"));
  EXPECT_EQ(list.GetItemText(1, 1), L"12 Kb");
  EXPECT_TRUE(list.SetItemData(0, 77));
  EXPECT_EQ(list.GetItemData(0), 77);
  // A text longer than the first guess of the buffer comes back whole.
  std::wstring longText(700, L'长');
  list.SetItemText(0, 0, longText.c_str());
  EXPECT_EQ(list.GetItemText(0, 0).str(), longText);
  EXPECT_TRUE(list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_FALSE(list.GetItemRect(1, LVIR_BOUNDS).IsRectEmpty());
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(Controls, TabsSlidersCombosAndButtons) {
  afx::Window<CTabCtrl> tab;
  ASSERT_TRUE(tab.Create(WS_VISIBLE, CRect(0, 0, 300, 100), &parent, 11));
  EXPECT_EQ(tab.InsertItem(0, L"  USB"), 0);
  EXPECT_EQ(tab.InsertItem(0, L"  系统"), 0);  // inserted in front
  EXPECT_EQ(tab.GetItemCount(), 2);
  EXPECT_EQ(tab.GetItemText(0), L"  系统");
  EXPECT_EQ(tab.GetItemText(1), L"  USB");
  tab.SetCurSel(1);
  EXPECT_EQ(tab.GetCurSel(), 1);
  CRect first = tab.GetItemRect(0);
  EXPECT_EQ(tab.HitTest(CPoint((first.left + first.right) / 2, (first.top + first.bottom) / 2)), 0);
  tab.HostPages();
  EXPECT_TRUE(tab.GetExStyle() & WS_EX_CONTROLPARENT);

  afx::Window<CSliderCtrl> slider;
  ASSERT_TRUE(slider.Create(WS_VISIBLE | TBS_NOTICKS, CRect(0, 110, 200, 140), &parent, 12));
  slider.SetRange(1, 5);
  slider.SetPos(4);
  EXPECT_EQ(slider.GetRangeMin(), 1);
  EXPECT_EQ(slider.GetRangeMax(), 5);
  EXPECT_EQ(slider.GetPos(), 4);
  slider.SetPos(9);
  EXPECT_EQ(slider.GetPos(), 5) << "held in its range";

  afx::Window<CComboBoxEx> combo;
  ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 150, 200, 300), &parent, 13));
  EXPECT_EQ(combo.InsertItem(-1, L"一级", 0), 0);
  EXPECT_EQ(combo.InsertItem(-1, L"二级", 1), 1);
  EXPECT_EQ(combo.GetCount(), 2);
  EXPECT_EQ(combo.GetCurSel(), -1) << "nothing selected until chosen";
  combo.SetCurSel(1);
  EXPECT_EQ(combo.GetCurSel(), 1);
  EXPECT_EQ(combo.GetItemText(1), L"二级");

  afx::Window<CButton> check;
  ASSERT_TRUE(check.Create(L"框", WS_VISIBLE | BS_AUTOCHECKBOX, CRect(210, 110, 300, 130), &parent, 14));
  EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
  check.SetCheck(BST_CHECKED);
  EXPECT_EQ(check.GetCheck(), BST_CHECKED);
}

// ---- drawing helpers ---------------------------------------------------------

TEST(Offscreen, DrawsInTargetCoordinatesAndCopiesAtTheEnd) {
  dravon_test::Canvas target(40, 30);
  target.dc().FillSolidRect(CRect(0, 0, 40, 30), RGB(255, 255, 255));
  HGDIOBJ penBefore = GetCurrentObject(target, OBJ_PEN);
  HGDIOBJ bitmapBefore = GetCurrentObject(target, OBJ_BITMAP);
  CPen red(PS_SOLID, 1, RGB(255, 0, 0));
  {
    COffscreenDC dc(target, CRect(10, 5, 30, 25));
    ASSERT_TRUE(dc.IsOffscreen());
    CSelectObject pen(dc, red);
    dc.FillSolidRect(CRect(10, 5, 30, 25), RGB(0, 0, 255));
    dc.FillSolidRect(CRect(12, 7, 14, 9), RGB(0, 255, 0));
    // Nothing reaches the target until the end of the scope.
    EXPECT_EQ(GetPixel(target, 12, 7), RGB(255, 255, 255));
  }
  EXPECT_EQ(GetPixel(target, 12, 7), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(target, 20, 20), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(target, 5, 5), RGB(255, 255, 255)) << "outside the area";
  EXPECT_EQ(GetCurrentObject(target, OBJ_PEN), penBefore);
  EXPECT_EQ(GetCurrentObject(target, OBJ_BITMAP), bitmapBefore);
}

TEST(Drawing, Draw3dRectAndRegions) {
  dravon_test::Canvas canvas(20, 20);
  CDC& dc = canvas.dc();
  dc.FillSolidRect(CRect(0, 0, 20, 20), RGB(0, 0, 0));
  dc.Draw3dRect(CRect(2, 2, 12, 10), RGB(255, 255, 255), RGB(128, 128, 128));
  EXPECT_EQ(dc.GetPixel(CPoint(2, 2)), RGB(255, 255, 255));   // top-left
  EXPECT_EQ(dc.GetPixel(CPoint(10, 2)), RGB(255, 255, 255));  // top edge
  EXPECT_EQ(dc.GetPixel(CPoint(11, 2)), RGB(128, 128, 128));  // right edge
  EXPECT_EQ(dc.GetPixel(CPoint(2, 9)), RGB(128, 128, 128));   // bottom edge
  EXPECT_EQ(dc.GetPixel(CPoint(5, 5)), RGB(0, 0, 0));         // inside untouched
  CRgn disc;
  ASSERT_TRUE(disc.CreateEllipticRgn(CRect(0, 0, 20, 20)));
  EXPECT_TRUE(disc.PtInRegion(CPoint(10, 10)));
  EXPECT_FALSE(disc.PtInRegion(CPoint(0, 0)));
}

TEST(ImageLists, MaskColourPixelsDrawTransparent) {
  // Two 4 x 4 images: magenta with one red pixel, and plain green.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 8;
  bi.bmiHeader.biHeight = -4;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP raw = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(raw, nullptr);
  CBitmap source;
  source.Attach(raw);
  auto* px = static_cast<DWORD*>(bits);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) px[y * 8 + x] = x < 4 ? 0x00FF00FF : 0x0000FF00;
  }
  px[1 * 8 + 1] = 0x00FF0000;  // red, as 0x00RRGGBB in the DIB
  CImageList list;
  ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 2, 0));
  EXPECT_EQ(list.Add(source, RGB(255, 0, 255)), 0);
  EXPECT_EQ(list.GetImageCount(), 2);

  dravon_test::Canvas canvas(8, 8);
  CDC& dc = canvas.dc();
  dc.FillSolidRect(CRect(0, 0, 8, 8), RGB(0, 0, 255));
  list.Draw(dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
  EXPECT_EQ(dc.GetPixel(CPoint(0, 0)), RGB(0, 0, 255)) << "the mask colour shows the background";
  EXPECT_EQ(dc.GetPixel(CPoint(1, 1)), RGB(255, 0, 0));
}

// ---- no leaks ------------------------------------------------------------------

void MakeAndEndControls(CWnd& parent) {
  afx::Window<CListCtrl> list;
  list.Create(WS_VISIBLE | LVS_REPORT, CRect(0, 0, 200, 100), &parent, 20);
  list.InsertColumn(0, L"列", LVCFMT_LEFT, 80);
  list.InsertItem(0, L"项");
  afx::Window<CTabCtrl> tab;
  tab.Create(WS_VISIBLE, CRect(0, 0, 200, 100), &parent, 21);
  tab.InsertItem(0, L"页");
  afx::Window<CSliderCtrl> slider;
  slider.Create(WS_VISIBLE, CRect(0, 0, 200, 30), &parent, 22);
  afx::Window<CComboBoxEx> combo;
  combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 200, 100), &parent, 23);
  combo.InsertItem(-1, L"项");
  afx::Window<CButton> button;
  button.Create(L"钮", WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 24);
  afx::Window<CEdit> edit;
  edit.Create(WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 25);
  afx::Window<CStatic> label;
  label.Create(L"字", WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 26);
  parent.UpdateWindow();
  // Off-screen painting, fonts and regions, as a paint handler makes them.
  CClientDC client(parent.m_hWnd);
  {
    COffscreenDC dc(client, CRect(0, 0, 100, 50));
    CFont font;
    font.Create(L"MS Sans Serif", 13);
    CSelectObject f(dc, font);
    CRgn rgn;
    rgn.CreateRectRgn(CRect(0, 0, 50, 50));
    dc.SelectClipRgn(rgn);
    dc.TextOut(0, 0, L"字", 1);
  }
}

TEST_F(Host, ControlsAndPaintingMadeManyTimesLeaveNothingBehind) {
  // Shown and active before counting: activation makes the thread's
  // input-method window, which is the system's, not the test's.
  parent.ShowWindow(SW_SHOW);
  SetForegroundWindow(parent.m_hWnd);
  flush_events(100);
  // The first uses allocate caches once; the parent's own painting settles.
  for (int i = 0; i < 5; ++i) MakeAndEndControls(parent);
  flush_events(200);
  const GuiCounts before = CurrentGuiCounts();
  ASSERT_GT(before.gdi, 0);
  ASSERT_GT(before.user, 0);
  for (int i = 0; i < 300; ++i) MakeAndEndControls(parent);
  flush_events(200);
  const GuiCounts after = CurrentGuiCounts();
  EXPECT_GE(after.gdi, before.gdi - dravon_test::kGdiCacheSlack);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user) << dravon_test::DescribeWindows();
}

TEST(DialogLeaks, AModelessDialogMadeAndEndedOftenLeavesNothing) {
  auto cycle = [] {
    afx::Window<CDialog> dialog(IDD_TEST_CONTROLS, nullptr, GetModuleHandleW(nullptr));
    if (!dialog.Create()) return false;
    // Drawn into a memory DC: ending a shown top-level window costs Wine
    // seconds without a window manager.
    dravon_test::Canvas canvas(300, 200);
    dialog.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(static_cast<HDC>(canvas)),
                       PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND | PRF_NONCLIENT);
    dialog.DestroyWindow();
    return true;
  };
  ASSERT_TRUE(cycle());
  flush_events(10);
  const GuiCounts before = CurrentGuiCounts();
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(cycle());
  flush_events(10);
  EXPECT_EQ(CurrentGuiCounts(), before);
}

}  // namespace
