// The information dialog: its caption and tab control come from the template
// in this library's module; for now it is the shell the pages will fill.
#pragma once

#include <windows.h>

#include "framework/LibraryDialog.h"

class CInfoDialog : public CLibraryDialog {
 public:
  CInfoDialog(HINSTANCE module, HWND owner);
};
