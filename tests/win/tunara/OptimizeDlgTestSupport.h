// The optimisation dialog in the test's own process, over scratch registry
// roots: the real classes (tunara_windows) with the resources of the built
// Tunara.dll, made modeless and hidden (a shown top-level window costs Wine
// seconds to end without a window manager). Helpers store values as a
// registry editor does (W functions, terminated text) and read back what the
// tweaks wrote as the A functions see it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextWin.h"
#include "tests/win/common/ScratchRegistry.h"
#include "tunara/OptimizeDlg.h"
#include "tunara/TweakTable.h"

namespace tunara_test {

using Bytes = std::vector<std::uint8_t>;
using tunara::PageId;
using tunara::TweakData;
using tunara::TweakOption;

inline constexpr PageId kPages[] = {PageId::Disk, PageId::Memory, PageId::Cdrom, PageId::Ntfs};

inline std::wstring W(std::string_view utf8) { return platform::Widen(utf8); }

// A key path as the system names it (the tables' paths end in a backslash).
inline std::wstring KeyPath(std::string_view path) {
  std::wstring key = W(path);
  while (!key.empty() && key.back() == L'\\') key.pop_back();
  return key;
}

// The bytes a write of `data` leaves, by the write format: text without a
// terminator, numbers as four little-endian bytes.
inline Bytes Encoded(std::uint32_t type, const TweakData& data) {
  if (type == REG_SZ) return Bytes(data.text.begin(), data.text.end());
  const std::uint32_t n = data.number;
  return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

inline Bytes Dword(std::uint32_t n) { return Encoded(REG_DWORD, TweakData{{}, n}); }

// The style bit: the dialog itself is hidden, so no page is "visible".
inline bool Shown(HWND wnd) { return (GetWindowLongW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }

class OptimizeDialogTest : public dravon_test::ScratchRegistry {
 protected:
  OptimizeDialogTest() : ScratchRegistry(L"OptimizeDialog") {}

  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    module_ = LoadLibraryW(L"Tunara.dll");
  }
  void SetUp() override {
    ScratchRegistry::SetUp();
    ASSERT_NE(module_, nullptr) << "Tunara.dll holds the templates";
  }
  void TearDown() override {
    Close();
    ScratchRegistry::TearDown();
  }

  // A new dialog, as CRegula makes it: every page reads the registry now.
  // Without a version (the query failed) every row has an effect.
  COptimizeDlg& Open(const std::optional<platform::OsVersion>& version = std::nullopt) {
    Close();
    dialog_ = std::make_unique<afx::Window<COptimizeDlg>>(module_, nullptr, version);
    EXPECT_TRUE(dialog_->Create());
    return *dialog_;
  }
  void Close() {
    if (dialog_ && dialog_->m_hWnd) dialog_->DestroyWindow();
    dialog_.reset();
  }
  HWND Page(PageId page) const {
    return dialog_->TabSheet().GetPage(static_cast<int>(page))->m_hWnd;
  }
  HWND Item(PageId page, int id) const { return GetDlgItem(Page(page), id); }

  // The scratch root standing in for the option's root.
  HKEY RootOf(platform::RegRoot root) const {
    return root == platform::RegRoot::CurrentUser ? cu_ : lm_;
  }
  void MakeKeyIn(platform::RegRoot root, std::string_view path) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(RootOf(root), KeyPath(path).c_str(), &h));
    RegCloseKey(h);
  }
  // Stores `data` in every value of the row, in the row's own type.
  void Store(const TweakOption& row, const TweakData& data) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(RootOf(row.root), KeyPath(row.ReadKey()).c_str(), &h));
    for (std::string_view value : row.Values()) {
      const std::wstring name = W(value);
      if (row.type == REG_SZ) {
        const std::wstring text = W(data.text);
        RegSetValueExW(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
      } else {
        const DWORD n = data.number;
        RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
      }
    }
    RegCloseKey(h);
  }
  void StoreDword(std::string_view key, std::string_view value, DWORD n) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(lm_, KeyPath(key).c_str(), &h));
    RegSetValueExW(h, W(value).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
    RegCloseKey(h);
  }
  Bytes Stored(platform::RegRoot root, std::string_view key, std::string_view value,
               DWORD* type = nullptr) const {
    return StoredA(RootOf(root), KeyPath(key), std::string(value), type);
  }

  static bool Checked(HWND control) { return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  static std::wstring Text(HWND control) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    return text;
  }
  // A click as the button takes it: pressed and released over it.
  static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
  // A slider's release where it stands, as the slider reports it.
  static void Release(HWND slider) {
    NMHDR header{slider, static_cast<UINT_PTR>(GetDlgCtrlID(slider)), NM_RELEASEDCAPTURE};
    SendMessageW(GetParent(slider), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }

  static HMODULE module_;
  std::unique_ptr<COptimizeDlg> dialog_;
};

inline HMODULE OptimizeDialogTest::module_ = nullptr;

}  // namespace tunara_test
