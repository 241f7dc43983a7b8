#include "tunara/OptimizeDlg.h"

#include "res/tunara/resource.h"

COptimizeDlg::COptimizeDlg(HINSTANCE module, HWND owner)
    : CDialog(IDD_OPTIMIZE_DIALOG, nullptr, module) {
  SetOwner(owner);
}

bool COptimizeDlg::OnInitDialog() {
  SetIcon(LoadIconResource(IDI_OPTIMIZE_DIALOG, true), true);
  SetIcon(LoadIconResource(IDI_OPTIMIZE_DIALOG, false), false);
  return true;
}
