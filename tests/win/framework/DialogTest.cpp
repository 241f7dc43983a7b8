// Dialogs owned by a given window, placed by their template, with icons from
// their own module.
#include <gtest/gtest.h>

#include <cstdlib>

#include "FrameworkTestRes.h"
#include "TestPump.h"
#include "framework/Dialog.h"
#include "framework/Wnd.h"
#include "tests/win/common/ModalProbe.h"

namespace {

using dravon_test::CallWithModalProbe;
using dravon_test::kCloseBox;
using dravon_test::WithCaption;

// A top-level window in the screen's corner, far from its centre.
HWND MakeCornerWindow() {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// What the probe saw of a running modal dialog.
struct Seen {
  int times = 0;
  HWND owner = nullptr;
  bool ownerEnabled = true;
  CRect rect;
};

Seen RunModal(CDialog& dialog, const wchar_t* caption, HWND watched) {
  Seen seen;
  auto inspect = [&](HWND wnd) {
    ++seen.times;
    seen.owner = GetWindow(wnd, GW_OWNER);
    seen.ownerEnabled = IsWindowEnabled(watched) != FALSE;
    RECT r;
    GetWindowRect(wnd, &r);
    seen.rect = r;
  };
  CallWithModalProbe([&] { return dialog.DoModal(); }, WithCaption(caption), inspect, kCloseBox);
  return seen;
}

bool CentredOn(const CRect& r, const RECT& area) {
  return std::abs((r.left + r.right) - (area.left + area.right)) <= 2 &&
         std::abs((r.top + r.bottom) - (area.top + area.bottom)) <= 2;
}

}  // namespace

TEST(WindowIcons, SetIconKeepsBigAndSmallApartAndReturnsThePreviousOne) {
  afx::Window<CWnd> w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, L"t", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
  HICON big = LoadIconW(nullptr, IDI_APPLICATION);
  HICON small = LoadIconW(nullptr, IDI_WARNING);
  EXPECT_EQ(w.SetIcon(big, true), nullptr);
  EXPECT_EQ(w.SetIcon(small, false), nullptr);
  EXPECT_EQ(w.GetIcon(true), big);
  EXPECT_EQ(w.GetIcon(false), small);
  EXPECT_EQ(w.SetIcon(nullptr, true), big);
  EXPECT_EQ(w.GetIcon(false), small);
  w.DestroyWindow();
}

TEST(Dialog, ModalIsOwnedByTheGivenWindowWhichWaitsDisabled) {
  HWND owner = MakeCornerWindow();
  HWND other = MakeCornerWindow();
  ASSERT_NE(owner, nullptr);
  ASSERT_NE(other, nullptr);
  afx::Window<CWnd> parent;
  parent.SubclassWindow(other);

  // The given owner wins over the parent object.
  afx::Window<CDialog> d(IDD_TEST_DIALOG, &parent);
  d.SetOwner(owner);
  Seen seen = RunModal(d, L"对话", owner);
  EXPECT_EQ(seen.times, 1);
  EXPECT_EQ(seen.owner, owner);
  EXPECT_FALSE(seen.ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again once the dialog is gone";
  EXPECT_TRUE(IsWindowEnabled(other));
  // No template asked to centre it: it starts centred over its owner.
  RECT ownerRect;
  GetWindowRect(owner, &ownerRect);
  EXPECT_TRUE(CentredOn(seen.rect, ownerRect));

  parent.UnsubclassWindow();
  DestroyWindow(other);
  DestroyWindow(owner);
  flush_events();
}

TEST(Dialog, ATemplateCentredOnTheScreenStaysThere) {
  HWND owner = MakeCornerWindow();
  ASSERT_NE(owner, nullptr);
  afx::Window<CDialog> d(IDD_TEST_CENTERED);
  d.SetOwner(owner);
  Seen seen = RunModal(d, L"居中", owner);
  ASSERT_EQ(seen.times, 1);
  EXPECT_EQ(seen.owner, owner);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(CentredOn(seen.rect, work)) << "not moved over its owner in the corner";
  DestroyWindow(owner);
  flush_events();
}

TEST(Dialog, IconsComeFromTheDialogsOwnModule) {
  // The system library has the standard application icon; this program has none.
  afx::Window<CDialog> system(IDD_TEST_DIALOG, nullptr, GetModuleHandleW(L"user32.dll"));
  afx::Window<CDialog> own(IDD_TEST_DIALOG, nullptr, GetModuleHandleW(nullptr));
  const UINT application = 32512;
  HICON big = system.LoadIconResource(application, true);
  HICON small = system.LoadIconResource(application, false);
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(small, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(own.LoadIconResource(application, true), nullptr);
}
