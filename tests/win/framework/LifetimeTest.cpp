// When windows end: with their object whole, or counted as a fault; a
// throwing handler fails what it was to create; modeless pages navigated by
// the keyboard from the dialog they sit in.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "FrameworkTestRes.h"
#include "TestPump.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

// Something a window's end must do (a stop, a released capture): counted.
// The class has no destructor: afx::Window ends its window.
class Ending : public CWnd {
 public:
  explicit Ending(int* ended) : ended_(ended) {}
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnDestroy<&Ending::OnDestroy>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
  void OnDestroy() { ++*ended_; }
  int* ended_;
};

// A parent that sees its own end, with a child member.
class Parent : public Ending {
 public:
  explicit Parent(int* ended) : Ending(ended), child(ended) {}
  afx::Window<Ending> child;
};

bool CreateTop(CWnd& w) {
  return w.CreateEx(0, nullptr, L"t", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 80), nullptr, 0);
}

TEST(WindowEnd, AClassWithoutADestructorLineSeesWmDestroy) {
  int ended = 0;
  const int faults = afx::WindowsEndedByBase();
  HWND h;
  {
    afx::Window<Ending> w(&ended);
    ASSERT_TRUE(CreateTop(w));
    h = w.m_hWnd;
  }
  EXPECT_FALSE(IsWindow(h)) << "no window outlives its object";
  EXPECT_EQ(ended, 1) << "the route ran while the object was whole";
  EXPECT_EQ(afx::WindowsEndedByBase(), faults);
}

TEST(WindowEnd, ChildrenOfAWindowEndingWithItsObjectSeeTheirEnd) {
  int ended = 0;
  const int faults = afx::WindowsEndedByBase();
  {
    afx::Window<Parent> p(&ended);
    ASSERT_TRUE(CreateTop(p));
    ASSERT_TRUE(p.child.CreateEx(0, nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), p.m_hWnd, 1));
  }
  EXPECT_EQ(ended, 2) << "parent and child routes ran while their objects were whole";
  EXPECT_EQ(afx::WindowsEndedByBase(), faults);
}

TEST(WindowEnd, ManyOpeningsLeaveNoFaultAndNoWindow) {
  int ended = 0;
  const int faults = afx::WindowsEndedByBase();
  for (int i = 0; i < 50; ++i) {
    auto p = std::make_unique<afx::Window<Parent>>(&ended);
    ASSERT_TRUE(CreateTop(*p));
    ASSERT_TRUE(p->child.CreateEx(0, nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), p->m_hWnd, 1));
  }
  EXPECT_EQ(ended, 100);
  EXPECT_EQ(afx::WindowsEndedByBase(), faults);
}

// ---- throwing handlers --------------------------------------------------------

class Throws : public CWnd {
 public:
  explicit Throws(UINT at) : at_(at) {}
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == at_) throw std::runtime_error("handler failed");
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
  UINT at_;
};

TEST(ThrowingHandlers, FailTheCreationTheyWereHandling) {
  for (UINT at : {static_cast<UINT>(WM_NCCREATE), static_cast<UINT>(WM_CREATE)}) {
    afx::Window<Throws> w(at);
    EXPECT_FALSE(CreateTop(w)) << "message 0x" << std::hex << at;
    EXPECT_EQ(w.m_hWnd, nullptr);
  }
  // Any other message: the window lives on and keeps answering.
  afx::Window<Throws> w(WM_USER);
  ASSERT_TRUE(CreateTop(w));
  EXPECT_EQ(w.SendMessage(WM_USER), 0);
  EXPECT_TRUE(IsWindow(w.m_hWnd));
  w.DestroyWindow();
}

class FailingDialog : public CDialog {
 public:
  FailingDialog() : CDialog(IDD_TEST_DIALOG, nullptr, Self()) {}
  bool OnInitDialog() override { throw std::runtime_error("no data"); }
};

TEST(ThrowingHandlers, AFailedOnInitDialogEndsTheDialogAsFailed) {
  afx::Window<FailingDialog> modal;
  EXPECT_EQ(modal.DoModal(), -1);
  EXPECT_EQ(modal.m_hWnd, nullptr);
  afx::Window<FailingDialog> modeless;
  EXPECT_FALSE(modeless.Create());
  EXPECT_EQ(modeless.m_hWnd, nullptr);
  flush_events(10);
}

// ---- modeless pages and the keyboard ------------------------------------------

class Page : public CDialog {
 public:
  Page() : CDialog(IDD_TEST_PAGE, nullptr, Self()) {}
};

class Host : public CDialog {
 public:
  Host() : CDialog(IDD_TEST_HOST, nullptr, Self()) {}
  afx::Window<CTabCtrl> tab;
  afx::Window<Page> page;
  bool OnInitDialog() override {
    tab.SubclassDlgItem(IDC_TEST_TAB, this);
    tab.InsertItem(0, L"页一");
    tab.HostPages();
    if (!page.Create(&tab)) return false;
    CRect r = tab.GetClientRect();
    tab.AdjustRect(false, r);
    page.MoveWindow(r);
    page.ShowWindow(SW_SHOW);
    return true;
  }
};

// Delivers a key press to the focused window as the program's loop would.
void PressKey(UINT key, bool shift = false) {
  if (shift) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
  }
  MSG msg{};
  msg.hwnd = GetFocus();
  msg.message = WM_KEYDOWN;
  msg.wParam = key;
  msg.lParam = 1;
  if (!AfxGetApp()->PreTranslateMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (shift) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
  }
}

TEST(ModelessPages, TabMovesThroughAPageAndOnToTheHostsControls) {
  ASSERT_NE(AfxGetApp(), nullptr);
  afx::Window<Host> host;
  ASSERT_TRUE(host.Create());
  host.ShowWindow(SW_SHOW);
  SetForegroundWindow(host.m_hWnd);
  flush_events(20);
  HWND first = host.page.GetDlgItem(IDC_TEST_PAGE_FIRST);
  HWND second = host.page.GetDlgItem(IDC_TEST_PAGE_SECOND);
  HWND button = host.GetDlgItem(IDC_TEST_BUTTON);
  SetFocus(first);
  ASSERT_EQ(GetFocus(), first);
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), second);
  // Past the page's last field to the host's button, not round the page.
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), button);
  PressKey(VK_TAB, true);
  EXPECT_EQ(GetFocus(), second);
}

}  // namespace
