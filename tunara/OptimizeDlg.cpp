#include "tunara/OptimizeDlg.h"

#include "res/tunara/resource.h"

COptimizeDlg::COptimizeDlg(HINSTANCE module, HWND owner)
    : CLibraryDialog(IDD_OPTIMIZE_DIALOG, IDI_OPTIMIZE_DIALOG, module, owner) {}
