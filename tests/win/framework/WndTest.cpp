// Window objects: attachment and detachment, the dispatch barrier, GDI
// ownership and selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "TestPump.h"
#include "framework/Gdi.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

class RecordingWnd : public CWnd {
 public:
  std::vector<UINT> seen;
  bool sawMinMaxAttached = false;
  int ncDestroyed = 0;
  bool throwOnUser = false;

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    seen.push_back(msg);
    if (msg == WM_GETMINMAXINFO) sawMinMaxAttached = FromHandlePermanent(m_hWnd) == this;
    if (msg == WM_USER && throwOnUser) throw std::runtime_error("handler failed");
    if (msg == WM_USER + 1) return 42;
    return CWnd::WindowProc(msg, wp, lp);
  }
  void PostNcDestroy() override { ++ncDestroyed; }
};

bool Create(CWnd& w) {
  return w.CreateEx(0, nullptr, L"t", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0);
}

}  // namespace

TEST(WindowLifetime, ObjectIsAttachedFromTheFirstMessageAndDetachedAtTheEnd) {
  afx::Window<RecordingWnd> w;
  ASSERT_TRUE(Create(w));
  ASSERT_FALSE(w.seen.empty());
  // Top-level windows get WM_GETMINMAXINFO before WM_NCCREATE.
  EXPECT_EQ(w.seen.front(), static_cast<UINT>(WM_GETMINMAXINFO));
  EXPECT_TRUE(w.sawMinMaxAttached);
  EXPECT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);
  HWND h = w.m_hWnd;
  EXPECT_TRUE(w.DestroyWindow());
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(w.ncDestroyed, 1);
  EXPECT_FALSE(IsWindow(h));
}

TEST(WindowLifetime, DestroyingTheObjectDestroysItsWindow) {
  HWND h;
  {
    afx::Window<RecordingWnd> w;
    ASSERT_TRUE(Create(w));
    h = w.m_hWnd;
  }
  EXPECT_FALSE(IsWindow(h));
}

TEST(WindowLifetime, AFailedCreationLeavesNoHandle) {
  class Refuses : public CWnd {
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
      if (msg == WM_CREATE) return -1;
      return CWnd::WindowProc(msg, wp, lp);
    }
  };
  afx::Window<Refuses> w;
  EXPECT_FALSE(Create(w));
  EXPECT_EQ(w.m_hWnd, nullptr);
}

TEST(WindowDispatch, ResultsPassBackAndExceptionsStopAtTheProcedure) {
  afx::Window<RecordingWnd> w;
  ASSERT_TRUE(Create(w));
  EXPECT_EQ(w.SendMessage(WM_USER + 1), 42);
  w.throwOnUser = true;
  EXPECT_EQ(w.SendMessage(WM_USER), 0);
  // The window still works after the failed handler.
  EXPECT_EQ(w.SendMessage(WM_USER + 1), 42);
}

TEST(WindowDispatch, SubclassedControlRoutesThroughTheObjectAndBack) {
  afx::Window<RecordingWnd> parent;
  ASSERT_TRUE(Create(parent));
  afx::Window<RecordingWnd> edit;
  ASSERT_TRUE(edit.CreateEx(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, CRect(0, 0, 80, 20),
                            parent.m_hWnd, 5));
  edit.seen.clear();
  edit.SetWindowText(L"文字");
  EXPECT_FALSE(edit.seen.empty());
  // The control's own procedure still stores the text.
  EXPECT_EQ(edit.GetWindowText(), L"文字");
  HWND h = edit.UnsubclassWindow();
  EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
  DestroyWindow(h);
}

TEST(WindowCommands, RouteTablesRunOnlyWhenAsked) {
  struct Target : CWnd {
    std::vector<UINT> ran;
    void OnRange(UINT id) { ran.push_back(id); }
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
      static constexpr afx::Route routes[] = {afx::OnCommandRange<&Target::OnRange>(10, 12),
                                              afx::OnCommandRange<&Target::OnRange>(20, 20)};
      return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
    }
  };
  afx::Window<Target> t;
  EXPECT_TRUE(t.HandlesCommand(11));
  EXPECT_TRUE(t.ran.empty());
  EXPECT_FALSE(t.HandlesCommand(13));
  ASSERT_TRUE(Create(t));
  t.SendMessage(WM_COMMAND, MAKEWPARAM(20, 0));
  t.SendMessage(WM_COMMAND, MAKEWPARAM(12, 0));
  EXPECT_EQ(t.ran, (std::vector<UINT>{20, 12}));
}

TEST(GdiOwnership, SelectionIsRestoredAtTheEndOfTheScope) {
  HDC screen = GetDC(nullptr);
  {
    CMemoryDC dc(screen);
    CBrush red(RGB(255, 0, 0));
    CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ penBefore = GetCurrentObject(dc, OBJ_PEN);
    {
      CSelectObject b(dc, red);
      CSelectObject p(dc, pen);
      EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), red.get());
      EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen.get());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), penBefore);
  }
  ReleaseDC(nullptr, screen);
}

TEST(GdiOwnership, ObjectsAreDeletedOnceAndMoveTheirHandle) {
  HBRUSH raw;
  {
    CBrush a(RGB(1, 2, 3));
    raw = a.get();
    ASSERT_NE(raw, nullptr);
    CBrush b(std::move(a));
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), raw);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(GdiOwnership, MemoryDcDrawsIntoItsBitmap) {
  HDC screen = GetDC(nullptr);
  CMemoryDC dc(screen);
  CBitmap bmp;
  ASSERT_TRUE(bmp.CreateCompatibleBitmap(screen, 8, 8));
  ReleaseDC(nullptr, screen);
  {
    CSelectObject sel(dc, bmp);
    dc.FillSolidRect(CRect(0, 0, 4, 8), RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(10, 200, 30));
  }
  EXPECT_EQ(bmp.GetSize().cx, 8);
}
