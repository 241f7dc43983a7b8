// The display scale: the DPI answer and its rule, fonts made for a DPI, and
// a change of scale carried to a window's children and a dialog's template.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameworkTestRes.h"
#include "TestPump.h"
#include "framework/Dialog.h"
#include "framework/Dpi.h"
#include "framework/Wnd.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"

namespace {

using dravon_test::MonitorScale;

int FontHeight(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfHeight;
}

// A window that notes each change of scale it is told of.
class CNoting : public CWnd {
 public:
  CNoting(std::wstring name, std::vector<std::wstring>& log) : name_(std::move(name)), log_(log) {}
  int changes = 0;

 protected:
  void OnDpiChanged(UINT dpi) override {
    ++changes;
    log_.push_back(name_ + L"@" + std::to_wstring(dpi));
  }

 private:
  std::wstring name_;
  std::vector<std::wstring>& log_;
};

CRect RectInParent(HWND w) {
  CRect r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

TEST(DpiAnswer, TheRuleRoundsAsWin32AndTheForcedAnswerComesBack) {
  for (int dpi : {96, 108, 120, 144, 168, 192, 240}) {
    for (int n = -300; n <= 1200; ++n) ASSERT_EQ(geom::Scale(n, dpi), MulDiv(n, dpi, 96)) << n << " at " << dpi;
  }
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const UINT real = afx::DpiForWindow(plain);
  EXPECT_EQ(real, afx::SystemDpi());
  {
    afx::ForcedDpi forced(144);
    EXPECT_EQ(afx::DpiForWindow(plain), 144u);
    EXPECT_EQ(afx::DpiForWindow(nullptr), 144u);
    EXPECT_EQ(afx::Scale(plain, 700), 1050);
    {
      afx::ForcedDpi inner(192);
      EXPECT_EQ(afx::SystemDpi(), 192u);
    }
    EXPECT_EQ(afx::SystemDpi(), 144u);
  }
  EXPECT_EQ(afx::DpiForWindow(plain), real);
  DestroyWindow(plain);
}

TEST(DpiFonts, PointSizesAndTheGuiFontFollowTheDpi) {
  CFont nine;
  ASSERT_TRUE(afx::CreatePointFontForDpi(nine, 90, L"MS Shell Dlg", 144));
  EXPECT_EQ(FontHeight(nine), -18);
  ASSERT_TRUE(afx::CreatePointFontForDpi(nine, 90, L"MS Shell Dlg", 96));
  EXPECT_EQ(FontHeight(nine), -12);

  LOGFONTW stock{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
  CFont gui;
  ASSERT_TRUE(afx::CreateGuiFontForDpi(gui, afx::SystemDpi()));
  LOGFONTW same{};
  GetObjectW(gui, sizeof same, &same);
  EXPECT_EQ(same.lfHeight, stock.lfHeight);
  EXPECT_EQ(std::wstring(same.lfFaceName), std::wstring(stock.lfFaceName));
  ASSERT_TRUE(afx::CreateGuiFontForDpi(gui, afx::SystemDpi() * 2));
  EXPECT_EQ(FontHeight(gui), stock.lfHeight * 2);

  // A 96-DPI design font at twice the scale.
  LOGFONTW design{};
  design.lfHeight = 15;
  wcscpy(design.lfFaceName, L"Arial");
  CFont arial;
  ASSERT_TRUE(afx::CreateFontForDpi(arial, design, 192));
  EXPECT_EQ(FontHeight(arial), 30);
  EXPECT_EQ(afx::SystemMetricForDpi(SM_CXSMICON, 192), 32);
}

TEST(DpiChange, ChildrenOfOursFollowOnceBeforeTheirParentWhichTakesTheSuggestedRectangle) {
  std::vector<std::wstring> log;
  MonitorScale monitor(96);
  afx::Window<CNoting> top(L"top", log);
  ASSERT_TRUE(top.CreateEx(0, nullptr, L"t", WS_OVERLAPPEDWINDOW, CRect(10, 20, 310, 220), nullptr, 0));
  afx::Window<CNoting> child(L"child", log);
  ASSERT_TRUE(child.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 50, 50), &top, 1));
  // A window that is not ours between the frame and one of ours.
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 50, top.m_hWnd, nullptr, nullptr, nullptr);
  afx::Window<CNoting> grandchild(L"grandchild", log);
  ASSERT_TRUE(grandchild.CreateEx(0, nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), plain, 2));

  monitor.MoveTo(top.m_hWnd, 144);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log.back(), L"top@144");
  EXPECT_EQ(child.changes, 1);
  EXPECT_EQ(grandchild.changes, 1);
  EXPECT_EQ(top.GetWindowRect(), CRect(10, 20, 460, 320));

  // Windows 10 tells the children first: nothing happens twice.
  log.clear();
  monitor.MoveTo(top.m_hWnd, 192, {child.m_hWnd, grandchild.m_hWnd});
  EXPECT_EQ(log, (std::vector<std::wstring>{L"child@192", L"grandchild@192", L"top@192"}));
  // Told the same DPI again: no change.
  log.clear();
  monitor.MoveTo(top.m_hWnd, 192);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(top.GetDpi(), 192u);
  EXPECT_EQ(top.Scale(35), 70);
  top.DestroyWindow();
}

TEST(DpiChange, ADialogsTemplateScalesWithItsFontAndComesBackWhole) {
  MonitorScale monitor(afx::SystemDpi());
  const UINT base = monitor.Dpi();
  afx::Window<CDialog> dialog(IDD_TEST_CONTROLS);
  ASSERT_TRUE(dialog.Create());
  HWND button = dialog.GetDlgItem(IDC_TEST_BUTTON);
  HWND edit = dialog.GetDlgItem(IDC_TEST_EDIT);
  HWND combo = dialog.GetDlgItem(IDC_TEST_COMBO);
  const HFONT templateFont = dialog.GetFont();
  const CRect buttonAt = RectInParent(button);
  const CRect editAt = RectInParent(edit);
  const CRect comboAt = RectInParent(combo);
  const CRect client = dialog.GetClientRect();

  const UINT twice = base * 2;
  monitor.MoveTo(dialog.m_hWnd, twice);
  auto within1 = [](int a, int b) { return std::abs(a - b) <= 1; };
  const CRect b2 = RectInParent(button);
  EXPECT_TRUE(within1(b2.left, buttonAt.left * 2) && within1(b2.top, buttonAt.top * 2)) << b2.left << "," << b2.top;
  EXPECT_TRUE(within1(b2.Width(), buttonAt.Width() * 2) && within1(b2.Height(), buttonAt.Height() * 2));
  const CRect e2 = RectInParent(edit);
  EXPECT_TRUE(within1(e2.Width(), editAt.Width() * 2)) << e2.Width();
  EXPECT_TRUE(within1(RectInParent(combo).Width(), comboAt.Width() * 2));
  const HFONT scaled = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  EXPECT_NE(scaled, templateFont);
  EXPECT_TRUE(within1(FontHeight(scaled), FontHeight(templateFont) * 2));
  EXPECT_EQ(dialog.GetDialogFont(), scaled);
  // The window took the suggested rectangle: the client area about twice.
  EXPECT_GE(dialog.GetClientRect().Width(), client.Width() * 2 - 8);

  monitor.MoveTo(dialog.m_hWnd, base);
  EXPECT_EQ(RectInParent(button), buttonAt);
  EXPECT_EQ(RectInParent(edit), editAt);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), templateFont);
  EXPECT_EQ(dialog.GetDialogFont(), templateFont);

  // Back and forth 200 times: no object left behind, nothing drifts.
  monitor.MoveTo(dialog.m_hWnd, twice);
  monitor.MoveTo(dialog.m_hWnd, base);
  flush_events();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) {
    monitor.MoveTo(dialog.m_hWnd, i % 2 ? base * 3 / 2 : twice);
    monitor.MoveTo(dialog.m_hWnd, base);
  }
  flush_events();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(std::abs(after.gdi - before.gdi), dravon_test::kGdiCacheSlack) << before.gdi << " " << after.gdi;
  EXPECT_EQ(after.user, before.user);
  EXPECT_EQ(RectInParent(button), buttonAt);
  EXPECT_EQ(RectInParent(combo).Width(), comboAt.Width());
  dialog.DestroyWindow();
}
