#include "parvane/InfoDialog.h"

#include "res/parvane/resource.h"

CInfoDialog::CInfoDialog(HINSTANCE module, HWND owner, const parvane::InfoSources& sources)
    : CLibraryDialog(IDD_INFO_DIALOG, IDI_INFO_DIALOG, module, owner), sources_(sources) {}

// The pages and the tab control are members: their windows go first, while
// every object is still whole.
bool CInfoDialog::CreatePage(CInfoPage& page) {
  if (!page.Create(&tab_)) return false;
  FitPage(page);
  return true;
}

void CInfoDialog::FitPage(CInfoPage& page) {
  // The room from the page origin to the inner edge of the control's frame.
  CRect area = tab_.GetClientRect();
  tab_.AdjustRect(false, area);
  const CPoint origin = tab_.PageOrigin();
  page.FitInto(CSize(area.right - origin.x, area.bottom - origin.y));
}

void CInfoDialog::OnDpiChanged(UINT dpi) {
  CLibraryDialog::OnDpiChanged(dpi);
  if (!tab_.m_hWnd) return;
  tabFont_.ShowAt(dpi);
  for (int i = 0; i < tab_.GetItemCount(); ++i) {
    if (auto* page = dynamic_cast<CInfoPage*>(tab_.PageAt(i))) FitPage(*page);
  }
}

bool CInfoDialog::OnInitDialog() {
  CLibraryDialog::OnInitDialog();
  tab_.SubclassDlgItem(IDC_INFO_TAB, this);
  tab_.HostPages();
  tabFont_.Follow({tab_.m_hWnd}, GetDpi());

  const HINSTANCE module = GetResourceModule();
  // Every tab goes in front: registered last to first, the USB page first
  // of all, so it is the page shown and its tab the one selected.
  usbPage_ = std::make_unique<afx::Window<CUsbPage>>(module, sources_);
  if (CreatePage(*usbPage_)) tab_.AddFirstPage(*usbPage_, L"  USB");
  cdromPage_ = std::make_unique<afx::Window<CCdromPage>>(module, sources_);
  if (CreatePage(*cdromPage_)) tab_.AddPage(*cdromPage_, L"  CDROM");
  modesPage_ = std::make_unique<afx::Window<CDiskModesPage>>(module, sources_);
  if (CreatePage(*modesPage_)) tab_.AddPage(*modesPage_, L"  信息");
  diskPage_ = std::make_unique<afx::Window<CDiskPage>>(module, sources_);
  if (CreatePage(*diskPage_)) tab_.AddPage(*diskPage_, L"  硬盘");
  dirsPage_ = std::make_unique<afx::Window<CSystemDirsPage>>(module, sources_);
  if (CreatePage(*dirsPage_)) tab_.AddPage(*dirsPage_, L"  信息");
  systemPage_ = std::make_unique<afx::Window<CSystemInfoPage>>(module, sources_);
  if (CreatePage(*systemPage_)) tab_.AddPage(*systemPage_, L"  系统");
  healthPage_ = std::make_unique<afx::Window<CHealthPage>>(module, sources_);
  if (CreatePage(*healthPage_)) tab_.AppendPage(*healthPage_, L"  健康");
  // The keyboard starts on the tabs: the arrow keys choose a page. (Given
  // to the first control, focus would land in the USB text, all selected.)
  ::SetFocus(tab_.m_hWnd);
  return false;
}

