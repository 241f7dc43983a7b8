#include "app/StandInPanes.h"

#include <algorithm>

#include "app/Messages.h"
#include "app/layout/OutBarLayout.h"
#include "framework/WinApp.h"

// ---- splitter ----

bool CStandInSplitter::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
  if (rows != 1 || cols != 2) return false;  // the only arrangement the frame uses
  const wchar_t* cls = RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  return CreateEx(0, cls, nullptr, style | WS_CLIPCHILDREN, CRect(), parent->m_hWnd, id);
}

void CStandInSplitter::SetColumnInfo(int col, int ideal, int minimum) {
  if (col == 0) column0Width_ = ideal < minimum ? 0 : ideal;
  RecalcLayout();
}

void CStandInSplitter::RecalcLayout() {
  CRect client = GetClientRect();
  // A 6-pixel strip above the panes, and a bar plus gap of 3 + 3 pixels.
  client.top += 6;
  int left = std::min(column0Width_, client.Width());
  if (HWND pane0 = GetDlgItem(static_cast<int>(IdFromRowCol(0, 0)))) {
    ::MoveWindow(pane0, client.left, client.top, left, client.Height(), TRUE);
  }
  if (HWND pane1 = GetDlgItem(static_cast<int>(IdFromRowCol(0, 1)))) {
    int x = std::min(static_cast<int>(client.left) + left + 6, static_cast<int>(client.right));
    ::MoveWindow(pane1, x, client.top, client.right - x, client.Height(), TRUE);
  }
}

bool CStandInSplitter::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnSize<&CStandInSplitter::OnSize>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}

// ---- drive bar ----

namespace {
constexpr int kItemHeight = 64;
constexpr int kTopGap = 26;
}  // namespace

bool CStandInDriveBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD options) {
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy(lf.lfFaceName, L"MS Shell Dlg");
  font_.CreateFontIndirect(lf);
  const wchar_t* cls = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
  return CreateEx(WS_EX_STATICEDGE, cls, nullptr, style | WS_CHILD, rect, parent->m_hWnd, id);
}

HIMAGELIST CStandInDriveBar::AttachImageList(HIMAGELIST list, int kind) {
  if (kind != 2) return nullptr;
  HIMAGELIST old = large_;
  large_ = list;
  return old;
}

int CStandInDriveBar::AppendFolder(const wchar_t*, DWORD) { return 0; }

void CStandInDriveBar::AddItem(int, int index, const wchar_t* text, int image, DWORD) {
  Item item{CString(text ? text : L""), image};
  if (index < 0 || index >= GetItemCount()) {
    items_.push_back(item);
  } else {
    items_.insert(items_.begin() + index, item);
  }
  if (m_hWnd) Invalidate();
}

void CStandInDriveBar::SelectItem(int index) {
  if (index < GetItemCount() && index != selected_) {
    selected_ = index;
    if (m_hWnd) Invalidate();
  }
}

CRect CStandInDriveBar::ItemRect(int index) const {
  CRect client = GetClientRect();
  int top = kTopGap + index * kItemHeight;
  return CRect(client.left, top, client.right, top + kItemHeight);
}

int CStandInDriveBar::HitTest(POINT p) const {
  for (int i = 0; i < GetItemCount(); ++i) {
    if (ItemRect(i).PtInRect(p)) return i;
  }
  return -1;
}

void CStandInDriveBar::OnPaint() {
  CPaintDC dc(m_hWnd);
  CRect client = GetClientRect();
  dc.FillSolidRect(client, RGB(0, 50, 55));
  CSelectObject font(dc, font_);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(255, 255, 255));
  for (int i = 0; i < GetItemCount(); ++i) {
    CRect r = ItemRect(i);
    if (i == selected_) dc.FillSolidRect(r, RGB(0, 150, 221));
    if (large_ && items_[static_cast<size_t>(i)].image >= 0) {
      ImageList_Draw(large_, items_[static_cast<size_t>(i)].image, dc, r.left + (r.Width() - 32) / 2,
                     r.top + 4, ILD_TRANSPARENT);
    }
    CRect text = r;
    text.top += 40;
    dc.DrawText(items_[static_cast<size_t>(i)].text, -1, text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void CStandInDriveBar::OnLButtonDown(UINT, CPoint p) {
  int item = HitTest(p);
  int code = layout::SlotCodeForItem(item);
  if (item < 0 || code == 0) return;
  selected_ = item;
  Invalidate();
  ::SendMessageW(GetOwner(), WM_BARCLICK, static_cast<WPARAM>(code), item);
}

bool CStandInDriveBar::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnPaint<&CStandInDriveBar::OnPaint>(),
      afx::OnLButtonDown<&CStandInDriveBar::OnLButtonDown>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}
