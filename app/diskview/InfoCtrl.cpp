#include "app/diskview/InfoCtrl.h"

#include "app/diskview/PanelWin.h"
#include "platform/TextWin.h"

using diskview::InfoPaintPlan;
using diskview::InfoRowPlan;

namespace {

constexpr UINT kLeftLine = DT_SINGLELINE | DT_VCENTER;
constexpr UINT kCentredLine = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

void DrawUtf8(CDC& dc, const std::string& text, const geom::Rect& r, UINT format) {
  const std::wstring wide = platform::Widen(text);
  CRect box(r);
  dc.DrawText(wide.c_str(), static_cast<int>(wide.size()), box, format);
}

void Sunken(CDC& dc, const geom::Rect& r) {
  CRect box(r);
  dc.DrawEdge(box, EDGE_SUNKEN, BF_RECT);
}

}  // namespace

// No cursor, no background (the paint covers everything), no icon.
CInfoCtrl::CInfoCtrl() : CPanelWnd(CWnd::RegisterWndClass(CS_HREDRAW | CS_VREDRAW), true) {}

bool CInfoCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCreate<&CInfoCtrl::OnCreate>(),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
         CPanelWnd::OnWndMsg(msg, wp, lp, result);
}

int CInfoCtrl::OnCreate(CREATESTRUCTW& cs) {
  if (DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return -1;
  model_ = std::make_unique<diskview::InfoModel>([](int key) {
    CString text;
    text.LoadString(static_cast<UINT>(key));
    return text.ToUtf8();
  });
  if (!font_) diskview::CreatePanelFont(font_, L"MS Sans Serif", 13, GetDpi());
  return 0;
}

void CInfoCtrl::OnDpiChanged(UINT dpi) {
  diskview::CreatePanelFont(font_, L"MS Sans Serif", 13, dpi);
  Refresh();
}

bool CInfoCtrl::SetLine(int key, const CString& text, int value, int group) {
  return model_ && model_->SetLine(key, text.ToUtf8(), value, group);
}

void CInfoCtrl::Refresh() {
  if (m_hWnd) Invalidate(false);
}

void CInfoCtrl::DrawRow(CDC& dc, const InfoRowPlan& row) const {
  DrawUtf8(dc, row.label, row.labelRect, kLeftLine);
  const CRect value(row.valueRect);
  if (!row.percentage) {
    dc.FillSolidRect(value, diskview::kInfoValueBack);
    const COLORREF old = dc.SetTextColor(diskview::kInfoValueText);
    DrawUtf8(dc, row.text, row.valueRect, kCentredLine);
    dc.SetTextColor(old);
    Sunken(dc, row.valueRect);
    return;
  }
  dc.FillSolidRect(value, 0x000000);
  // The bar: white, a gradient up to the share, its caption, a 3-D frame.
  dc.FillSolidRect(value, 0xFFFFFF);
  for (const diskview::GradientBand& band : row.bands) {
    dc.FillSolidRect(CRect(band.rect), band.colour);
  }
  const COLORREF old = dc.SetTextColor(0x000000);
  const std::wstring caption = platform::Widen(row.caption);
  dc.TextOut(row.captionAt.x, row.captionAt.y, caption.c_str(), static_cast<int>(caption.size()));
  dc.Draw3dRect(value, 0x606060, 0xFFFFFF);
  dc.SetTextColor(diskview::kInfoBarText);
  DrawUtf8(dc, row.text, row.valueRect, kCentredLine);
  dc.SetTextColor(old);
  Sunken(dc, row.valueRect);
}

void CInfoCtrl::Paint(CDC& dc) {
  const CRect client = GetClientRect();
  dc.FillSolidRect(client, ::GetSysColor(COLOR_ACTIVEBORDER));
  dc.Draw3dRect(client, diskview::kInfoFrameLight, diskview::kInfoFrameDark);
  CRect edge = client;
  dc.DrawEdge(edge, EDGE_SUNKEN, BF_RECT);
  if (!model_) return;

  const int saved = ::SaveDC(dc);
  {
    dc.SetBkColor(diskview::kInfoFrameLight);
    CSelectObject font(dc, font_);
    dc.SetTextColor(0x000000);
    dc.SetBkMode(TRANSPARENT);
    const InfoPaintPlan plan = Plan(dc);
    for (const diskview::InfoGroupPlan& group : plan.groups) {
      for (const InfoRowPlan& row : group.rows) DrawRow(dc, row);
      if (group.framed) {
        CRect frame(group.frame);
        dc.DrawEdge(frame, EDGE_ETCHED, BF_RECT);
      }
    }
  }
  ::RestoreDC(dc, saved);
}

InfoPaintPlan CInfoCtrl::Plan(CDC& dc) const {
  const CRect client = GetClientRect();
  if (!model_) return InfoPaintPlan{client.ToGeom(), {}};
  return diskview::PlanInfoPaint(
      client.ToGeom(), *model_,
      [&dc](const std::string& text) {
        const std::wstring wide = platform::Widen(text);
        return dc.GetTextExtent(wide.c_str(), static_cast<int>(wide.size())).ToGeom();
      },
      static_cast<int>(GetDpi()));
}

InfoPaintPlan CInfoCtrl::PaintPlan() const {
  CClientDC dc(m_hWnd);
  CSelectObject font(dc, font_);
  return Plan(dc);
}

