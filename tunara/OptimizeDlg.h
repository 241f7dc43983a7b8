// The optimisation dialog: its caption and tab control come from the template
// in this library's module; for now it is the shell the pages will fill.
#pragma once

#include <windows.h>

#include "framework/LibraryDialog.h"

class COptimizeDlg : public CLibraryDialog {
 public:
  COptimizeDlg(HINSTANCE module, HWND owner);
};
