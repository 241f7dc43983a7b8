// The optimisation dialog "优化加速": one tab control carrying four pages of
// registry tweaks (hard disk, memory, CD-ROM, NTFS). All four pages are made
// when the dialog opens, so each shows the registry as it is then; every
// change is written at once, and the dialog is closed with its caption's
// close box or Esc. Its templates, icons and bitmaps come from the module
// given (the library's own).
#pragma once

#include <windows.h>

#include "framework/LibraryDialog.h"
#include "platform/RegistryWin.h"
#include "tunara/TabSheet.h"
#include "tunara/TweakPages.h"

class COptimizeDlg : public CLibraryDialog {
 public:
  COptimizeDlg(HINSTANCE module, HWND owner);

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  CTabSheet& TabSheet() { return tabSheet_; }
  CDiskTweakPage& DiskPage() { return diskPage_; }
  CMemoryTweakPage& MemoryPage() { return memoryPage_; }
  CCdromTweakPage& CdromPage() { return cdromPage_; }
  CNtfsTweakPage& NtfsPage() { return ntfsPage_; }

 private:
  void OnPaint();

  platform::RegistryWin registry_;
  HICON icon_;  // shared with the module: never destroyed
  CTabSheet tabSheet_;
  CDiskTweakPage diskPage_;
  CMemoryTweakPage memoryPage_;
  CCdromTweakPage cdromPage_;
  CNtfsTweakPage ntfsPage_;
};
