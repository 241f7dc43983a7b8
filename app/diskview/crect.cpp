#include "app/diskview/crect.h"

#include "app/diskview/PanelWin.h"
#include "app/diskview/StripLayout.h"
#include "platform/TextWin.h"

CStripWnd::CStripWnd() : CPanelWnd(kClassName, false) {
  diskview::RegisterPanelClass(kClassName, static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH)));
  diskview::CreatePanelFont(font_, L"Arial", 15, afx::SystemDpi());
}

void CStripWnd::OnDpiChanged(UINT dpi) {
  diskview::CreatePanelFont(font_, L"Arial", 15, dpi);
  Invalidate();
}

void CStripWnd::DrawBackground(CDC& dc, const geom::Rect& r) const {
  CSelectObject brush(dc, ::GetSysColorBrush(COLOR_ACTIVEBORDER));
  CSelectObject pen(dc, ::GetStockObject(BLACK_PEN));
  dc.Rectangle(CRect(r));
}

void CStripWnd::DrawText(CDC& dc, geom::Point at, const std::string& text) const {
  CSelectObject font(dc, font_);
  const COLORREF oldColour = dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  const std::wstring wide = platform::Widen(text);
  dc.TextOut(at.x, at.y, wide.c_str(), static_cast<int>(wide.size()));
  dc.SetBkMode(oldMode);
  dc.SetTextColor(oldColour);
}

void CCaptionStrip::Paint(CDC& dc) {
  const CRect client = GetClientRect();
  const diskview::CaptionStripPlan plan =
      diskview::PlanCaptionStrip(client.Width(), client.Height(), caption_, static_cast<int>(GetDpi()));
  DrawBackground(dc, plan.background);
  DrawText(dc, plan.captionAt, plan.caption);
}
