#include "parvane/InfoDialog.h"

#include "res/parvane/resource.h"

CInfoDialog::CInfoDialog(HINSTANCE module, HWND owner)
    : CDialog(IDD_INFO_DIALOG, nullptr, module) {
  SetOwner(owner);
}

bool CInfoDialog::OnInitDialog() {
  SetIcon(LoadIconResource(IDI_INFO_DIALOG, true), true);
  SetIcon(LoadIconResource(IDI_INFO_DIALOG, false), false);
  return true;
}
