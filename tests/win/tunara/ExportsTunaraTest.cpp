// Tunara.dll as Dravon sees it: CRegula resolved by ordinal 1, its modal
// dialog from the library's own resources, and a fresh dialog per call.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/win/common/ModalProbe.h"

namespace {

using dravon_test::CallWithModalProbe;
using dravon_test::kCancel;
using dravon_test::WithCaption;
using Entry = int (*)();

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
  // What the probe saw of the dialogs while CRegula's modal loops ran.
  int times = 0;
  HWND last = nullptr;
  bool distinct = true;
  bool ownerDisabled = false;
  bool toolWindow = false;
  std::wstring tabText;
  bool buttonTabs = false;
  auto inspect = [&](HWND dialog) {
    ++times;
    distinct = distinct && dialog != last;
    last = dialog;
    toolWindow = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    ownerDisabled = !IsWindowEnabled(frame);
    HWND tab = GetDlgItem(dialog, 29000);
    wchar_t text[64] = {};
    GetWindowTextW(tab, text, 64);
    tabText = text;
    buttonTabs = tab && (GetWindowLongW(tab, GWL_STYLE) & TCS_BUTTONS) != 0;
  };
  for (int call = 0; call < 2; ++call) {
    SetActiveWindow(frame);
    // Closed with Esc, the other way a user ends it.
    EXPECT_EQ(CallWithModalProbe(CRegula(), WithCaption(L"优化加速"), inspect, kCancel), 0);
  }
  EXPECT_EQ(times, 2);
  EXPECT_TRUE(distinct) << "the second call builds a new dialog";
  EXPECT_TRUE(ownerDisabled) << "the caller must wait while the dialog runs";
  EXPECT_TRUE(toolWindow);
  EXPECT_EQ(tabText, L"Tab1");
  EXPECT_TRUE(buttonTabs);
  EXPECT_TRUE(IsWindowEnabled(frame));
  DestroyWindow(frame);
}

}  // namespace
