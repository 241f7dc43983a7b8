#include "app/GfxSplitterWnd.h"

#include "app/SplitterLayout.h"

CGfxSplitterWnd::CGfxSplitterWnd() {
  m_cxSplitter = m_cySplitter = 3;
  m_cxSplitterGap = m_cySplitterGap = 3;
  m_cxBorder = m_cyBorder = 0;
}

layout::SplitterMetrics CGfxSplitterWnd::Metrics() const {
  layout::SplitterMetrics m = LayoutMetrics();
  m.topStripOn = topStripOn_;
  m.topStripHeight = topStripHeight_;
  return m;
}

void CGfxSplitterWnd::FitToDpi(UINT dpi) {
  const int d = static_cast<int>(dpi);
  m_cxSplitter = m_cySplitter = geom::Scale(3, d);
  m_cxSplitterGap = m_cySplitterGap = geom::Scale(3, d);
  topStripHeight_ = geom::Scale(6, d);
  if (fittedDpi_ != 0 && fittedDpi_ != dpi) {
    for (int col = 0; col < GetColumnCount(); ++col) {
      int ideal = 0;
      int minimum = 0;
      GetColumnInfo(col, ideal, minimum);
      SetColumnInfo(col, ::MulDiv(ideal, d, static_cast<int>(fittedDpi_)),
                    ::MulDiv(minimum, d, static_cast<int>(fittedDpi_)));
    }
  }
  fittedDpi_ = dpi;
}

void CGfxSplitterWnd::OnDpiChanged(UINT dpi) {
  FitToDpi(dpi);
  RecalcLayout();
}

void CGfxSplitterWnd::RecalcLayout() {
  if (fittedDpi_ != GetDpi()) FitToDpi(GetDpi());
  ApplyLayout(layout::LayoutSplitterColumns(GetClientRect().ToGeom(), ColumnInfo(), Metrics()));
}

void CGfxSplitterWnd::GetInsideRect(CRect& rect) const {
  CSplitterWnd::GetInsideRect(rect);
  if (topStripOn_) rect.top += topStripHeight_;
}

void CGfxSplitterWnd::OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect) {
  // Bars and boxes in the face colour, as the framework draws them.
  if (!dc || type != splitBorder) {
    CSplitterWnd::OnDrawSplitter(dc, type, rect);
    return;
  }
  CRect r = rect;
  dc->Draw3dRect(r, ::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_WINDOWFRAME));
  r.DeflateRect(1, 1);
  dc->Draw3dRect(r, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
  r.DeflateRect(1, 1);
  dc->FillSolidRect(r, ::GetSysColor(COLOR_BTNFACE));
}

void CGfxSplitterWnd::DrawAllSplitBars(CDC& dc) {
  CSplitterWnd::DrawAllSplitBars(dc);
  if (!etchedLineOn_) return;
  const layout::EtchedLine line = layout::SplitterEtchedLine(GetClientRect().ToGeom());
  CPen shadow(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
  CPen highlight(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  {
    CSelectObject pen(dc, shadow);
    dc.MoveTo(CPoint(line.shadowFrom));
    dc.LineTo(CPoint(line.shadowTo));
  }
  CSelectObject pen(dc, highlight);
  dc.MoveTo(CPoint(line.highlightFrom));
  dc.LineTo(CPoint(line.highlightTo));
}

bool CGfxSplitterWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnEraseBkgnd<&CGfxSplitterWnd::OnEraseBkgnd>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CSplitterWnd::OnWndMsg(msg, wParam, lParam, result);
}

bool CGfxSplitterWnd::OnEraseBkgnd(HDC target) {
  CDC dc(target);
  CRect r = GetClientRect();
  r.InflateRect(m_cxBorder, m_cyBorder);
  // Not under the panes (the splitter does not clip its children): they
  // draw themselves, and would flicker.
  const int saved = ::SaveDC(dc);
  for (int col = 0; col < GetColumnCount(); ++col) {
    if (HWND pane = GetPane(0, col); pane && ::IsWindowVisible(pane)) {
      RECT pr;
      ::GetWindowRect(pane, &pr);
      ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&pr), 2);
      ::ExcludeClipRect(dc, pr.left, pr.top, pr.right, pr.bottom);
    }
  }
  dc.FillSolidRect(r, ::GetSysColor(COLOR_BTNFACE));
  ::RestoreDC(dc, saved);
  return true;
}
