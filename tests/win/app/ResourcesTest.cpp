// The program's resources: menu texts and identifiers, accelerators,
// strings and the dialogs' geometry.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "TestPump.h"
#include "app/BannerDlg.h"
#include "app/diskview/InfoLayout.h"
#include "framework/Art.h"
#include "framework/Menu.h"
#include "framework/WinApp.h"
#include "platform/TextWin.h"
#include "app/diskview/InfoLayout.h"
#include "res/app/resource.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"

namespace {

struct Item {
  std::wstring text;  // empty for a separator
  UINT id;
};

std::vector<Item> Items(HMENU popup) {
  std::vector<Item> items;
  for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i) {
    wchar_t text[128] = L"";
    GetMenuStringW(popup, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    items.push_back({text, GetMenuItemID(popup, i)});
  }
  return items;
}

bool operator==(const Item& a, const Item& b) { return a.text == b.text && a.id == b.id; }

}  // namespace

TEST(MainMenu, HasTheExactTextsAndIdentifiers) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(menu, nullptr);
  const std::vector<std::wstring> popups = {L"窗口 (&V)", L"功能(&F)", L"工具(&E)", L"换肤", L"帮助(&H)"};
  ASSERT_EQ(GetMenuItemCount(menu), 5);
  for (int i = 0; i < 5; ++i) {
    wchar_t text[64];
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(text, popups[static_cast<size_t>(i)]);
  }
  const std::vector<std::vector<Item>> expected = {
      {{L"窗口至顶  Ctrl+E", 32786}, {L"最大化      Ctrl+O", 32772}, {L"最小化      Ctrl+P", 32773},
       {L"隐藏          Ctrl+U", 32774}, {L"退出(&X)", 57665}},
      {{L"", 0}, {L"参数信息        Ctrl+A", 32776}, {L"优化加速        Ctrl+S", 32777},
       {L"USB功能          Ctrl+D", 32778}, {L"系统扫描        Ctrl+F", 32779}},
      {{L"", 0}, {L"注销", 32780}, {L"重启", 32781}, {L"关机", 32782}},
      {{L"皮肤一", 32787}, {L"皮肤二", 32788}},
      {{L"关于 Dravon", 57664}, {L"检测更新", 32790}},
  };
  for (int i = 0; i < 5; ++i) {
    std::vector<Item> got = Items(GetSubMenu(menu, i));
    EXPECT_TRUE(got == expected[static_cast<size_t>(i)]) << "popup " << i;
  }
  DestroyMenu(menu);
}

TEST(MainMenu, AcceleratorTableMapsEveryKey) {
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(table, nullptr);
  int n = CopyAcceleratorTableW(table, nullptr, 0);
  std::vector<ACCEL> keys(static_cast<size_t>(n));
  CopyAcceleratorTableW(table, keys.data(), n);
  auto has = [&](BYTE mods, WORD key, WORD cmd) {
    return std::any_of(keys.begin(), keys.end(), [&](const ACCEL& a) {
      return (a.fVirt & ~FNOINVERT) == (FVIRTKEY | mods) && a.key == key && a.cmd == cmd;
    });
  };
  EXPECT_EQ(n, 18);
  EXPECT_TRUE(has(FCONTROL, 'E', 32786));
  EXPECT_TRUE(has(FCONTROL, 'O', 32772));
  EXPECT_TRUE(has(FCONTROL, 'P', 32773));
  EXPECT_TRUE(has(FCONTROL, 'U', 32774));
  EXPECT_TRUE(has(FCONTROL, 'A', 32776));
  EXPECT_TRUE(has(FCONTROL, 'S', 32777));
  EXPECT_TRUE(has(FCONTROL, 'D', 32778));
  EXPECT_TRUE(has(FCONTROL, 'F', 32779));
  EXPECT_TRUE(has(FCONTROL, 'C', 57634));
  EXPECT_TRUE(has(FCONTROL, VK_INSERT, 57634));
  EXPECT_TRUE(has(FSHIFT, VK_INSERT, 57637));
  EXPECT_TRUE(has(FCONTROL, 'X', 57635));
  EXPECT_TRUE(has(FSHIFT, VK_DELETE, 57635));
  EXPECT_TRUE(has(FCONTROL, 'Z', 57643));
  EXPECT_TRUE(has(FALT, VK_BACK, 57643));
  EXPECT_TRUE(has(0, VK_F6, 57680));
  EXPECT_TRUE(has(FSHIFT, VK_F6, 57681));
  EXPECT_TRUE(has(FCONTROL, 'N', 57600));
  DestroyAcceleratorTable(table);
}

TEST(Strings, TitlePromptsAndFrameworkTexts) {
  CString s;
  ASSERT_TRUE(s.LoadString(IDR_MAINFRAME));
  EXPECT_EQ(s, L"Dravon   V1.3\n\nKestri\n\n\nKestrin.Document\nKestri Document");
  s.LoadString(ID_FUNC_INFO);
  EXPECT_EQ(s, L"Show Text\n 参数信息        Ctrl+A");
  s.LoadString(ID_FUNC_OPTIMIZE);
  EXPECT_EQ(s, L"Show Text\n 优化加速        Ctrl+S");
  s.LoadString(ID_FUNC_USB);
  EXPECT_EQ(s, L"Show Text\n USB功能          Ctrl+D");
  s.LoadString(ID_FUNC_SCAN);
  EXPECT_EQ(s, L"Show Text\n 系统扫描        Ctrl+F");
  s.LoadString(57344);
  EXPECT_EQ(s, L"Velmora");
  s.LoadString(57345);
  EXPECT_EQ(s, L"就绪");
}

TEST(Strings, TheInfoRowsPortableTextsAreTheStringTables) {
  // The disk overview's plans use InfoString; the windows load the table.
  for (int key = IDS_INFO_PARTITION; key <= IDS_WORD_FOLDERS; ++key) {
    CString s;
    ASSERT_TRUE(s.LoadString(static_cast<UINT>(key))) << key;
    EXPECT_EQ(s.ToUtf8(), diskview::InfoString(key)) << key;
  }
}

TEST(Strings, VersionRecordNamesTheProgramInChinese) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  DWORD size = GetFileVersionInfoSizeW(self, nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block.data()));
  WORD* lang = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&lang), &len));
  ASSERT_GE(len, 4u);
  EXPECT_EQ(lang[0], 0x0804);
  EXPECT_EQ(lang[1], 1200);
  auto text = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT n = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &n)) {
      return std::wstring();
    }
    return std::wstring(value);
  };
  EXPECT_EQ(text(L"ProductName"), L"Dravon 应用程序");
  EXPECT_EQ(text(L"OriginalFilename"), L"Dravon.EXE");
  EXPECT_EQ(text(L"FileVersion"), L"1, 0, 0, 3");
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000003u);
}

namespace {

// Positions and sizes map separately, as the dialog manager maps them.
CRect DialogUnits(HWND dlg, int x, int y, int cx, int cy) {
  RECT r{x, y, cx, cy};
  MapDialogRect(dlg, &r);
  return CRect(r.left, r.top, r.left + r.right, r.top + r.bottom);
}

CRect ChildRect(HWND dlg, HWND child) {
  CRect r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND ChildWithText(HWND dlg, const wchar_t* text) {
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t buf[128];
    GetWindowTextW(c, buf, 128);
    if (wcscmp(buf, text) == 0) return c;
  }
  return nullptr;
}

}  // namespace

void PrintTo(const CRect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

TEST(AboutBox, HasItsCaptionTextsAndPlaces) {
  CWinApp app(L"Resources Test");
  afx::Window<CAboutDlg> about;
  ASSERT_TRUE(about.Create());
  HWND dlg = about.m_hWnd;
  EXPECT_EQ(about.GetWindowText(), L"关于 Dravon");
  CRect client = about.GetClientRect();
  CRect size = DialogUnits(dlg, 0, 0, 227, 199);
  EXPECT_EQ(client.Width(), size.Width());
  EXPECT_EQ(client.Height(), size.Height());

  HWND ok = GetDlgItem(dlg, IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ChildRect(dlg, ok), DialogUnits(dlg, 161, 173, 50, 14));
  wchar_t text[32];
  GetWindowTextW(ok, text, 32);
  EXPECT_STREQ(text, L"确定");

  struct Line {
    const wchar_t* text;
    int x, y;
  };
  const Line lines[] = {{L"Dravon V1.3 版", 74, 41},
                        {L"功能：", 25, 74},
                        {L"1.3D图形显示磁盘空间和文件夹大小", 25, 88},
                        {L"2.自动检测硬盘，USB，CDROM等信息参数", 25, 101},
                        {L"3.优化和加速硬盘和CDROM", 25, 114},
                        {L"4.设置U盘读写保护 读写状态", 25, 127},
                        {L"5.快速磁盘垃圾扫描清理", 25, 140}};
  for (const Line& l : lines) {
    HWND c = ChildWithText(dlg, l.text);
    ASSERT_NE(c, nullptr) << platform::Narrow(l.text);
    CRect at = DialogUnits(dlg, l.x, l.y, 0, 0);
    EXPECT_EQ(ChildRect(dlg, c).TopLeft().x, at.left);
    EXPECT_EQ(ChildRect(dlg, c).TopLeft().y, at.top);
  }
  // The picture fills its place with bitmap 157.
  HWND pic = nullptr;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) pic = c;
  }
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(ChildRect(dlg, pic), DialogUnits(dlg, 7, 7, 213, 26));
  EXPECT_NE(SendMessageW(pic, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  about.SendMessage(WM_COMMAND, IDOK);
  EXPECT_EQ(about.m_hWnd, nullptr);
}

// The About box's picture control and the size of the bitmap it shows.
std::pair<HWND, CSize> AboutPicture(HWND dlg) {
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
    BITMAP bm{};
    auto shown = reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (!shown || !GetObjectW(shown, sizeof bm, &bm)) return {c, CSize()};
    return {c, CSize(bm.bmWidth, bm.bmHeight)};
  }
  return {nullptr, CSize()};
}

TEST(AboutBox, TakesThePictureForEachNewScaleWhileOpenAndFreesTheOneItReplaced) {
  CWinApp app(L"Resources Test");
  dravon_test::MonitorScale scale(96);
  afx::Window<CAboutDlg> about;
  ASSERT_TRUE(about.Create());
  const auto [picture, at96] = AboutPicture(about.m_hWnd);
  ASSERT_NE(picture, nullptr);
  for (UINT dpi : {120u, 144u, 192u, 96u}) {
    SCOPED_TRACE(dpi);
    scale.MoveTo(about.m_hWnd, dpi);
    CBitmap expected;
    expected.Attach(afx::LoadBitmapForDpi(IDB_ABOUT, dpi));
    ASSERT_TRUE(expected);
    const CSize shown = AboutPicture(about.m_hWnd).second;
    EXPECT_EQ(shown, expected.GetSize()) << "the rendering for the scale";
    EXPECT_NEAR(shown.cx, MulDiv(at96.cx, static_cast<int>(dpi), 96), 1);
    EXPECT_EQ(ChildRect(about.m_hWnd, picture).Size(), shown) << "the control fits it";
  }
  // Once round first: what the system makes on first use stays.
  for (UINT dpi : {120u, 144u, 192u, 96u}) scale.MoveTo(about.m_hWnd, dpi);
  flush_events();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 200; ++i) scale.MoveTo(about.m_hWnd, i % 2 ? 96u : 144u);
  flush_events();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack) << "no bitmap or font left per change";
  EXPECT_EQ(after.user, before.user);
  about.DestroyWindow();
}

TEST(Banner, IsABorderlessPictureCentredOnTheScreen) {
  CWinApp app(L"Resources Test");
  afx::Window<CBannerDlg> banner;
  ASSERT_TRUE(banner.Create());
  HWND dlg = banner.m_hWnd;
  EXPECT_FALSE(banner.GetStyle() & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
  CRect r = banner.GetWindowRect();
  CRect size = DialogUnits(dlg, 0, 0, 283, 49);
  EXPECT_EQ(r.Width(), size.Width());
  EXPECT_EQ(r.Height(), size.Height());
  CRect screen;
  GetWindowRect(GetDesktopWindow(), &screen);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - (screen.left + screen.right) / 2), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - (screen.top + screen.bottom) / 2), 1);
  HWND pic = GetWindow(dlg, GW_CHILD);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(ChildRect(dlg, pic), CRect(0, 0, size.Width(), size.Height()));
  EXPECT_NE(SendMessageW(pic, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  banner.DestroyWindow();
}
