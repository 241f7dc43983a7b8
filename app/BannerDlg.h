// The start-up banner (a borderless picture) and the About box.
#pragma once

#include "framework/Dialog.h"

class CBannerDlg : public CDialog {
 public:
  CBannerDlg();
  bool OnInitDialog() override;
};

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
};
