// The information dialog: its caption and tab control come from the template
// in this library's module; for now it is the shell the pages will fill.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"

class CInfoDialog : public CDialog {
 public:
  // `module`: this library's module, which holds the template and the icon.
  // `owner`: the window kept disabled while the dialog runs.
  CInfoDialog(HINSTANCE module, HWND owner);

  bool OnInitDialog() override;
  // No buttons: Esc and the caption's close box end it.
  void OnCancel() override { EndDialog(0); }
};
