#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent, HINSTANCE module)
    : templateId_(templateId), parent_(parent), module_(module) {}

HINSTANCE CDialog::GetResourceModule() const {
  return module_ ? module_ : AfxGetResourceHandle();
}

HICON CDialog::LoadIconResource(UINT id, bool big) const {
  return static_cast<HICON>(::LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         ::GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON),
                                         ::GetSystemMetrics(big ? SM_CYICON : SM_CYSMICON),
                                         LR_SHARED));
}

void CDialog::SetIconsFrom(UINT id) {
  SetIcon(LoadIconResource(id, true), true);
  SetIcon(LoadIconResource(id, false), false);
}

HWND CDialog::OwnerHandle() const {
  if (HWND owner = GetOwner()) return owner;
  if (parent_ && parent_->m_hWnd) return parent_->m_hWnd;
  CWinApp* app = AfxGetApp();
  return app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
}

// The object handles every message first (the window is subclassed), so the
// dialog manager's call of this procedure is only its default handling.
INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  modal_ = true;
  INT_PTR r;
  {
    afx::CreationScope scope(this, WC_DIALOG);
    r = ::DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId_), OwnerHandle(),
                          DialogProc, 0);
  }
  modal_ = false;
  return r;
}

bool CDialog::Create(CWnd* parent) {
  if (m_hWnd) return false;
  if (parent) parent_ = parent;
  modal_ = false;
  HWND wnd;
  {
    afx::CreationScope scope(this, WC_DIALOG);
    wnd = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId_), OwnerHandle(),
                               DialogProc, 0);
  }
  return wnd != nullptr && m_hWnd == wnd;
}

void CDialog::EndDialog(int result) {
  if (!m_hWnd) return;
  if (modal_) {
    ::EndDialog(m_hWnd, result);
  } else {
    DestroyWindow();
  }
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) {
  // A modal dialog starts centred over its owner; OnInitDialog may move it.
  // A template that asks to be centred on the screen was placed already.
  if (modal_ && !(GetStyle() & (WS_CHILD | DS_CENTER))) CenterWindow();
  return OnInitDialog() ? TRUE : FALSE;
}

bool CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnMessage<&CDialog::OnInitDialogMessage>(WM_INITDIALOG),
      afx::OnCommand<&CDialog::OnOK>(IDOK),
      afx::OnCommand<&CDialog::OnCancel>(IDCANCEL),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}

LRESULT CDialog::OnException(UINT msg) {
  if (msg != WM_INITDIALOG) return CWnd::OnException(msg);
  if (modal_) {
    ::EndDialog(m_hWnd, -1);
  } else {
    DestroyWindow();
  }
  return FALSE;
}

bool CDialog::PreTranslateMessage(MSG& msg) {
  // Keyboard navigation of a modeless top-level dialog; a modal one has its
  // own loop, and a child page is navigated by the dialog it sits in.
  if (modal_ || !m_hWnd || (GetStyle() & WS_CHILD)) return false;
  return ::IsDialogMessageW(m_hWnd, &msg) != FALSE;
}
