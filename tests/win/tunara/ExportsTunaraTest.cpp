// Tunara.dll as Dravon sees it: CRegula resolved by ordinal 1, its modal
// dialog from the library's own resources, and a fresh dialog per call.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

using Entry = int (*)();

struct DialogSeen {
  HWND owner = nullptr;
  int times = 0;
  HWND last = nullptr;
  bool distinct = true;
  bool ownerDisabled = false;
  bool toolWindow = false;
  std::wstring tabText;
  bool buttonTabs = false;
};
DialogSeen g_seen;

BOOL CALLBACK FindCaption(HWND wnd, LPARAM found) {
  wchar_t text[64] = {};
  GetWindowTextW(wnd, text, 64);
  if (std::wstring(text) == L"优化加速" && IsWindowVisible(wnd)) {
    *reinterpret_cast<HWND*>(found) = wnd;
    return FALSE;
  }
  return TRUE;
}

// Runs inside the dialog's modal loop: looks at the dialog, then closes it
// with Esc, the other way a user ends it.
void CALLBACK InspectAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindCaption, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  KillTimer(nullptr, timer);
  ++g_seen.times;
  g_seen.distinct = g_seen.distinct && dialog != g_seen.last;
  g_seen.last = dialog;
  g_seen.toolWindow = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  g_seen.ownerDisabled = g_seen.owner && !IsWindowEnabled(g_seen.owner);
  HWND tab = GetDlgItem(dialog, 29000);
  wchar_t text[64] = {};
  GetWindowTextW(tab, text, 64);
  g_seen.tabText = text;
  g_seen.buttonTabs = tab && (GetWindowLongW(tab, GWL_STYLE) & TCS_BUTTONS) != 0;
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

class TunaraExports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { library_ = LoadLibraryW(L"Tunara.dll"); }
  static void TearDownTestSuite() { FreeLibrary(library_); }
  void SetUp() override { ASSERT_NE(library_, nullptr); }
  static Entry CRegula() {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(1))));
  }
  static HMODULE library_;
};
HMODULE TunaraExports::library_ = nullptr;

TEST_F(TunaraExports, OrdinalOneIsCRegulaAndTheOnlyEntry) {
  ASSERT_NE(CRegula(), nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(CRegula()), reinterpret_cast<void*>(GetProcAddress(library_, "CRegula")));
  EXPECT_EQ(GetProcAddress(library_, MAKEINTRESOURCEA(2)), nullptr);
}

TEST_F(TunaraExports, EachCallRunsANewModalDialogOverTheCallerAndReturnsZero) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(frame, nullptr);
  g_seen = {};
  g_seen.owner = frame;
  for (int call = 0; call < 2; ++call) {
    SetActiveWindow(frame);
    SetTimer(nullptr, 0, 50, InspectAndClose);
    EXPECT_EQ(CRegula()(), 0);
  }
  EXPECT_EQ(g_seen.times, 2);
  EXPECT_TRUE(g_seen.distinct) << "the second call builds a new dialog";
  EXPECT_TRUE(g_seen.ownerDisabled) << "the caller must wait while the dialog runs";
  EXPECT_TRUE(g_seen.toolWindow);
  EXPECT_EQ(g_seen.tabText, L"Tab1");
  EXPECT_TRUE(g_seen.buttonTabs);
  EXPECT_TRUE(IsWindowEnabled(frame));
  DestroyWindow(frame);
}

}  // namespace
