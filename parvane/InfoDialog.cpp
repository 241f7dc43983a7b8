#include "parvane/InfoDialog.h"

#include "res/parvane/resource.h"

CInfoDialog::CInfoDialog(HINSTANCE module, HWND owner)
    : CLibraryDialog(IDD_INFO_DIALOG, IDI_INFO_DIALOG, module, owner) {}
