// The start-up banner (a borderless picture) and the About box. Their
// templates' pictures are made for 96 DPI: at another the dialog shows the
// rendering for its DPI instead, at that rendering's size (the About box
// again at each change of scale).
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CBannerDlg : public CDialog {
 public:
  CBannerDlg();
  bool OnInitDialog() override;

 private:
  CBitmap picture_;
};

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  bool OnInitDialog() override;

 protected:
  // The picture for the new scale in place of the one shown.
  void OnDpiChanged(UINT dpi) override;

 private:
  CBitmap picture_;
};
