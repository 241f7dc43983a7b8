#include "framework/SplitterWnd.h"

#include <algorithm>

#include "framework/Trace.h"

namespace {
constexpr int kMaxColumns = 16;  // pane identifiers leave room for 16 a row
}  // namespace

bool CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
  if (!parent || rows != 1 || cols < 1 || cols > kMaxColumns || m_hWnd) return false;
  columns_.assign(static_cast<size_t>(cols), layout::SplitterColumn{});
  // No WS_CLIPCHILDREN: the tracker is drawn across the panes.
  const wchar_t* cls = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  return CreateEx(0, cls, nullptr, (style | WS_CHILD) & ~WS_CLIPCHILDREN, CRect(), parent->m_hWnd,
                  id);
}

void CSplitterWnd::SetColumnInfo(int col, int ideal, int minimum) {
  if (col < 0 || col >= GetColumnCount()) return;
  columns_[static_cast<size_t>(col)] = {std::max(ideal, 0), std::max(minimum, 0)};
}

void CSplitterWnd::GetColumnInfo(int col, int& ideal, int& minimum) const {
  ideal = minimum = 0;
  if (col < 0 || col >= GetColumnCount()) return;
  ideal = columns_[static_cast<size_t>(col)].idealWidth;
  minimum = columns_[static_cast<size_t>(col)].minWidth;
}

layout::SplitterMetrics CSplitterWnd::LayoutMetrics() const {
  layout::SplitterMetrics m;
  m.barWidth = m_cxSplitter;
  m.gap = m_cxSplitterGap;
  m.border = m_cxBorder;
  m.topStripOn = false;
  return m;
}

void CSplitterWnd::RecalcLayout() {
  ApplyLayout(layout::LayoutSplitterColumns(GetClientRect().ToGeom(), columns_, LayoutMetrics()));
}

void CSplitterWnd::GetInsideRect(CRect& rect) const {
  rect = GetClientRect();
  rect.DeflateRect(m_cxBorder, m_cyBorder);
}

void CSplitterWnd::ApplyLayout(const layout::SplitterLayoutResult& plan) {
  if (!m_hWnd) return;
  for (const CRect& bar : bars_) OnDrawSplitter(nullptr, splitBar, bar);
  inside_ = CRect(plan.inside);
  panes_.clear();
  bars_.clear();
  for (const geom::Rect& r : plan.panes) panes_.emplace_back(r);
  for (const geom::Rect& r : plan.bars) bars_.emplace_back(r);

  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(panes_.size()));
  for (int col = 0; col < static_cast<int>(panes_.size()) && batch; ++col) {
    HWND pane = GetPane(0, col);
    if (!pane) continue;
    const CRect& r = panes_[static_cast<size_t>(col)];
    // A failing call frees the batch and answers null: nothing more moves.
    batch = ::DeferWindowPos(batch, pane, nullptr, r.left, r.top, r.Width(), r.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!batch || !::EndDeferWindowPos(batch)) {
    afx::Trace(L"Warning: DeferWindowPos failed - low system resources.\n");
  }
  for (const CRect& bar : bars_) OnDrawSplitter(nullptr, splitBar, bar);
}

void CSplitterWnd::OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect) {
  if (!dc) {
    ::RedrawWindow(m_hWnd, &rect, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
    return;
  }
  switch (type) {
    case splitBorder: {
      CRect r = rect;
      dc->DrawEdge(r, EDGE_SUNKEN, BF_RECT);
      break;
    }
    case splitBox:
    case splitBar:
      dc->FillSolidRect(rect, ::GetSysColor(COLOR_BTNFACE));
      break;
    case splitIntersection:
      break;
  }
}

void CSplitterWnd::OnInvertTracker(const CRect& rect) {
  // Across the panes, so not with a splitter that clips its children.
  if (rect.IsRectEmpty() || (GetStyle() & WS_CLIPCHILDREN)) return;
  CClientDC dc(m_hWnd);
  CSelectObject brush(dc, ::GetStockObject(WHITE_BRUSH));
  ::PatBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
}

void CSplitterWnd::DrawAllSplitBars(CDC& dc) {
  if (m_cxBorder > 0 || m_cyBorder > 0) {
    CRect outer = inside_;
    outer.InflateRect(m_cxBorder, m_cyBorder);
    OnDrawSplitter(&dc, splitBorder, outer);
  }
  for (const CRect& bar : bars_) OnDrawSplitter(&dc, splitBar, bar);
}

bool CSplitterWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnSize<&CSplitterWnd::OnSize>(),
      afx::OnPaint<&CSplitterWnd::OnPaint>(),
      afx::OnPrintClient<&CSplitterWnd::OnPrintClient>(),
      afx::OnLButtonDown<&CSplitterWnd::OnLButtonDown>(),
      afx::OnMouseMove<&CSplitterWnd::OnMouseMove>(),
      afx::OnLButtonUp<&CSplitterWnd::OnLButtonUp>(),
      afx::OnCaptureChanged<&CSplitterWnd::OnCaptureChanged>(),
      afx::OnSetCursor<&CSplitterWnd::OnSetCursor>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}

void CSplitterWnd::OnSize(UINT type, int, int) {
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CSplitterWnd::OnPaint() {
  CPaintDC dc(m_hWnd);
  DrawAllSplitBars(dc);
}

void CSplitterWnd::OnPrintClient(HDC target, UINT flags) {
  if (flags & PRF_ERASEBKGND) SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target));
  CDC dc(target);
  DrawAllSplitBars(dc);
}

int CSplitterWnd::BarAt(CPoint point) const {
  for (size_t i = 0; i < bars_.size(); ++i) {
    if (bars_[i].PtInRect(point)) return static_cast<int>(i);
  }
  return -1;
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint point) {
  const int bar = BarAt(point);
  if (tracking_ || bar < 0) return;
  tracking_ = true;
  trackBar_ = bar;
  tracker_ = bars_[static_cast<size_t>(bar)];
  trackOffset_ = point.x - tracker_.left;
  ::SetCapture(m_hWnd);
  ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
  OnInvertTracker(tracker_);
}

void CSplitterWnd::OnMouseMove(UINT, CPoint point) {
  if (!tracking_) return;
  // The bar and its gap always keep their room: a bar dragged further would
  // not be laid out again and could never be dragged back.
  const int left = std::clamp(static_cast<int>(point.x) - trackOffset_,
                              static_cast<int>(inside_.left),
                              std::max(static_cast<int>(inside_.right) - m_cxSplitter - m_cxSplitterGap,
                                       static_cast<int>(inside_.left)));
  if (left == tracker_.left) return;
  OnInvertTracker(tracker_);
  tracker_.OffsetRect(left - tracker_.left, 0);
  OnInvertTracker(tracker_);
}

bool CSplitterWnd::StopTracking() {
  if (!tracking_) return false;
  tracking_ = false;
  OnInvertTracker(tracker_);
  return true;
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint) {
  if (!StopTracking()) return;
  ::ReleaseCapture();
  const size_t col = static_cast<size_t>(trackBar_);
  if (col < panes_.size() && col < columns_.size()) {
    columns_[col].idealWidth = std::max(static_cast<int>(tracker_.left - panes_[col].left), 0);
  }
  RecalcLayout();
}

void CSplitterWnd::OnCaptureChanged(HWND gaining) {
  // Capture taken away mid-drag (another window, a menu): the drag is off.
  if (gaining != m_hWnd) StopTracking();
}

bool CSplitterWnd::OnSetCursor(HWND under, UINT hitTest, UINT mouseMessage) {
  if (under == m_hWnd && hitTest == HTCLIENT) {
    CPoint point;
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hWnd, &point);
    if (tracking_ || BarAt(point) >= 0) {
      ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
      return true;
    }
  }
  return DefWindowProc(WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                       MAKELPARAM(hitTest, mouseMessage)) != 0;
}
