// The optimisation dialog "优化加速": one tab control carrying four pages of
// registry tweaks (hard disk, memory, CD-ROM, NTFS). All four pages are made
// when the dialog opens, so each shows the registry as it is then; every
// change is written at once, and the dialog is closed with its caption's
// close box or Esc. Below the tabs, "恢复原始设置" puts back every value the
// pages ever changed (tunara/OriginalSettings.h), then every page reads the
// registry again; the line beside it tells how it went. Without
// administrator rights the button carries the shield and asks first, as
// the frame's commands do. Its templates, icons and bitmaps come from the
// module given (the library's own).
#pragma once

#include <windows.h>

#include <optional>

#include "framework/Controls.h"
#include "framework/Elevation.h"
#include "framework/LibraryDialog.h"
#include "platform/OsVersion.h"
#include "platform/RegistryRights.h"
#include "platform/RegistryWin.h"
#include "tunara/TabSheet.h"
#include "tunara/TweakPages.h"

class COptimizeDlg : public CLibraryDialog {
 public:
  // `version`: the running Windows, which decides the rows that have an
  // effect (nothing: unknown, every row has one).
  COptimizeDlg(HINSTANCE module, HWND owner, const std::optional<platform::OsVersion>& version);

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  CTabSheet& TabSheet() { return tabSheet_; }
  CDiskTweakPage& DiskPage() { return diskPage_; }
  CMemoryTweakPage& MemoryPage() { return memoryPage_; }
  CCdromTweakPage& CdromPage() { return cdromPage_; }
  CNtfsTweakPage& NtfsPage() { return ntfsPage_; }

  // How the question for the rights is asked and the program restarted
  // with them (tests answer for the user).
  void SetRightsSeams(afx::AskFn ask, afx::RestartFn restart) {
    ask_ = std::move(ask);
    restart_ = std::move(restart);
  }

 private:
  void OnRestore();
  // The button is enabled while anything is on record.
  void RefreshRestoreButton();

  platform::RegistryWin system_;
  // What this process may write: a standard user's writes to the machine fail.
  platform::RightsRegistry registry_;
  afx::Window<CTabSheet> tabSheet_;
  afx::Window<CDiskTweakPage> diskPage_;
  afx::Window<CMemoryTweakPage> memoryPage_;
  afx::Window<CCdromTweakPage> cdromPage_;
  afx::Window<CNtfsTweakPage> ntfsPage_;
  afx::AskFn ask_;
  afx::RestartFn restart_;
};
