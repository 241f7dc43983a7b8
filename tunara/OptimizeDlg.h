// The optimisation dialog "优化加速": one tab control carrying four pages of
// registry tweaks (hard disk, memory, CD-ROM, NTFS). All four pages are made
// when the dialog opens, so each shows the registry as it is then; every
// change is written at once, and the dialog is closed with its caption's
// close box or Esc. Its templates, icons and bitmaps come from the module
// given (the library's own).
#pragma once

#include <windows.h>

#include "framework/LibraryDialog.h"
#include "platform/RegistryRights.h"
#include "platform/RegistryWin.h"
#include "tunara/TabSheet.h"
#include "tunara/TweakPages.h"

class COptimizeDlg : public CLibraryDialog {
 public:
  COptimizeDlg(HINSTANCE module, HWND owner);

  bool OnInitDialog() override;

  CTabSheet& TabSheet() { return tabSheet_; }
  CDiskTweakPage& DiskPage() { return diskPage_; }
  CMemoryTweakPage& MemoryPage() { return memoryPage_; }
  CCdromTweakPage& CdromPage() { return cdromPage_; }
  CNtfsTweakPage& NtfsPage() { return ntfsPage_; }

 private:
  platform::RegistryWin system_;
  // What this process may write: a standard user's writes to the machine fail.
  platform::RightsRegistry registry_;
  afx::Window<CTabSheet> tabSheet_;
  afx::Window<CDiskTweakPage> diskPage_;
  afx::Window<CMemoryTweakPage> memoryPage_;
  afx::Window<CCdromTweakPage> cdromPage_;
  afx::Window<CNtfsTweakPage> ntfsPage_;
};
