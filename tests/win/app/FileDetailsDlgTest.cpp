// The file details window on a folder made for the test: its tabs and
// lists, sorting by a click on a header, the filter and minimum size as
// the user types, the open, copy, Recycle Bin and export commands, and
// many openings with nothing left behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <memory>
#include <string>

#include "FakeSystem.h"
#include "TestPump.h"
#include "app/FileDetailsDlg.h"
#include "framework/WinApp.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/common/WindowPicture.h"
#include "tests/win/diskview/WinTempTree.h"

namespace {

using diskview::test::WinTempTree;

std::string Cell(HWND list, int row, int column) {
  wchar_t text[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return platform::Narrow(text);
}

int Rows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// A click on header item `column` of a list, by mouse messages to the header.
void ClickHeader(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT r{};
  SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(header, WM_LBUTTONUP, 0, at);
  flush_events(5);
}

class FileDetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree.Folder(L"data"));
    ASSERT_TRUE(tree.File(L"data\\big.ISO", 50000));
    ASSERT_TRUE(tree.File(L"data\\notes.txt", 300));
    ASSERT_TRUE(tree.Folder(L"data\\sub"));
    ASSERT_TRUE(tree.File(L"data\\sub\\a,b.TXT", 7000));
    ASSERT_TRUE(tree.File(L"data\\sub\\Makefile", 900));
    folder = CString(tree.Full(L"data").c_str()).ToUtf8();
  }
  // Opens the window modeless and waits for its numbers.
  std::unique_ptr<afx::Window<CFileDetailsDlg>> Open() {
    auto dlg = std::make_unique<afx::Window<CFileDetailsDlg>>(system, folder, diskview::ProtectedFolders{});
    EXPECT_TRUE(dlg->Create());
    EXPECT_TRUE(wait_for([&] { return dlg->Gathered(); }));
    flush_events(5);
    return dlg;
  }
  CWinApp app{L"details tests"};
  FakeSystem system;
  WinTempTree tree;
  std::string folder;
};

TEST_F(FileDetailsTest, TabsListsAndSortingByHeader) {
  auto dlg = Open();
  wchar_t title[512] = {};
  GetWindowTextW(dlg->m_hWnd, title, 512);
  EXPECT_EQ(platform::Narrow(title), "文件详情 – " + folder);
  HWND files = dlg->GetDlgItem(IDC_DETAILS_FILES);
  HWND types = dlg->GetDlgItem(IDC_DETAILS_TYPES);
  ASSERT_EQ(Rows(files), 4);
  EXPECT_EQ(Cell(files, 0, 0), "big.ISO");
  EXPECT_EQ(Cell(files, 0, 1), "48.83 Kb");
  EXPECT_EQ(Cell(files, 0, 3), ".");
  EXPECT_EQ(Cell(files, 1, 0), "a,b.TXT");
  EXPECT_EQ(Cell(files, 1, 3), "sub");
  EXPECT_EQ(Cell(files, 3, 0), "notes.txt");

  ClickHeader(files, 0);  // by name, A to Z
  EXPECT_EQ(Cell(files, 0, 0), "Makefile");
  EXPECT_EQ(Cell(files, 3, 0), "notes.txt");
  ClickHeader(files, 0);  // and back
  EXPECT_EQ(Cell(files, 0, 0), "notes.txt");
  ClickHeader(files, 1);  // by size, largest first
  EXPECT_EQ(Cell(files, 0, 0), "big.ISO");

  // The types: folded, no extension named, shares of the total.
  HWND tabs = dlg->GetDlgItem(IDC_DETAILS_TABS);
  RECT tab{};
  TabCtrl_GetItemRect(tabs, 1, &tab);
  const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(tabs, WM_LBUTTONUP, 0, at);
  auto shown = [](HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0; };
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 1);
  EXPECT_TRUE(shown(types));
  EXPECT_FALSE(shown(files));
  EXPECT_FALSE(shown(dlg->GetDlgItem(IDC_DETAILS_FILTER)));
  ASSERT_EQ(Rows(types), 3);
  EXPECT_EQ(Cell(types, 0, 0), ".iso");
  EXPECT_EQ(Cell(types, 1, 0), ".txt");
  EXPECT_EQ(Cell(types, 1, 1), "2");
  EXPECT_EQ(Cell(types, 2, 0), "（无扩展名）");
  EXPECT_EQ(Cell(types, 2, 3), "1.5 %");
  ClickHeader(types, 1);  // by count, most first
  EXPECT_EQ(Cell(types, 0, 0), ".txt");
  EXPECT_EQ(dlg->Stats()->TotalBytes(), 58200u);
}

TEST_F(FileDetailsTest, FilterAndMinimumSizeAsTheUserTypes) {
  auto dlg = Open();
  HWND files = dlg->GetDlgItem(IDC_DETAILS_FILES);
  SetDlgItemTextW(dlg->m_hWnd, IDC_DETAILS_FILTER, L"*.txt");
  EXPECT_EQ(Rows(files), 2);
  SetDlgItemTextW(dlg->m_hWnd, IDC_DETAILS_MIN_SIZE, L"1");
  ASSERT_EQ(Rows(files), 1);
  EXPECT_EQ(Cell(files, 0, 0), "a,b.TXT");
  SetDlgItemTextW(dlg->m_hWnd, IDC_DETAILS_FILTER, L"MAKE");
  EXPECT_EQ(Rows(files), 0) << "900 bytes are below 1 KB";
  SetDlgItemTextW(dlg->m_hWnd, IDC_DETAILS_MIN_SIZE, L"");
  ASSERT_EQ(Rows(files), 1);
  EXPECT_EQ(Cell(files, 0, 0), "Makefile");
}

TEST_F(FileDetailsTest, OpenCopyRecycleAndExport) {
  auto dlg = Open();
  HWND files = dlg->GetDlgItem(IDC_DETAILS_FILES);
  ListView_SetItemState(files, 1, LVIS_SELECTED, LVIS_SELECTED);  // a,b.TXT
  SendMessageW(dlg->GetDlgItem(IDC_DETAILS_OPEN), BM_CLICK, 0, 0);
  ASSERT_FALSE(system.calls.empty());
  EXPECT_EQ(system.calls.back(), L"select:" + tree.Full(L"data\\sub\\a,b.TXT"));

  ListView_SetItemState(files, 3, LVIS_SELECTED, LVIS_SELECTED);  // notes.txt too
  SendMessageW(dlg->GetDlgItem(IDC_DETAILS_COPY), BM_CLICK, 0, 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(text, tree.Full(L"data\\sub\\a,b.TXT") + L"\r\n" + tree.Full(L"data\\notes.txt"));

  system.answer = IDYES;
  SendMessageW(dlg->GetDlgItem(IDC_DETAILS_RECYCLE), BM_CLICK, 0, 0);
  EXPECT_EQ(system.calls[system.calls.size() - 3],
            L"box:确定要把“a,b.TXT 等 2 个文件”（7.13 Kb，2 个文件）移到回收站吗？|删除到回收站|" +
                std::to_wstring(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(GetFileAttributesW(tree.Full(L"data\\notes.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Rows(files), 2);

  const std::wstring csv = tree.Full(L"export.csv");
  dlg->SetExportPath(csv);
  SendMessageW(dlg->GetDlgItem(IDC_DETAILS_EXPORT), BM_CLICK, 0, 0);
  std::ifstream in(std::filesystem::path(csv), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(bytes.find("名称,大小（字节）,修改时间,文件夹\r\nbig.ISO,50000,"), std::string::npos);
  EXPECT_EQ(bytes.find("a,b.TXT"), std::string::npos) << "moved to the Recycle Bin";
  EXPECT_NE(bytes.find("\r\niso,1,50000,85.9\r\n"), std::string::npos);
}

// The labels of the filter row lie on the files' tab: behind their text is
// the tab's body, as just above them, not the dialog's face - also once the
// window has another size.
TEST_F(FileDetailsTest, TheFilterLabelsShowTheTabsBackground) {
  auto dlg = Open();
  ShowWindow(dlg->m_hWnd, SW_SHOWNORMAL);
  for (int grow : {0, 120}) {
    SCOPED_TRACE(grow);
    if (grow) {
      const CRect r = dlg->GetWindowRect();
      dlg->SetWindowPos(nullptr, 0, 0, r.Width() + grow, r.Height() + grow, SWP_NOMOVE | SWP_NOZORDER);
    }
    RedrawWindow(dlg->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    flush_events(20);
    const dravon_test::Image picture = dravon_test::Capture(dlg->m_hWnd);
    RECT window{};
    GetWindowRect(dlg->m_hWnd, &window);
    for (int id : {IDC_DETAILS_FILTER_LABEL, IDC_DETAILS_MIN_LABEL}) {
      RECT label{};
      GetWindowRect(dlg->GetDlgItem(id), &label);
      OffsetRect(&label, -window.left, -window.top);
      const COLORREF body = picture.At(label.left, label.top - 1);
      int others = 0;
      for (int x = label.left; x < label.right; ++x) others += picture.At(x, label.bottom - 1) != body;
      EXPECT_EQ(others, 0) << "label " << id << " on the tab's " << std::hex << body;
    }
    if (!grow) dravon_test::Save(picture, L"details-labels.bmp");
  }
}

// The room a tab leaves beside its text: the tab's width less the text's.
int TabRoom(HWND tabs, int item, const wchar_t* text) {
  RECT r{};
  TabCtrl_GetItemRect(tabs, item, &r);
  HDC dc = GetDC(tabs);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(tabs, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(tabs, dc);
  return (r.right - r.left) - size.cx;
}

TEST_F(FileDetailsTest, TheTabsKeepTheirRoomAtAnotherScale) {
  dravon_test::MonitorScale scale(96);
  auto dlg = Open();
  HWND tabs = dlg->GetDlgItem(IDC_DETAILS_TABS);
  const int room96 = TabRoom(tabs, 0, L"最大的文件");
  // The columns follow too, a width the user set in proportion.
  HWND files = dlg->GetDlgItem(IDC_DETAILS_FILES), types = dlg->GetDlgItem(IDC_DETAILS_TYPES);
  ListView_SetColumnWidth(files, 1, 150);
  const int types96 = ListView_GetColumnWidth(types, 0);
  scale.MoveTo(dlg->m_hWnd, 192);
  flush_events(5);
  EXPECT_NEAR(TabRoom(tabs, 0, L"最大的文件"), 2 * room96, 2) << "the padding scaled with the text";
  EXPECT_EQ(ListView_GetColumnWidth(files, 0), 400);
  EXPECT_EQ(ListView_GetColumnWidth(files, 1), 300);
  EXPECT_EQ(ListView_GetColumnWidth(types, 0), 2 * types96);
  scale.MoveTo(dlg->m_hWnd, 96);
  flush_events(5);
  EXPECT_EQ(TabRoom(tabs, 0, L"最大的文件"), room96);
  EXPECT_EQ(ListView_GetColumnWidth(files, 0), 200);
  EXPECT_EQ(ListView_GetColumnWidth(files, 1), 150);
}

TEST_F(FileDetailsTest, OpenedManyTimesLeavesNothingBehind) {
  auto cycle = [&] {
    afx::Window<CFileDetailsDlg> dlg(system, folder, diskview::ProtectedFolders{});
    ASSERT_TRUE(dlg.Create());
    wait_for([&] { return dlg.Gathered(); });
    flush_events(1);
  };
  cycle();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 200; ++i) cycle();
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_EQ(after.user, before.user);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
}

}  // namespace
