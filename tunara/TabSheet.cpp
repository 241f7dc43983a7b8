#include "tunara/TabSheet.h"

bool CTabSheet::AddPage(const wchar_t* title, CDialog* page) {
  if (count_ >= kMaxPages || !page) return false;
  titles_[count_] = title ? title : L"";
  pages_[count_] = page;
  ++count_;
  return true;
}

void CTabSheet::ShowPages() {
  for (int i = 0; i < count_; ++i) {
    pages_[i]->Create(this);
    InsertItem(i, titles_[i].c_str());
  }
  current_ = 0;
  for (int i = 0; i < count_; ++i) {
    if (pages_[i]->m_hWnd) pages_[i]->ShowWindow(i == current_ ? SW_SHOW : SW_HIDE);
  }
  LayoutPages();
}

void CTabSheet::LayoutPages() {
  if (count_ == 0) return;
  const CRect client = GetClientRect();
  const CRect tab = GetItemRect(0);
  const int x = tab.left;
  const int y = tab.bottom + 1;
  const int cx = client.right - tab.left - 2;
  const int cy = client.bottom - y - 2;
  for (int i = 0; i < count_; ++i) {
    if (!pages_[i]->m_hWnd) continue;
    pages_[i]->SetWindowPos(HWND_TOP, x, y, cx, cy,
                            i == current_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  }
}

void CTabSheet::OnDpiChanged(UINT) { LayoutPages(); }

void CTabSheet::SwitchTo(int index) {
  if (index < 0 || index >= count_ || index == current_) return;
  if (pages_[current_]->m_hWnd) pages_[current_]->ShowWindow(SW_HIDE);
  current_ = index;
  if (pages_[current_]->m_hWnd) pages_[current_]->ShowWindow(SW_SHOW);
}

bool CTabSheet::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnLButtonDown<&CTabSheet::OnLButtonDown>(),
      afx::OnLButtonUp<&CTabSheet::OnLButtonUp>(),
      afx::OnCaptureChanged<&CTabSheet::OnCaptureChanged>(),
      afx::OnReflectNotify<TCN_SELCHANGE, &CTabSheet::OnSelChange>(),
      afx::OnReflectNotify<TCN_FOCUSCHANGE, &CTabSheet::OnFocusChange>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CTabCtrl::OnWndMsg(msg, wParam, lParam, result);
}

void CTabSheet::OnLButtonDown(UINT flags, CPoint point) {
  // The control selects the tab under the button while it handles the
  // press; the page waits for the release.
  pressing_ = true;
  DefWindowProc(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
  pressing_ = false;
  if (GetCurSel() != current_ && ::GetCapture() != m_hWnd) {
    ::SetCapture(m_hWnd);
    tracking_ = true;
  }
}

void CTabSheet::OnLButtonUp(UINT flags, CPoint point) {
  if (tracking_) {
    tracking_ = false;
    ::ReleaseCapture();
  }
  SwitchTo(GetCurSel());
  DefWindowProc(WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
}

void CTabSheet::OnCaptureChanged(HWND gaining) {
  // Another window took the mouse before the release: the new tab's page
  // shows all the same.
  if (tracking_ && gaining != m_hWnd) {
    tracking_ = false;
    SwitchTo(GetCurSel());
  }
  DefWindowProc(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(gaining));
}

bool CTabSheet::OnSelChange(NMHDR&) {
  if (!pressing_) SwitchTo(GetCurSel());
  return false;  // the dialog may see it too
}

bool CTabSheet::OnFocusChange(NMHDR&) {
  const int focus = GetCurFocus();
  if (!pressing_ && focus >= 0 && focus != GetCurSel()) {
    SetCurSel(focus);  // as quiet as a focus change: no selection notices
    SwitchTo(focus);
  }
  return false;
}
