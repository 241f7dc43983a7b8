// CGfxSplitterWnd: the main frame's splitter with a flat look: no border,
// thin bars in the button-face colour, and a strip kept free above the
// panes with an etched line along its top edge.
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

  bool topStripOn_ = true;
  int topStripHeight_ = 6;
  bool etchedLineOn_ = true;
};
