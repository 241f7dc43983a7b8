// Frames, toolbars and dialogs built from this test program's resources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "FrameworkTestRes.h"
#include "TestPump.h"
#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/Menu.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"

namespace {

class TestApp : public CWinApp {
 public:
  TestApp() : CWinApp(L"Framework Tests") {}
  std::vector<UINT> ran;
  void OnTwo(UINT id) { ran.push_back(id); }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {afx::OnCommandRange<&TestApp::OnTwo>(ID_TEST_TWO, ID_TEST_TWO)};
    return afx::Dispatch(*this, routes, msg, wp, lp, result);
  }
};
TestApp theApp;

class Pane : public CView {};

class TestFrame : public CFrameWnd {
 public:
  std::vector<UINT> ran;
  afx::Window<CToolBar> bar;
  afx::Window<Pane> pane;
  bool createBar = true;

  void OnOne(UINT id) { ran.push_back(id); }

 protected:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnCreate<&TestFrame::OnCreate>(),
        afx::OnCommandRange<&TestFrame::OnOne>(ID_TEST_ONE, ID_TEST_ONE),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
           CFrameWnd::OnWndMsg(msg, wp, lp, result);
  }
  int OnCreate(CREATESTRUCTW&) {
    if (!pane.Create(nullptr, nullptr, WS_VISIBLE | WS_BORDER, CRect(), this, AFX_IDW_PANE_FIRST)) {
      return -1;
    }
    if (createBar) {
      if (!bar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
          !bar.LoadToolBar(IDR_TEST_FRAME)) {
        return -1;
      }
      DockControlBar(&bar);
    }
    return 0;
  }
};

struct MainFrameScope {
  explicit MainFrameScope(CFrameWnd& f) { theApp.m_pMainWnd = &f; }
  ~MainFrameScope() { theApp.m_pMainWnd = nullptr; }
};

}  // namespace

TEST(Frame, LoadsTitleMenuAndAcceleratorsFromItsResource) {
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
  EXPECT_EQ(f.GetWindowText(), L"测试窗口");
  // The title-bar flag is ours, not a window style.
  EXPECT_EQ(f.GetStyle() & FWS_ADDTOTITLE, 0u);
  HMENU menu = GetMenu(f.m_hWnd);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 1);

  MSG key{f.m_hWnd, WM_KEYDOWN, 'Q', 0, 0, {0, 0}};
  BYTE state[256]{};
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  EXPECT_TRUE(theApp.PreTranslateMessage(key));
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
  flush_events();
  EXPECT_EQ(f.ran, std::vector<UINT>{ID_TEST_ONE});
  f.DestroyWindow();
  flush_events();
}

TEST(Frame, CommandsGoToTheFrameThenTheApplication) {
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME));
  f.SendMessage(WM_COMMAND, ID_TEST_ONE);
  f.SendMessage(WM_COMMAND, ID_TEST_TWO);
  EXPECT_EQ(f.ran, std::vector<UINT>{ID_TEST_ONE});
  ASSERT_EQ(theApp.ran, std::vector<UINT>{ID_TEST_TWO});
  theApp.ran.clear();
  // Exit closes the frame; the main frame's end quits the message loop.
  f.SendMessage(WM_COMMAND, ID_APP_EXIT);
  EXPECT_EQ(f.m_hWnd, nullptr);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(Frame, MenuItemsWithoutAHandlerAreDisabledAndOthersKeepTheirState) {
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME));
  HMENU popup = GetSubMenu(GetMenu(f.m_hWnd), 0);
  EnableMenuItem(popup, ID_TEST_TWO, MF_GRAYED);
  f.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_TRUE(GetMenuState(popup, ID_TEST_UNHANDLED, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(popup, ID_TEST_ONE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(popup, ID_APP_EXIT, MF_BYCOMMAND) & MF_GRAYED);
  // Greyed by its owner before the popup opened: stays greyed.
  EXPECT_TRUE(GetMenuState(popup, ID_TEST_TWO, MF_BYCOMMAND) & MF_GRAYED);
  f.DestroyWindow();
  flush_events();
}

TEST(Frame, BarsDockAtTheTopAndThePaneFillsTheRest) {
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME));
  f.SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER);
  f.ShowWindow(SW_SHOW);
  flush_events();
  CRect client = f.GetClientRect();
  CRect bar = f.bar.GetWindowRect();
  CRect pane = f.pane.GetWindowRect();
  MapWindowPoints(nullptr, f.m_hWnd, reinterpret_cast<POINT*>(&bar), 2);
  MapWindowPoints(nullptr, f.m_hWnd, reinterpret_cast<POINT*>(&pane), 2);
  EXPECT_EQ(bar.top, 0);
  EXPECT_EQ(bar.Width(), client.Width());
  EXPECT_GT(bar.Height(), 15);
  EXPECT_EQ(pane.top, bar.bottom);
  EXPECT_EQ(pane.bottom, client.bottom);
  EXPECT_EQ(pane.Width(), client.Width());
  // The pane's border became a client edge.
  EXPECT_TRUE(f.pane.GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(f.pane.GetStyle() & WS_BORDER);
  f.DestroyWindow();
  flush_events();
}

TEST(ToolBar, ButtonsComeFromTheResourceAndFollowTheRoutes) {
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME));
  ASSERT_EQ(f.bar.GetCount(), 4);
  EXPECT_EQ(f.bar.GetItemID(0), static_cast<UINT>(ID_TEST_ONE));
  EXPECT_EQ(f.bar.GetItemID(1), 0u);
  EXPECT_EQ(f.bar.GetItemID(2), static_cast<UINT>(ID_TEST_TWO));
  EXPECT_EQ(f.bar.GetItemID(3), static_cast<UINT>(ID_TEST_UNHANDLED));
  EXPECT_EQ(LOWORD(f.bar.SendMessage(TB_GETBUTTONSIZE)), 16 + 7);

  f.SendMessage(WM_IDLEUPDATECMDUI);
  EXPECT_TRUE(f.bar.SendMessage(TB_ISBUTTONENABLED, ID_TEST_ONE));
  EXPECT_TRUE(f.bar.SendMessage(TB_ISBUTTONENABLED, ID_TEST_TWO));  // the application's
  EXPECT_FALSE(f.bar.SendMessage(TB_ISBUTTONENABLED, ID_TEST_UNHANDLED));

  // Clicking a button sends its command to the frame.
  f.bar.SendMessage(WM_LBUTTONDOWN, 0, 0);
  RECT r;
  f.bar.SendMessage(TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  f.bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  f.bar.SendMessage(WM_LBUTTONUP, 0, at);
  flush_events();
  EXPECT_EQ(f.ran, std::vector<UINT>{ID_TEST_ONE});
  f.DestroyWindow();
  flush_events();
}

TEST(ToolBar, TipIsTheTextAfterTheLineBreak) {
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME));
  wchar_t text[80] = L"";
  NMTBGETINFOTIPW tip{};
  tip.hdr.hwndFrom = f.bar.m_hWnd;
  tip.hdr.idFrom = AFX_IDW_TOOLBAR;
  tip.hdr.code = TBN_GETINFOTIPW;
  tip.pszText = text;
  tip.cchTextMax = 80;
  tip.iItem = ID_TEST_ONE;
  f.SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(text, L" 第一个");
  // A short buffer is cut, and still ends in a terminator.
  tip.cchTextMax = 3;
  tip.iItem = ID_TEST_TWO;
  f.SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(text, L" s");
  f.DestroyWindow();
  flush_events();
}

namespace {

LONG FontHeight(HWND wnd) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

}  // namespace

TEST(ToolBar, TheTipsTakeTheirFontAtEachNewScale) {
  dravon_test::MonitorScale scale(96);
  afx::Window<TestFrame> f;
  MainFrameScope scope(f);
  ASSERT_TRUE(f.LoadFrame(IDR_TEST_FRAME));
  HWND tips = reinterpret_cast<HWND>(f.bar.SendMessage(TB_GETTOOLTIPS));
  ASSERT_NE(tips, nullptr);
  const LONG height96 = FontHeight(tips);
  ASSERT_NE(height96, 0);
  for (UINT dpi : {120u, 144u, 192u, 96u}) {
    scale.MoveTo(f.m_hWnd, dpi);
    EXPECT_EQ(FontHeight(tips), MulDiv(height96, static_cast<int>(dpi), 96)) << dpi;
    EXPECT_NE(FontHeight(tips), 0);
  }
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 200; ++i) scale.MoveTo(f.m_hWnd, i % 2 ? 96u : 144u);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack) << "one font at a time";
  EXPECT_EQ(after.user, before.user);
  f.DestroyWindow();
  flush_events();
}

namespace {

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(IDD_TEST_DIALOG) {}
  bool closeAtInit = false;
  CString textAtInit;
  CRect rectAtInit;
  bool OnInitDialog() override {
    rectAtInit = GetWindowRect();
    textAtInit = CString(std::wstring(256, L'\0'));
    wchar_t buf[64];
    GetDlgItemTextW(m_hWnd, IDC_TEST_TEXT, buf, 64);
    textAtInit = buf;
    if (closeAtInit) PostMessage(WM_COMMAND, IDOK);
    return true;
  }
};

}  // namespace

TEST(Dialog, ModalRunsFromItsTemplateAndEndsWithOk) {
  afx::Window<TestDialog> d;
  d.closeAtInit = true;
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.textAtInit, L"文字");
  EXPECT_EQ(d.m_hWnd, nullptr);
  // With no owner shown, a modal dialog starts centred on the work area.
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CRect r = d.rectAtInit;
  EXPECT_LE(std::abs((r.left + r.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((r.top + r.bottom) - (work.top + work.bottom)), 2);
}

TEST(Dialog, ModelessLivesUntilClosedAndComesFromTheGivenModule) {
  afx::Window<TestDialog> d;
  ASSERT_TRUE(d.Create());
  EXPECT_TRUE(IsWindow(d.m_hWnd));
  EXPECT_EQ(d.GetWindowText(), L"对话");
  d.SendMessage(WM_COMMAND, IDCANCEL);
  EXPECT_EQ(d.m_hWnd, nullptr);

  // A module without the template: no window, no handle left behind.
  afx::Window<CDialog> other(IDD_TEST_DIALOG, nullptr, GetModuleHandleW(L"kernel32.dll"));
  EXPECT_FALSE(other.Create());
  EXPECT_EQ(other.m_hWnd, nullptr);
}
