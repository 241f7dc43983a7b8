// CGfxSplitterWnd: the main frame's splitter with a flat look: no border,
// thin bars in the button-face colour, and a strip kept free above the
// panes with an etched line along its top edge. Bars, gaps, the strip and
// the columns' widths are 96-DPI pixels scaled to the splitter's DPI; a
// column the user has dragged keeps its width in proportion at a new one.
#pragma once

#include <windows.h>

#include "framework/SplitterWnd.h"

class CGfxSplitterWnd : public CSplitterWnd {
 public:
  CGfxSplitterWnd();

  void RecalcLayout() override;
  void GetInsideRect(CRect& rect) const override;
  void OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect) override;

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  // The bars, then the etched line.
  void DrawAllSplitBars(CDC& dc) override;

 private:
  bool OnEraseBkgnd(HDC dc);
  layout::SplitterMetrics Metrics() const;
  void OnDpiChanged(UINT dpi) override;
  // Bars, gaps and strip at `dpi`; the columns' widths from the DPI they
  // were set at.
  void FitToDpi(UINT dpi);

  UINT fittedDpi_ = 0;  // none yet: the widths set are taken as they are
  bool topStripOn_ = true;
  int topStripHeight_ = 6;
  bool etchedLineOn_ = true;
};
