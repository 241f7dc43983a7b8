// Parvane.dll as Dravon sees it: entries resolved by ordinal, the ten idle
// exports, and CRegular's modal dialog from the library's own resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/common/ModalProbe.h"

namespace {

using dravon_test::CallWithModalProbe;
using dravon_test::FindThreadWindow;
using dravon_test::kCloseBox;
using dravon_test::WithCaption;
using Entry = int (*)();

Entry EntryAt(HMODULE library, int ordinal) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

const wchar_t kCaption[] = L"参数信息";

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
  EXPECT_EQ(FindThreadWindow(WithCaption(kCaption)), nullptr);
}

TEST_F(ParvaneExports, CRegularRunsItsDialogModallyOverTheCallerAndReturnsZero) {
  // The caller: an active top-level window, as the main frame is when its
  // menu command runs.
  HWND frame = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(frame, nullptr);
  SetActiveWindow(frame);
  // What the probe saw of the dialog while CRegular's modal loop ran.
  int times = 0;
  bool ownerDisabled = false;
  bool ownedByCaller = false;
  std::wstring className;
  bool hasTab = false;
  bool hasIcon = false;
  auto inspect = [&](HWND dialog) {
    ++times;
    wchar_t name[64] = {};
    GetClassNameW(dialog, name, 64);
    className = name;
    HWND tab = GetDlgItem(dialog, 25000);
    GetClassNameW(tab, name, 64);
    hasTab = tab && std::wstring(name) == L"SysTabControl32";
    hasIcon = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0 &&
              SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) != 0;
    ownedByCaller = GetWindow(dialog, GW_OWNER) == frame;
    ownerDisabled = !IsWindowEnabled(frame);
  };

  // Closed the way a user does, with the caption's close box.
  EXPECT_EQ(CallWithModalProbe(EntryAt(library_, 3), WithCaption(kCaption), inspect, kCloseBox), 0);

  EXPECT_EQ(times, 1);
  EXPECT_EQ(className, L"#32770");
  EXPECT_TRUE(hasTab) << "tab control 25000 from template 25000";
  EXPECT_TRUE(hasIcon) << "icon 25026 as big and small icon";
  EXPECT_TRUE(ownedByCaller);
  EXPECT_TRUE(ownerDisabled) << "the caller must wait while the dialog runs";
  EXPECT_TRUE(IsWindowEnabled(frame)) << "the caller is enabled again afterwards";
  DestroyWindow(frame);
}

}  // namespace
