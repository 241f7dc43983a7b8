#include "tunara/OptimizeDlg.h"

#include <commctrl.h>

#include "platform/Rights.h"
#include "platform/TextWin.h"
#include "res/tunara/resource.h"
#include "tunara/OriginalSettings.h"

COptimizeDlg::COptimizeDlg(HINSTANCE module, HWND owner,
                           const std::optional<platform::OsVersion>& version)
    : CLibraryDialog(IDD_OPTIMIZE_DIALOG, IDI_OPTIMIZE_DIALOG, module, owner),
      registry_(system_, platform::StandardUserForced()),
      diskPage_(module, registry_, version),
      memoryPage_(module, registry_, version),
      cdromPage_(module, registry_, version),
      ntfsPage_(module, registry_, version),
      ask_([](HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
        return ::MessageBoxW(owner, text, caption, type);
      }),
      restart_([this] { return afx::RestartElevated(m_hWnd); }) {}

bool COptimizeDlg::OnInitDialog() {
  CLibraryDialog::OnInitDialog();
  if (!tabSheet_.SubclassDlgItem(IDC_OPTIMIZE_TAB, this)) return true;
  // Tab moves into the pages, which are the tab control's children.
  tabSheet_.HostPages();
  CTweakPage* const pages[] = {&diskPage_, &memoryPage_, &cdromPage_, &ntfsPage_};
  for (std::size_t i = 0; i < std::size(pages); ++i) {
    tabSheet_.AddPage(platform::Widen(tunara::kPageTitles[i]).c_str(), pages[i]);
    pages[i]->SetOnChange([this] { RefreshRestoreButton(); });
  }
  tabSheet_.ShowPages();
  // Without the rights the restore asks first; the shield says so.
  if (!platform::ProcessIsElevated())
    SendDlgItemMessageW(m_hWnd, IDC_OPTIMIZE_RESTORE, BCM_SETSHIELD, 0, TRUE);
  RefreshRestoreButton();
  return true;
}

bool COptimizeDlg::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCommand<&COptimizeDlg::OnRestore>(IDC_OPTIMIZE_RESTORE),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CLibraryDialog::OnWndMsg(msg, wParam, lParam, result);
}

void COptimizeDlg::RefreshRestoreButton() {
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPTIMIZE_RESTORE), tunara::HasOriginals(registry_));
}

void COptimizeDlg::OnRestore() {
  if (!platform::ProcessIsElevated()) {
    switch (afx::AskForRights(m_hWnd, L"优化加速", ask_, restart_)) {
      case afx::RightsChoice::GoOn: break;  // what needs the rights fails and keeps its record
      case afx::RightsChoice::Restarted:
        // The program with the rights takes over: this one ends, as after
        // the frame's own question.
        if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER)) ::PostMessageW(owner, WM_CLOSE, 0, 0);
        EndDialog(0);
        return;
      case afx::RightsChoice::Stop: return;
    }
  }
  const tunara::RestoreResult result = tunara::RestoreOriginals(registry_);
  for (CTweakPage* page : {static_cast<CTweakPage*>(&diskPage_), static_cast<CTweakPage*>(&memoryPage_),
                           static_cast<CTweakPage*>(&cdromPage_), static_cast<CTweakPage*>(&ntfsPage_)})
    if (page->m_hWnd) page->Reread();
  SetDlgItemTextW(m_hWnd, IDC_OPTIMIZE_RESTORE_RESULT,
                  platform::Widen(tunara::RestoreResultText(result)).c_str());
  RefreshRestoreButton();
}
