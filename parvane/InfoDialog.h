// CInfoDialog: "参数信息", the library's one dialog. Its tab control hosts
// six pages, made and filled while the dialog initialises, registered last
// to first so that the tabs read 系统, 信息, 硬盘, 信息, CDROM, USB and the
// USB page is the one shown, its tab selected; then the health page, whose
// tab 健康 goes last on the right and whose drives answer later. The
// keyboard starts on the tabs. No buttons: Esc and the caption's close box
// end it. Minimised, it draws its icon.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/LibraryDialog.h"
#include "parvane/HealthPage.h"
#include "parvane/InfoPages.h"
#include "parvane/InfoSources.h"
#include "parvane/SlideTabCtrl.h"

class CInfoDialog : public CLibraryDialog {
 public:
  // `sources` are read by the pages while the dialog initialises; the
  // devices and registry they name must outlive the dialog's window.
  CInfoDialog(HINSTANCE module, HWND owner, const parvane::InfoSources& sources);

  bool OnInitDialog() override;

  CSlideTabCtrl& Tabs() { return tab_; }

 private:
  // Makes `page` a child of the tab control, fitted into the control's
  // display area; false when it could not be made.
  bool CreatePage(CInfoPage& page);
  void FitPage(CInfoPage& page);
  // After the pages and the tab control: the tabs' texts at the new DPI,
  // and every page fitted again.
  void OnDpiChanged(UINT dpi) override;

  parvane::InfoSources sources_;
  std::unique_ptr<CSystemInfoPage> systemPage_;
  std::unique_ptr<CSystemDirsPage> dirsPage_;
  std::unique_ptr<CDiskPage> diskPage_;
  std::unique_ptr<CDiskModesPage> modesPage_;
  std::unique_ptr<CCdromPage> cdromPage_;
  std::unique_ptr<CUsbPage> usbPage_;
  std::unique_ptr<CHealthPage> healthPage_;
  afx::Window<CSlideTabCtrl> tab_;
  CControlFonts tabFont_;
};
