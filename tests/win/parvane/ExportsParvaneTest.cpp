// Parvane.dll as Dravon sees it: entries resolved by ordinal, the ten idle
// exports, and CRegular's modal dialog from the library's own resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using Entry = int (*)();

Entry EntryAt(HMODULE library, int ordinal) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

// What a thread timer saw of the dialog while CRegular's modal loop ran.
struct DialogSeen {
  HWND owner = nullptr;
  int times = 0;
  bool ownerDisabled = false;
  bool ownedByCaller = false;
  std::wstring className;
  bool hasTab = false;
  bool hasIcon = false;
};
DialogSeen g_seen;

BOOL CALLBACK FindCaption(HWND wnd, LPARAM found) {
  wchar_t text[64] = {};
  GetWindowTextW(wnd, text, 64);
  if (std::wstring(text) == L"参数信息" && IsWindowVisible(wnd)) {
    *reinterpret_cast<HWND*>(found) = wnd;
    return FALSE;
  }
  return TRUE;
}

// Runs inside the dialog's modal loop: looks at the dialog, then closes it
// the way a user does, with the caption's close box.
void CALLBACK InspectAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindCaption, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  KillTimer(nullptr, timer);
  ++g_seen.times;
  wchar_t name[64] = {};
  GetClassNameW(dialog, name, 64);
  g_seen.className = name;
  HWND tab = GetDlgItem(dialog, 25000);
  GetClassNameW(tab, name, 64);
  g_seen.hasTab = tab && std::wstring(name) == L"SysTabControl32";
  g_seen.hasIcon = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0 &&
                   SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) != 0;
  g_seen.ownedByCaller = GetWindow(dialog, GW_OWNER) == g_seen.owner;
  g_seen.ownerDisabled = g_seen.owner && !IsWindowEnabled(g_seen.owner);
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

class ParvaneExports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { library_ = LoadLibraryW(L"Parvane.dll"); }
  static void TearDownTestSuite() { FreeLibrary(library_); }
  void SetUp() override { ASSERT_NE(library_, nullptr); }
  static HMODULE library_;
};
HMODULE ParvaneExports::library_ = nullptr;

TEST_F(ParvaneExports, OrdinalsOneToElevenAreTheNamedEntries) {
  const char* names[] = {"TUNARA",   "CRemove",     "CRegular",    "Cconstructor",
                         "Cgenerated", "Cdeclarations", "CGetLast",  "CBeginDefer",
                         "CClassName", "CGetKeyState", "CPeekMessage"};
  for (int ordinal = 1; ordinal <= 11; ++ordinal) {
    SCOPED_TRACE(names[ordinal - 1]);
    const FARPROC byOrdinal = GetProcAddress(library_, MAKEINTRESOURCEA(ordinal));
    ASSERT_NE(byOrdinal, nullptr);
    EXPECT_EQ(byOrdinal, GetProcAddress(library_, names[ordinal - 1]));
  }
  EXPECT_EQ(GetProcAddress(library_, MAKEINTRESOURCEA(12)), nullptr);
}

TEST_F(ParvaneExports, TheTenOtherEntriesReturnZeroAndOpenNothing) {
  for (int ordinal = 1; ordinal <= 11; ++ordinal) {
    if (ordinal == 3) continue;
    SCOPED_TRACE(ordinal);
    EXPECT_EQ(EntryAt(library_, ordinal)(), 0);
  }
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindCaption, reinterpret_cast<LPARAM>(&dialog));
  EXPECT_EQ(dialog, nullptr);
}

TEST_F(ParvaneExports, CRegularRunsItsDialogModallyOverTheCallerAndReturnsZero) {
  // The caller: an active top-level window, as the main frame is when its
  // menu command runs.
  HWND frame = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(frame, nullptr);
  SetActiveWindow(frame);
  g_seen = {};
  g_seen.owner = frame;
  SetTimer(nullptr, 0, 50, InspectAndClose);

  EXPECT_EQ(EntryAt(library_, 3)(), 0);

  EXPECT_EQ(g_seen.times, 1);
  EXPECT_EQ(g_seen.className, L"#32770");
  EXPECT_TRUE(g_seen.hasTab) << "tab control 25000 from template 25000";
  EXPECT_TRUE(g_seen.hasIcon) << "icon 25026 as big and small icon";
  EXPECT_TRUE(g_seen.ownedByCaller);
  EXPECT_TRUE(g_seen.ownerDisabled) << "the caller must wait while the dialog runs";
  EXPECT_TRUE(IsWindowEnabled(frame)) << "the caller is enabled again afterwards";
  DestroyWindow(frame);
}

}  // namespace
