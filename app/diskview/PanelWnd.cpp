#include "app/diskview/PanelWnd.h"

bool CPanelWnd::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return className_ && CreateEx(0, className_, nullptr, style | WS_CHILD, rect,
                                parent ? parent->m_hWnd : nullptr, id);
}

bool CPanelWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnPaint<&CPanelWnd::OnPaint>(),
      afx::OnPrintClient<&CPanelWnd::OnPrintClient>(),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
}

void CPanelWnd::OnPaint() {
  CPaintDC paint(m_hWnd);
  if (offscreen_) {
    COffscreenDC dc(paint, GetClientRect());
    Paint(dc);
  } else {
    Paint(paint);
  }
}

void CPanelWnd::OnPrintClient(HDC dc, UINT) {
  CDC target(dc);
  Paint(target);
}
