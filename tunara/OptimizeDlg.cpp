#include "tunara/OptimizeDlg.h"

#include "platform/Rights.h"
#include "platform/TextWin.h"
#include "res/tunara/resource.h"

COptimizeDlg::COptimizeDlg(HINSTANCE module, HWND owner)
    : CLibraryDialog(IDD_OPTIMIZE_DIALOG, IDI_OPTIMIZE_DIALOG, module, owner),
      registry_(system_, platform::StandardUserForced()),
      diskPage_(module, registry_),
      memoryPage_(module, registry_),
      cdromPage_(module, registry_),
      ntfsPage_(module, registry_) {}

bool COptimizeDlg::OnInitDialog() {
  CLibraryDialog::OnInitDialog();
  if (!tabSheet_.SubclassDlgItem(IDC_OPTIMIZE_TAB, this)) return true;
  // Tab moves into the pages, which are the tab control's children.
  tabSheet_.HostPages();
  CDialog* const pages[] = {&diskPage_, &memoryPage_, &cdromPage_, &ntfsPage_};
  for (std::size_t i = 0; i < std::size(pages); ++i) {
    tabSheet_.AddPage(platform::Widen(tunara::kPageTitles[i]).c_str(), pages[i]);
  }
  tabSheet_.ShowPages();
  return true;
}
