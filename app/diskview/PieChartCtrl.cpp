#include "app/diskview/PieChartCtrl.h"

#include "app/diskview/PanelWin.h"
#include "platform/TextWin.h"

using diskview::PiePaintPlan;
using diskview::PieSliceInput;

bool CPieChartCtrl::RegisterPieClass() {
  // No background brush: every paint covers the whole client area.
  return diskview::RegisterPanelClass(kClassName, nullptr);
}

CPieChartCtrl::CPieChartCtrl() : CPanelWnd(kClassName, true) {
  diskview::CreatePanelFont(titleFont_, L"Arial", 15);
  diskview::CreatePanelFont(textFont_, L"Arial", 13);
  RegisterPieClass();
}

CPieChartCtrl::~CPieChartCtrl() { RemoveAllSlices(); }

bool CPieChartCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnSize<&CPieChartCtrl::OnSize>(),
      afx::OnLButtonDown<&CPieChartCtrl::OnLButtonDown>(),
      afx::OnMouseMove<&CPieChartCtrl::OnMouseMove>(),
      afx::OnLButtonUp<&CPieChartCtrl::OnLButtonUp>(),
      afx::OnCaptureChanged<&CPieChartCtrl::OnCaptureChanged>(),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
         CPanelWnd::OnWndMsg(msg, wp, lp, result);
}

void CPieChartCtrl::AddSlice(COLORREF colour, COLORREF textColour, int angle, const CString& label) {
  Slice slice{PieSliceInput{colour, textColour, angle, label.ToUtf8()}, CBrush(colour)};
  slices_.push_back(std::move(slice));
  if (m_hWnd) Invalidate(false);
}

void CPieChartCtrl::RemoveAllSlices() { slices_.clear(); }

bool CPieChartCtrl::GetSliceColour(int index, COLORREF& colour) const {
  if (slices_.empty()) return false;
  const int last = static_cast<int>(slices_.size()) - 1;
  colour = slices_[static_cast<std::size_t>(index < last ? index : last)].input.colour;
  return true;
}

void CPieChartCtrl::SetTitle(const CString& title) {
  title_ = title;
  if (!m_hWnd) return;
  ComputeLayout();
  Invalidate(false);
}

void CPieChartCtrl::SetStatusText(const CString& text) {
  if (text == status_) return;
  status_ = text;
  if (m_hWnd) InvalidateRect(pieRect_, false);
}

void CPieChartCtrl::ComputeLayout() {
  titleHeight_ = 0;
  if (!title_.IsEmpty()) {
    CClientDC dc(m_hWnd);
    CSelectObject font(dc, titleFont_);
    titleHeight_ = dc.GetTextExtent(title_, title_.GetLength()).cy;
  }
  pieRect_ = CRect(diskview::ComputeLayout(GetClientRect().ToGeom(), titleHeight_));
}

void CPieChartCtrl::Paint(CDC& dc) {
  if (pieRect_.IsRectEmpty()) ComputeLayout();
  const CRect client = GetClientRect();
  const int saved = ::SaveDC(dc);
  {
    // Around the square: the face colour of the view the chart sits on.
    dc.FillSolidRect(client, ::GetSysColor(COLOR_BTNFACE));
    int labelHeight;
    {
      CSelectObject font(dc, textFont_);
      labelHeight = dc.GetTextExtent(L"%", 1).cy;
    }
    std::vector<PieSliceInput> inputs;
    inputs.reserve(slices_.size());
    for (const Slice& s : slices_) inputs.push_back(s.input);
    const PiePaintPlan plan = diskview::PlanPiePaint(client.ToGeom(), pieRect_.ToGeom(), startAngle_,
                                                     inputs, labelHeight, !title_.IsEmpty());
    const CRect square(plan.square);
    {
      CBrush blue(diskview::kPieSquareColour);
      CSelectObject brush(dc, blue);
      CSelectObject pen(dc, ::GetStockObject(BLACK_PEN));
      dc.Rectangle(square);
    }
    {
      CSelectObject noPen(dc, ::GetStockObject(NULL_PEN));
      for (std::size_t i = 0; i < slices_.size(); ++i) {
        const diskview::PieWedge& wedge = plan.wedges[i];
        if (!wedge.drawn) continue;
        CSelectObject brush(dc, slices_[i].brush);
        if (wedge.fullDisc) {
          dc.Ellipse(square);
        } else {
          // GDI runs a pie counter-clockwise from its first point: the
          // clockwise wedge from `from` to `to` starts at `to`.
          dc.Pie(square, CPoint(wedge.to), CPoint(wedge.from));
        }
      }
    }
    // The texts after every wedge: a share written just inside a thin slice
    // runs over its neighbour, whose wedge would otherwise cover it.
    CSelectObject font(dc, textFont_);
    dc.SetBkMode(TRANSPARENT);
    for (const diskview::PieLegendRow& row : plan.legend) {
      dc.FillSolidRect(CRect(row.box), row.colour);
      dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
      const std::wstring label = platform::Widen(row.label);
      CRect labelRect(row.labelRect);
      dc.DrawText(label.c_str(), static_cast<int>(label.size()), labelRect,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    for (const diskview::PieText& text : plan.percentages) {
      dc.SetTextColor(text.colour);
      const std::wstring share = platform::Widen(text.text);
      dc.TextOut(text.at.x, text.at.y, share.c_str(), static_cast<int>(share.size()));
    }
    CSelectObject noBrush(dc, ::GetStockObject(NULL_BRUSH));
    if (plan.title) {
      CSelectObject titleFont(dc, titleFont_);
      dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
      dc.TextOut(plan.titleAt.x, plan.titleAt.y, title_, title_.GetLength());
    }
    if (!status_.IsEmpty()) {
      // Centred as a block: measured first, then placed in the square.
      CRect measured = square;
      dc.DrawText(status_, status_.GetLength(), measured, DT_CENTER | DT_NOPREFIX | DT_CALCRECT);
      CRect block = square;
      block.top += (square.Height() - measured.Height()) / 2;
      dc.SetTextColor(RGB(255, 255, 255));
      dc.DrawText(status_, status_.GetLength(), block, DT_CENTER | DT_NOPREFIX);
    }
  }
  ::RestoreDC(dc, saved);
}

void CPieChartCtrl::OnSize(UINT type, int cx, int cy) {
  DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
  ComputeLayout();
}

void CPieChartCtrl::OnLButtonDown(UINT, CPoint point) {
  ::SetCapture(m_hWnd);
  dragging_ = true;
  lastMouse_ = point;
}

void CPieChartCtrl::OnMouseMove(UINT, CPoint point) {
  if (!dragging_) return;
  startAngle_ = diskview::DragRotate(startAngle_, lastMouse_.x, point.x);
  InvalidateRect(pieRect_, false);
  lastMouse_ = point;
}

void CPieChartCtrl::OnLButtonUp(UINT, CPoint) {
  if (!dragging_) return;
  dragging_ = false;
  ::ReleaseCapture();
}

void CPieChartCtrl::OnCaptureChanged(HWND gaining) {
  // Capture taken away mid-drag (another window, a menu): the drag ends, or
  // the disc would turn under a mouse whose button is up.
  if (gaining != m_hWnd) dragging_ = false;
}
