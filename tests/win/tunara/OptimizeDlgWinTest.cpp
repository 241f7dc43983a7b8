// The dialog around the pages: its template and icons, the tab sheet (its
// table, the tabs, where the pages sit, which page follows which tab, by
// mouse and by keyboard), the settings broadcast, and that opening and
// closing it leaves nothing behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <utility>
#include <vector>
#include <thread>

#include "framework/DialogTemplate.h"
#include "framework/Wnd.h"
#include "res/tunara/resource.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/common/ProcWindow.h"
#include "tests/win/common/TextFit.h"
#include "tests/win/common/WindowPicture.h"
#include "tests/win/framework/TestPump.h"
#include "tests/win/tunara/OptimizeDlgTestSupport.h"

namespace tunara_test {
namespace {

using OptimizeDialog = OptimizeDialogTest;

int ShownPage(COptimizeDlg& dialog) {
  int shown = -1;
  for (int i = 0; i < dialog.TabSheet().GetPageCount(); ++i) {
    if (Shown(dialog.TabSheet().GetPage(i)->m_hWnd)) {
      if (shown != -1) return -2;  // two at once
      shown = i;
    }
  }
  return shown;
}

LPARAM Centre(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

TEST_F(OptimizeDialog, OpensWithFourTabsAndTheFirstPageShown) {
  COptimizeDlg& dialog = Open();
  EXPECT_EQ(L"优化加速", Text(dialog.m_hWnd));
  EXPECT_TRUE(GetWindowLongW(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_NE(nullptr, dialog.GetIcon(true));
  EXPECT_NE(nullptr, dialog.GetIcon(false));
  CTabSheet& sheet = dialog.TabSheet();
  ASSERT_EQ(sheet.m_hWnd, GetDlgItem(dialog.m_hWnd, IDC_OPTIMIZE_TAB));
  const DWORD style = sheet.GetStyle();
  EXPECT_EQ(static_cast<DWORD>(TCS_BUTTONS | TCS_HOTTRACK | TCS_TOOLTIPS),
            style & (TCS_BUTTONS | TCS_HOTTRACK | TCS_TOOLTIPS));
  // The dialog manager draws a template control's border as a sunken edge.
  EXPECT_TRUE((style & WS_BORDER) || (sheet.GetExStyle() & WS_EX_CLIENTEDGE));
  ASSERT_EQ(4, sheet.GetItemCount());
  const wchar_t* titles[] = {L"   优化", L"   加速", L"   CDROM", L"   NTFS"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(titles[i], std::wstring(sheet.GetItemText(i)));
  EXPECT_EQ(0, sheet.GetCurSel());
  EXPECT_EQ(0, ShownPage(dialog));
  // Every page exists from the start: each has read the registry already.
  for (int i = 0; i < 4; ++i) {
    HWND page = sheet.GetPage(i)->m_hWnd;
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(sheet.m_hWnd, GetParent(page));
  }
  EXPECT_EQ(IDD_DISK_PAGE, sheet.GetPage(0)->GetTemplateId());
  EXPECT_EQ(IDD_MEMORY_PAGE, sheet.GetPage(1)->GetTemplateId());
  EXPECT_EQ(IDD_CDROM_PAGE, sheet.GetPage(2)->GetTemplateId());
  EXPECT_EQ(IDD_NTFS_PAGE, sheet.GetPage(3)->GetTemplateId());
}

TEST_F(OptimizeDialog, PagesFillTheSheetBelowTheTabs) {
  COptimizeDlg& dialog = Open();
  CTabSheet& sheet = dialog.TabSheet();
  const CRect client = sheet.GetClientRect();
  const CRect tab = sheet.GetItemRect(0);
  const CRect expected(tab.left, tab.bottom + 1, client.right - 2, client.bottom - 2);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(expected, sheet.GetPage(i)->GetRectInParent()) << "page " << i;
  }
  // Raised as they start: the memory and NTFS pages sit above the CD-ROM
  // page that was made between them (siblings come in below one another).
  auto above = [](HWND upper, HWND lower) {
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
      if (w == upper) return true;
    return false;
  };
  EXPECT_TRUE(above(Page(PageId::Memory), Page(PageId::Cdrom)));
  EXPECT_TRUE(above(Page(PageId::Ntfs), Page(PageId::Cdrom)));
}

TEST_F(OptimizeDialog, APageFollowsItsTabWhenTheButtonIsReleased) {
  COptimizeDlg& dialog = Open();
  CTabSheet& sheet = dialog.TabSheet();
  for (int target : {2, 1, 3, 0}) {
    SCOPED_TRACE(target);
    const int before = ShownPage(dialog);
    const LPARAM at = Centre(sheet.GetItemRect(target));
    sheet.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(target, sheet.GetCurSel());
    EXPECT_EQ(before, ShownPage(dialog)) << "not before the release";
    sheet.SendMessage(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(target, ShownPage(dialog));
    EXPECT_EQ(target, sheet.GetCurrentPage());
  }
  EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(OptimizeDialog, AReleaseAwayFromTheTabsStillShowsTheChosenPage) {
  COptimizeDlg& dialog = Open();
  CTabSheet& sheet = dialog.TabSheet();
  sheet.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Centre(sheet.GetItemRect(3)));
  EXPECT_EQ(sheet.m_hWnd, GetCapture()) << "the release comes back to the tabs";
  sheet.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2000, 2000));
  EXPECT_EQ(3, ShownPage(dialog));
  EXPECT_EQ(nullptr, GetCapture());

  // Another window takes the mouse before the release.
  sheet.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Centre(sheet.GetItemRect(1)));
  SetCapture(Page(PageId::Disk));
  EXPECT_EQ(1, ShownPage(dialog));
  ReleaseCapture();
}

TEST_F(OptimizeDialog, ATabChosenWithTheKeyboardShowsItsPage) {
  COptimizeDlg& dialog = Open();
  CTabSheet& sheet = dialog.TabSheet();
  sheet.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(1, sheet.GetCurSel());
  EXPECT_EQ(1, ShownPage(dialog));
  sheet.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
  sheet.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(3, ShownPage(dialog));
  sheet.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(2, ShownPage(dialog));
  // A click on the shown tab changes nothing.
  const LPARAM at = Centre(sheet.GetItemRect(2));
  sheet.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  sheet.SendMessage(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(2, ShownPage(dialog));
}

TEST(TabSheet, HoldsSixteenPages) {
  afx::Window<CTabSheet> sheet;
  using Page = afx::Window<CDialog>;
  Page pages[CTabSheet::kMaxPages + 1] = {Page(1),  Page(2),  Page(3),  Page(4),  Page(5),  Page(6),
                                          Page(7),  Page(8),  Page(9),  Page(10), Page(11), Page(12),
                                          Page(13), Page(14), Page(15), Page(16), Page(17)};
  for (int i = 0; i < CTabSheet::kMaxPages; ++i) EXPECT_TRUE(sheet.AddPage(L"页", &pages[i]));
  EXPECT_FALSE(sheet.AddPage(L"页", &pages[CTabSheet::kMaxPages]));
  EXPECT_EQ(CTabSheet::kMaxPages, sheet.GetPageCount());
  EXPECT_EQ(&pages[CTabSheet::kMaxPages - 1], sheet.GetPage(CTabSheet::kMaxPages - 1));
}

TEST_F(OptimizeDialog, TheDialogHasRoomForTwelveMorePages) {
  COptimizeDlg& dialog = Open();
  afx::Window<CDialog> spare(IDD_DISK_PAGE);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(dialog.TabSheet().AddPage(L"页", &spare));
  EXPECT_FALSE(dialog.TabSheet().AddPage(L"页", &spare));
}

// A top-level window of this thread that counts the settings broadcasts.
class Listener {
 public:
  static inline int count = 0;
  static inline WPARAM wParam = 1;
  static inline LPARAM lParam = 1;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SETTINGCHANGE) {
      ++count;
      wParam = wp;
      lParam = lp;
      return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  dravon_test::ProcWindow window_{L"TunaraTestListener", Proc, nullptr, WS_POPUP};
};

TEST_F(OptimizeDialog, OpeningBroadcastsTheSettingsChangeOnce) {
  Listener listener;
  Open();
  EXPECT_EQ(1, Listener::count);
  EXPECT_EQ(0u, Listener::wParam);
  EXPECT_EQ(0, Listener::lParam);
}

TEST_F(OptimizeDialog, AHungWindowDoesNotHoldTheDialog) {
  // A window whose thread stops answering: the broadcast skips it after its
  // time instead of waiting for ever.
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread hung([&] {
    HWND w = CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    SetEvent(ready);
    WaitForSingleObject(release, INFINITE);  // no messages meanwhile
    DestroyWindow(w);
  });
  WaitForSingleObject(ready, INFINITE);
  COptimizeDlg& dialog = Open();
  EXPECT_NE(nullptr, dialog.m_hWnd);
  EXPECT_NE(nullptr, Page(PageId::Ntfs)) << "the pages after the memory page were made";
  SetEvent(release);
  hung.join();
  CloseHandle(ready);
  CloseHandle(release);
}

// ---- display scale ------------------------------------------------------------

// What a page shows that the scale decides: its place, its pictures (bitmaps
// and icons, in template order) and its lists' images.
struct PageScale {
  CRect at;
  std::vector<std::pair<int, int>> pictures;    // width, height
  std::vector<std::pair<int, int>> listImages;  // each list's image size and count
};

std::pair<int, int> BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return {0, 0};
  return {bm.bmWidth, std::abs(bm.bmHeight)};
}

PageScale ScaleOf(CDialog& page) {
  PageScale s;
  s.at = page.GetRectInParent();
  for (HWND c = GetWindow(page.m_hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(c, name, 32);
    const auto type = GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK;
    if (_wcsicmp(name, WC_STATICW) == 0 && type == SS_BITMAP) {
      s.pictures.push_back(BitmapSize(reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0))));
    } else if (_wcsicmp(name, WC_STATICW) == 0 && type == SS_ICON) {
      ICONINFO info{};
      auto icon = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
      if (icon && GetIconInfo(icon, &info)) {
        s.pictures.push_back(BitmapSize(info.hbmColor ? info.hbmColor : info.hbmMask));
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
      }
    } else if (_wcsicmp(name, WC_COMBOBOXEXW) == 0) {
      auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(c, CBEM_GETIMAGELIST, 0, 0));
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images, &cx, &cy);
      s.listImages.push_back({cx == cy ? cx : -1, ImageList_GetImageCount(images)});
    }
  }
  return s;
}

TEST_F(OptimizeDialog, AtEveryScaleThePicturesListsAndPagesAreTheScaledOnesAndTextsFit) {
  const platform::OsVersion ten{10, 0, 19045, 2, ""};
  for (const int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    dravon_test::MonitorScale monitor(96);
    COptimizeDlg& dialog = Open(ten);
    CTabSheet& sheet = dialog.TabSheet();
    std::vector<PageScale> at96;
    for (int i = 0; i < 4; ++i) at96.push_back(ScaleOf(*sheet.GetPage(i)));
    for (const auto& o : dravon_test::OverflowingTexts(dialog.m_hWnd, 96)) ADD_FAILURE() << "at 96: " << o;

    monitor.MoveTo(dialog.m_hWnd, static_cast<UINT>(dpi));
    auto within1 = [](int a, int b) { return std::abs(a - b) <= 1; };
    // Below the tabs, in the sheet's client area. (Wine's tab control takes
    // its whole window as its client area once it is moved: its border
    // drawn by the dialog is then inside the pages' room.)
    auto room = [&] {
      const CRect client = sheet.GetClientRect();
      const CRect tab = sheet.GetItemRect(0);
      return CRect(tab.left, tab.bottom + 1, client.right - 2, client.bottom - 2);
    };
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      const PageScale now = ScaleOf(*sheet.GetPage(i));
      const PageScale& was = at96[static_cast<std::size_t>(i)];
      EXPECT_EQ(room(), now.at) << "below the tabs of the new font";
      ASSERT_EQ(was.pictures.size(), now.pictures.size());
      for (std::size_t p = 0; p < now.pictures.size(); ++p) {
        EXPECT_TRUE(within1(now.pictures[p].first, MulDiv(was.pictures[p].first, dpi, 96))) << p << ": " << now.pictures[p].first;
        EXPECT_TRUE(within1(now.pictures[p].second, MulDiv(was.pictures[p].second, dpi, 96))) << p << ": " << now.pictures[p].second;
      }
      ASSERT_EQ(was.listImages.size(), now.listImages.size());
      for (std::size_t l = 0; l < now.listImages.size(); ++l) {
        EXPECT_EQ(MulDiv(16, dpi, 96), now.listImages[l].first);
        EXPECT_EQ(was.listImages[l].second, now.listImages[l].second);
      }
    }
    for (const auto& o : dravon_test::OverflowingTexts(dialog.m_hWnd, dpi)) ADD_FAILURE() << o;

    monitor.MoveTo(dialog.m_hWnd, 96);
    for (int i = 0; i < 4; ++i) {
      const PageScale back = ScaleOf(*sheet.GetPage(i));
      const PageScale& was = at96[static_cast<std::size_t>(i)];
      EXPECT_EQ(was.at.TopLeft(), back.at.TopLeft()) << i;
      EXPECT_EQ(room(), back.at) << i;
      EXPECT_EQ(was.pictures, back.pictures) << i;
      EXPECT_EQ(was.listImages, back.listImages) << i;
    }
    Close();
  }
}

TEST_F(OptimizeDialog, TwoHundredChangesOfScaleLeaveNoObjectBehind) {
  const platform::OsVersion ten{10, 0, 19045, 2, ""};
  dravon_test::MonitorScale monitor(96);
  COptimizeDlg& dialog = Open(ten);
  const PageScale first = ScaleOf(*dialog.TabSheet().GetPage(0));
  for (const UINT dpi : {120u, 192u}) {
    monitor.MoveTo(dialog.m_hWnd, dpi);
    monitor.MoveTo(dialog.m_hWnd, 96);
  }
  flush_events(20);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) {
    monitor.MoveTo(dialog.m_hWnd, i % 2 ? 120 : 192);
    monitor.MoveTo(dialog.m_hWnd, 96);
  }
  flush_events(20);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(std::abs(after.gdi - before.gdi), dravon_test::kGdiCacheSlack) << before.gdi << " " << after.gdi;
  EXPECT_EQ(after.user, before.user) << dravon_test::DescribeWindows();
  const PageScale last = ScaleOf(*dialog.TabSheet().GetPage(0));
  EXPECT_EQ(first.at.TopLeft(), last.at.TopLeft());
  EXPECT_EQ(first.pictures, last.pictures);
}

// Pictures for a person to look at: the disk and the CD-ROM pages at 144
// and 192 DPI (build/win/screenshots/tunara-dpi*.bmp).
TEST_F(OptimizeDialog, ShownAtOneAndAHalfAndTwiceTheScale) {
  for (const int dpi : {144, 192}) {
    dravon_test::MonitorScale monitor(96);
    COptimizeDlg& dialog = Open();
    dialog.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    monitor.MoveTo(dialog.m_hWnd, static_cast<UINT>(dpi));
    flush_events(200);
    const std::wstring name = L"tunara-dpi" + std::to_wstring(dpi);
    dravon_test::Save(dravon_test::Capture(dialog.m_hWnd), (name + L"-disk.bmp").c_str());
    CTabSheet& sheet = dialog.TabSheet();
    const LPARAM cdrom = Centre(sheet.GetItemRect(2));
    sheet.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, cdrom);
    sheet.SendMessage(WM_LBUTTONUP, 0, cdrom);
    flush_events(200);
    dravon_test::Save(dravon_test::Capture(dialog.m_hWnd), (name + L"-cdrom.bmp").c_str());
    Close();
  }
}

// At the system's scale from the start (run by tests/win/common/at-scale.sh
// in a prefix of 144 DPI; skipped at 96): each picture the rendering for
// the DPI, the size of the 100 % one scaled, the lists' images too.
TEST_F(OptimizeDialog, OpensAtTheSystemScale) {
  ASSERT_TRUE(dravon_test::MakeProcessDpiAware()) << GetLastError();
  const int dpi = static_cast<int>(afx::SystemDpi());
  if (dpi == 96) GTEST_SKIP() << "the prefix is at 96 DPI";
  COptimizeDlg& dialog = Open();
  ASSERT_EQ(static_cast<UINT>(dpi), dialog.GetDpi());
  CTabSheet& sheet = dialog.TabSheet();
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    CDialog& page = *sheet.GetPage(i);
    const PageScale now = ScaleOf(page);
    // The template's pictures, in its order, at 100 %.
    std::vector<std::pair<int, int>> base;
    for (const afx::TemplateItem& item : afx::DialogTemplateItems(page.GetResourceModule(), page.GetTemplateId())) {
      const DWORD type = item.style & SS_TYPEMASK;
      if (!item.IsStatic() || item.titleOrdinal == 0) continue;
      if (type == SS_BITMAP) {
        HBITMAP b = static_cast<HBITMAP>(LoadImageW(page.GetResourceModule(), MAKEINTRESOURCEW(item.titleOrdinal),
                                                    IMAGE_BITMAP, 0, 0, 0));
        base.push_back(BitmapSize(b));
        DeleteObject(b);
      } else if (type == SS_ICON) {
        const int side = afx::SystemMetricForDpi(SM_CXICON, 96);
        base.push_back({side, side});
      }
    }
    ASSERT_EQ(base.size(), now.pictures.size());
    for (std::size_t p = 0; p < base.size(); ++p) {
      EXPECT_EQ(MulDiv(base[p].first, dpi, 96), now.pictures[p].first) << p;
      EXPECT_EQ(MulDiv(base[p].second, dpi, 96), now.pictures[p].second) << p;
    }
    for (const auto& list : now.listImages) EXPECT_EQ(MulDiv(16, dpi, 96), list.first);
  }
  for (const auto& o : dravon_test::OverflowingTexts(dialog.m_hWnd, dpi)) ADD_FAILURE() << o;
  dialog.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  flush_events(200);
  dravon_test::Save(dravon_test::Capture(dialog.m_hWnd), (L"tunara-start" + std::to_wstring(dpi) + L".bmp").c_str());
  Close();
}

TEST_F(OptimizeDialog, OpenedAndClosedTwoHundredTimesLeavesNothingBehind) {
  // On Windows 10: disabled rows with their tool tips, the restore button.
  const platform::OsVersion ten{10, 0, 19045, 2, ""};
  for (int i = 0; i < 3; ++i) {
    Open(ten);
    Close();
  }
  flush_events(50);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  ASSERT_GT(before.gdi, 0);
  const int endedByBase = afx::WindowsEndedByBase();
  for (int i = 0; i < 200; ++i) {
    ASSERT_NE(nullptr, Open(ten).m_hWnd);
    Close();
  }
  flush_events(50);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_GE(after.gdi, before.gdi - dravon_test::kGdiCacheSlack);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(before.user, after.user) << dravon_test::DescribeWindows();
  EXPECT_EQ(endedByBase, afx::WindowsEndedByBase());
}

}  // namespace
}  // namespace tunara_test
