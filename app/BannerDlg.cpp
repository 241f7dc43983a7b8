#include "app/BannerDlg.h"

#include "res/app/resource.h"

CBannerDlg::CBannerDlg() : CDialog(IDD_BANNER) {}

bool CBannerDlg::OnInitDialog() {
  CenterWindow(::GetDesktopWindow());
  return true;
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
