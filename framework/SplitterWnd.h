// CSplitterWnd: a static splitter, one row of panes side by side. The panes
// are child windows the caller creates with the identifiers IdFromRowCol
// gives; the splitter places them by the column rule of
// geometry/SplitterColumns (ideal widths, the last column takes the rest),
// draws the bars between them, and lets the user drag a bar: pressing on it
// captures the mouse, the tracker follows the mouse (OnInvertTracker draws
// and removes it), releasing sets the column's ideal width and lays out
// again. Derived classes change the sizes in their constructor and the
// drawing through the virtuals.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/AfxRes.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "geometry/SplitterColumns.h"

class CSplitterWnd : public CWnd {
 public:
  // What OnDrawSplitter is asked to draw.
  enum ESplitType { splitBox, splitBar, splitIntersection, splitBorder };

  CSplitterWnd() = default;

  // One row only (rows must be 1) of 1 to 16 columns.
  bool CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                    UINT id = AFX_IDW_PANE_FIRST);
  // The child identifier of a pane.
  UINT IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
  // The pane's window, null until it is created.
  HWND GetPane(int row, int col) const { return GetDlgItem(static_cast<int>(IdFromRowCol(row, col))); }
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  // Takes effect at the next layout (RecalcLayout, or a resize).
  void SetColumnInfo(int col, int ideal, int minimum);
  void GetColumnInfo(int col, int& ideal, int& minimum) const;
  const std::vector<layout::SplitterColumn>& ColumnInfo() const { return columns_; }
  bool IsTracking() const { return tracking_; }

  // Places the panes; run on every resize.
  virtual void RecalcLayout();
  // The panes' area of the client rectangle.
  virtual void GetInsideRect(CRect& rect) const;
  // Draws one element into `dc`; without a DC, invalidates its rectangle.
  virtual void OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect);
  // Inverts `rect` on the splitter (twice restores it).
  virtual void OnInvertTracker(const CRect& rect);

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  // The sizes of the layout: bar, gap beside it, border round the panes.
  layout::SplitterMetrics LayoutMetrics() const;
  // Positions the panes as `plan` says, in one deferred batch.
  void ApplyLayout(const layout::SplitterLayoutResult& plan);
  // Draws the bars of the last layout, and the border round the panes when
  // there is one.
  virtual void DrawAllSplitBars(CDC& dc);

  int m_cxSplitter = 4;     // width of a bar
  int m_cxSplitterGap = 3;  // room beside it
  int m_cxBorder = 2;       // border round the panes' area
  // Vertical counterparts, for splitters with rows (kept as the sizes set).
  int m_cySplitter = 4;
  int m_cySplitterGap = 3;
  int m_cyBorder = 2;

 private:
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  void OnPrintClient(HDC dc, UINT flags);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnCaptureChanged(HWND gaining);
  bool OnSetCursor(HWND under, UINT hitTest, UINT mouseMessage);
  // The bar under `point`, or -1.
  int BarAt(CPoint point) const;
  // Removes the tracker and ends tracking; true when it was on.
  bool StopTracking();

  std::vector<layout::SplitterColumn> columns_;
  // The last layout.
  CRect inside_;
  std::vector<CRect> panes_;
  std::vector<CRect> bars_;
  bool tracking_ = false;
  int trackBar_ = -1;
  int trackOffset_ = 0;  // mouse to the tracker's left edge
  CRect tracker_;
};
