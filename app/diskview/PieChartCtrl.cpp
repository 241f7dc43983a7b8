#include "app/diskview/PieChartCtrl.h"

#include <commctrl.h>

#include "app/diskview/PieMessages.h"
#include "app/diskview/PanelWin.h"
#include "app/diskview/scan/ScanTrace.h"
#include "framework/WinApp.h"
#include "platform/TextWin.h"

using diskview::PiePaintPlan;
using diskview::PieSliceInput;

bool CPieChartCtrl::RegisterPieClass() {
  // No background brush: every paint covers the whole client area. Double
  // clicks open a slice's folder.
  return diskview::RegisterPanelClass(kClassName, nullptr, CS_DBLCLKS);
}

CPieChartCtrl::CPieChartCtrl() : CPanelWnd(kClassName, true) {
  MakeFonts(afx::SystemDpi());
  RegisterPieClass();
}

void CPieChartCtrl::MakeFonts(UINT dpi) {
  diskview::CreatePanelFont(titleFont_, L"Arial", 15, dpi);
  diskview::CreatePanelFont(textFont_, L"Arial", 13, dpi);
}

void CPieChartCtrl::OnDpiChanged(UINT dpi) {
  HideTip();
  MakeFonts(dpi);
  ComputeLayout();
  Invalidate(false);
}

CPieChartCtrl::~CPieChartCtrl() { RemoveAllSlices(); }

bool CPieChartCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // A slice's menu comes next: the tip would stay over it, or come back
  // when the pointer rests while the menu is open.
  if (msg == WM_RBUTTONDOWN || msg == WM_CONTEXTMENU) {
    HideTip();
    TRACKMOUSEEVENT cancel{sizeof cancel, TME_CANCEL | TME_HOVER, m_hWnd, 0};
    ::TrackMouseEvent(&cancel);
  }
  static constexpr afx::Route routes[] = {
      afx::OnSize<&CPieChartCtrl::OnSize>(),
      afx::OnLButtonDown<&CPieChartCtrl::OnLButtonDown>(),
      afx::OnMouseMove<&CPieChartCtrl::OnMouseMove>(),
      afx::OnLButtonUp<&CPieChartCtrl::OnLButtonUp>(),
      afx::OnCaptureChanged<&CPieChartCtrl::OnCaptureChanged>(),
      afx::OnLButtonDblClk<&CPieChartCtrl::OnLButtonDblClk>(),
      afx::OnKeyDown<&CPieChartCtrl::OnKeyDown>(),
      afx::OnMessage<&CPieChartCtrl::OnMouseHover>(WM_MOUSEHOVER),
      afx::OnMessage<&CPieChartCtrl::OnMouseLeave>(WM_MOUSELEAVE),
      afx::OnDestroy<&CPieChartCtrl::OnDestroy>(),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
         CPanelWnd::OnWndMsg(msg, wp, lp, result);
}

void CPieChartCtrl::AddSlice(COLORREF colour, COLORREF textColour, int angle, const CString& label) {
  Slice slice{PieSliceInput{colour, textColour, angle, label.ToUtf8()}, CBrush(colour), CString()};
  slices_.push_back(std::move(slice));
  if (m_hWnd) Invalidate(false);
}

void CPieChartCtrl::RemoveAllSlices() {
  HideTip();
  slices_.clear();
}

void CPieChartCtrl::SetSliceTip(int index, const CString& tip) {
  if (index < 0 || index >= GetSliceCount()) return;
  slices_[static_cast<std::size_t>(index)].tip = tip;
  if (index == tipSlice_) HideTip();
}

int CPieChartCtrl::HitTest(CPoint client) const {
  std::vector<int> angles;
  angles.reserve(slices_.size());
  for (const Slice& s : slices_) angles.push_back(s.input.angle);
  return diskview::HitTestSlice(client.ToGeom(), pieRect_.ToGeom(), startAngle_, angles);
}

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
  if (!status_.IsEmpty()) HideTip();
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
      // Then the edges, two pixels wide over the wedges' seams; those of
      // slices too thin to fill last, so the next slice's edge, which starts
      // at the same rim point, does not hide them.
      for (const bool thin : {false, true}) {
        for (const diskview::PieWedge& wedge : plan.wedges) {
          if (!wedge.edge || wedge.drawn == thin) continue;
          CPen line(PS_SOLID, Scale(2), wedge.colour);
          CSelectObject pen(dc, line);
          // The disc's odd diameter puts its centre between pixels: the
          // edge starts from those on both sides of it.
          for (const int back : {0, 1}) {
            dc.MoveTo(CPoint(plan.centre.x - back, plan.centre.y - back));
            dc.LineTo(CPoint(wedge.edgeTo));
          }
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
  // The first chart drawn after a completion ends the scan's trace.
  if (!slices_.empty()) diskview::ScanTrace::MarkArmed("chart-painted");
}

void CPieChartCtrl::OnSize(UINT type, int cx, int cy) {
  DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
  ComputeLayout();
}

void CPieChartCtrl::OnLButtonDown(UINT, CPoint point) {
  HideTip();
  // Backspace goes up from the chart that was clicked.
  ::SetFocus(m_hWnd);
  ::SetCapture(m_hWnd);
  dragging_ = true;
  lastMouse_ = point;
}

void CPieChartCtrl::OnMouseMove(UINT, CPoint point) {
  if (!dragging_) {
    // A tip that shows follows the pointer from slice to slice at once;
    // otherwise the pointer has to rest again.
    if (tipSlice_ >= 0) ShowTipAt(point);
    TrackMouse();
    return;
  }
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

void CPieChartCtrl::OnLButtonDblClk(UINT, CPoint point) {
  HideTip();
  const int slice = HitTest(point);
  if (slice >= 0) {
    NotifyParent(WM_PIE_OPEN_SLICE, static_cast<WPARAM>(slice));
  } else if (pieRect_.PtInRect(point)) {
    NotifyParent(WM_PIE_GO_UP, 0);
  }
}

void CPieChartCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (key == VK_BACK) {
    NotifyParent(WM_PIE_GO_UP, 0);
    return;
  }
  DefWindowProc(WM_KEYDOWN, key, MAKELPARAM(repeat, flags));
}

void CPieChartCtrl::NotifyParent(UINT message, WPARAM wParam) {
  const HWND parent = ::GetParent(m_hWnd);
  if (parent) ::SendMessageW(parent, message, wParam, reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CPieChartCtrl::OnMouseHover(WPARAM, LPARAM point) {
  ShowTipAt(CPoint(static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))));
  return 0;
}

LRESULT CPieChartCtrl::OnMouseLeave(WPARAM, LPARAM) {
  HideTip();
  return 0;
}

void CPieChartCtrl::TrackMouse() {
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, m_hWnd, HOVER_DEFAULT};
  ::TrackMouseEvent(&track);
}

void CPieChartCtrl::ShowTipAt(CPoint point) {
  const int slice = dragging_ || !status_.IsEmpty() ? -1 : HitTest(point);
  if (slice < 0 || slices_[static_cast<std::size_t>(slice)].tip.IsEmpty()) {
    HideTip();
    return;
  }
  if (!tip_) {
    tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, AfxGetInstanceHandle(),
                             nullptr);
    if (!tip_) return;
    TTTOOLINFOW tool{};
    // The older structure: every version of the common controls takes it.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = m_hWnd;
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A width makes the tip break its lines at "\n".
    ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, Scale(600));
  }
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = m_hWnd;
  if (slice != tipSlice_) {
    tool.lpszText = const_cast<wchar_t*>(static_cast<const wchar_t*>(
        slices_[static_cast<std::size_t>(slice)].tip));
    ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // Below and right of the pointer, clear of the cursor's arrow.
  POINT at = point;
  ::ClientToScreen(m_hWnd, &at);
  ::SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x + Scale(12), at.y + Scale(18)));
  if (tipSlice_ < 0) ::SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  tipSlice_ = slice;
}

CString CPieChartCtrl::GetShownTip() const {
  if (!tip_ || !::IsWindowVisible(tip_)) return CString();
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = m_hWnd;
  tool.lpszText = text;
  ::SendMessageW(tip_, TTM_GETTEXTW, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(&tool));
  return CString(text);
}

void CPieChartCtrl::HideTip() {
  if (tipSlice_ < 0 || !tip_) {
    tipSlice_ = -1;
    return;
  }
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = m_hWnd;
  ::SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  tipSlice_ = -1;
}

void CPieChartCtrl::OnDestroy() {
  if (tip_) ::DestroyWindow(tip_);
  tip_ = nullptr;
  tipSlice_ = -1;
  DefWindowProc(WM_DESTROY, 0, 0);
}
