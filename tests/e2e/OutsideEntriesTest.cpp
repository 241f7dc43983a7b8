// The contract the end-to-end runs rely on: Scavra answers at ordinal 1
// with a modal window over the caller. (The skin engine AppFace, USB write
// protection and Scavra's own workings have their tests in tests/win/outside.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/common/ModalProbe.h"

namespace {

using dravon_test::CallWithModalProbe;
using dravon_test::kOk;
using dravon_test::WithClass;
using Entry = int (*)();

void ExpectModalWindow(const wchar_t* dll, const wchar_t* caption,
                       dravon_test::CloseBy close = kOk) {
  HMODULE library = LoadLibraryW(dll);
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(1))));
  ASSERT_NE(entry, nullptr);
  HWND frame = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetActiveWindow(frame);
  // What the probe saw of the message window.
  std::wstring seenCaption;
  bool ownedByCaller = false;
  auto inspect = [&](HWND box) {
    wchar_t text[64] = {};
    GetWindowTextW(box, text, 64);
    seenCaption = text;
    ownedByCaller = GetWindow(box, GW_OWNER) == frame;
  };
  EXPECT_EQ(CallWithModalProbe(entry, WithClass(L"#32770"), inspect, close), 0);
  EXPECT_EQ(seenCaption, caption);
  EXPECT_TRUE(ownedByCaller);
  DestroyWindow(frame);
  FreeLibrary(library);
}

TEST(OutsideEntries, ScavraShowsAModalWindowAtOrdinalOne) {
  ExpectModalWindow(L"Scavra.dll", L"系统扫描与垃圾清理", dravon_test::kCancel);
}

}  // namespace
