#include "framework/Dialog.h"

#include <exception>

#include "framework/Trace.h"
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

HWND CDialog::OwnerHandle() const {
  if (HWND owner = GetOwner()) return owner;
  if (parent_ && parent_->m_hWnd) return parent_->m_hWnd;
  CWinApp* app = AfxGetApp();
  return app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_INITDIALOG) return FALSE;  // the dialog manager does the rest
  auto* self = reinterpret_cast<CDialog*>(lParam);
  // From here on every message goes through the object first.
  if (!self || !self->SubclassWindow(wnd)) return TRUE;
  try {
    // A modal dialog starts centred over its owner; OnInitDialog may move it.
    // A template that asks to be centred on the screen was placed already.
    if (self->modal_ && !(self->GetStyle() & (WS_CHILD | DS_CENTER))) self->CenterWindow();
    return self->OnInitDialog() ? TRUE : FALSE;
  } catch (const std::exception&) {
    afx::Trace(L"Exception in OnInitDialog of dialog %u\n", self->templateId_);
  } catch (...) {
    afx::Trace(L"Exception in OnInitDialog of dialog %u\n", self->templateId_);
  }
  return TRUE;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  modal_ = true;
  INT_PTR r = ::DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId_), OwnerHandle(),
                                DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return r;
}

bool CDialog::Create(CWnd* parent) {
  if (m_hWnd) return false;
  if (parent) parent_ = parent;
  modal_ = false;
  HWND wnd = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId_), OwnerHandle(),
                                  DialogProc, reinterpret_cast<LPARAM>(this));
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

bool CDialog::PreTranslateMessage(MSG& msg) {
  // Keyboard navigation of a modeless dialog (a modal one has its own loop).
  return !modal_ && m_hWnd && ::IsDialogMessageW(m_hWnd, &msg);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && !OnCmdMsg(LOWORD(wParam), true)) {
    switch (LOWORD(wParam)) {
      case IDOK:
        OnOK();
        return 0;
      case IDCANCEL:
        OnCancel();
        return 0;
      default:
        break;
    }
  }
  return CWnd::WindowProc(msg, wParam, lParam);
}
