#include "parvane/SlideTabCtrl.h"

#include <algorithm>

void CSlideTabCtrl::AddPage(CWnd& page, const wchar_t* caption) { InsertPage(insertAt_, page, caption); }

void CSlideTabCtrl::AppendPage(CWnd& page, const wchar_t* caption) {
  InsertPage(GetItemCount(), page, caption);
}

void CSlideTabCtrl::InsertPage(int at, CWnd& page, const wchar_t* caption) {
  InsertItem(at, caption, -1, reinterpret_cast<LPARAM>(&page));
  const CPoint origin = PageOrigin();
  page.SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSlideTabCtrl::AddFirstPage(CWnd& page, const wchar_t* caption) {
  AddPage(page, caption);
  page.ShowWindow(SW_SHOW);
  Invalidate(true);
}

CWnd* CSlideTabCtrl::PageAt(int index) const {
  return index < 0 ? nullptr : reinterpret_cast<CWnd*>(GetItemData(index));
}

int CSlideTabCtrl::NextSlideLeft(int left, int rest, int step) {
  return std::min(left + step, rest);
}

void CSlideTabCtrl::OnDpiChanged(UINT) {
  // A slide under way ends where it was going.
  StopSlide();
  const CPoint origin = PageOrigin();
  for (int i = 0; i < GetItemCount(); ++i) {
    if (CWnd* page = PageAt(i))
      page->SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool CSlideTabCtrl::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnReflectNotify<TCN_SELCHANGING, &CSlideTabCtrl::OnSelChanging>(),
      afx::OnReflectNotify<TCN_SELCHANGE, &CSlideTabCtrl::OnSelChange>(),
      afx::OnTimer<&CSlideTabCtrl::OnTimer>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CTabCtrl::OnWndMsg(msg, wParam, lParam, result);
}

LRESULT CSlideTabCtrl::OnSelChanging(NMHDR&) {
  if (CWnd* page = PageAt(GetCurSel())) page->ShowWindow(SW_HIDE);
  return 0;  // the change goes ahead
}

LRESULT CSlideTabCtrl::OnSelChange(NMHDR&) {
  if (CWnd* page = PageAt(GetCurSel())) StartSlide(*page);
  return 0;
}

void CSlideTabCtrl::StartSlide(CWnd& page) {
  // From one page width left of the origin, wherever the page stood: a page
  // whose slide was cut short by another choice starts again in full.
  const CRect r = page.GetRectInParent();
  const CPoint origin = PageOrigin();
  const CRect start(origin.x - r.Width(), r.top, origin.x, r.bottom);
  page.MoveWindow(start, true);
  page.ShowWindow(SW_SHOW);
  sliding_ = &page;
  SetTimer(kSlideTimer, kSlidePeriodMs);
}

void CSlideTabCtrl::OnTimer(UINT_PTR id) {
  if (id == kSlideTimer) {
    if (!sliding_ || !sliding_->m_hWnd) {
      StopSlide();
    } else {
      CRect r = sliding_->GetRectInParent();
      const int origin = PageOrigin().x;
      const int left = NextSlideLeft(r.left, origin, SlideStep());
      if (left != r.left) {
        sliding_->MoveWindow(CRect(left, r.top, left + r.Width(), r.bottom), true);
      }
      if (left >= origin) StopSlide();
    }
  }
  DefWindowProc(WM_TIMER, id, 0);
}

void CSlideTabCtrl::StopSlide() {
  KillTimer(kSlideTimer);
  sliding_ = nullptr;
}
