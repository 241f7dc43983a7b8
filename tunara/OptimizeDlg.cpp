#include "tunara/OptimizeDlg.h"

#include "framework/Gdi.h"
#include "platform/TextWin.h"
#include "res/tunara/resource.h"

COptimizeDlg::COptimizeDlg(HINSTANCE module, HWND owner)
    : CLibraryDialog(IDD_OPTIMIZE_DIALOG, IDI_OPTIMIZE_DIALOG, module, owner),
      icon_(LoadIconResource(IDI_OPTIMIZE_DIALOG, true)),
      diskPage_(module, registry_),
      memoryPage_(module, registry_),
      cdromPage_(module, registry_),
      ntfsPage_(module, registry_) {}

bool COptimizeDlg::OnInitDialog() {
  CLibraryDialog::OnInitDialog();
  if (!tabSheet_.SubclassDlgItem(IDC_OPTIMIZE_TAB, this)) return true;
  // Tab moves into the pages, which are the tab control's children.
  tabSheet_.HostPages();
  CDialog* const pages[] = {&diskPage_, &memoryPage_, &cdromPage_, &ntfsPage_};
  for (std::size_t i = 0; i < std::size(pages); ++i) {
    tabSheet_.AddPage(platform::Widen(tunara::kPageTitles[i]).c_str(), pages[i]);
  }
  tabSheet_.ShowPages();
  return true;
}

bool COptimizeDlg::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnPaint<&COptimizeDlg::OnPaint>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CLibraryDialog::OnWndMsg(msg, wParam, lParam, result);
}

void COptimizeDlg::OnPaint() {
  if (!IsIconic()) {
    Default();
    return;
  }
  // Minimised: the icon, centred.
  CPaintDC dc(m_hWnd);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
  const CRect client = GetClientRect();
  const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_);
}
