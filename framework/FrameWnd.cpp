#include "framework/FrameWnd.h"

#include "framework/Menu.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"

bool CView::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = RegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                    ::LoadCursorW(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  // A view's border is drawn as a client edge.
  if (cs.style & WS_BORDER) {
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    cs.style &= ~WS_BORDER;
  }
  return cs.lpszClass != nullptr;
}

void CView::OnPaint() {
  CPaintDC dc(m_hWnd);
  OnDraw(dc);
}

bool CView::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnPaint<&CView::OnPaint>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result);
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                                    ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_resourceId)));
  }
  cs.dwExStyle |= WS_EX_CLIENTEDGE;
  return cs.lpszClass != nullptr;
}

bool CFrameWnd::LoadFrame(UINT id, DWORD style, CWnd* parent) {
  m_resourceId = id;
  CString full;
  full.LoadString(id);
  m_title = ExtractSubString(full, 0);
  CMenu menu;
  menu.LoadMenu(id);
  m_accel = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
  CREATESTRUCTW cs{};
  cs.lpszName = m_title;
  cs.style = static_cast<LONG>(style & ~FWS_ADDTOTITLE);
  cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
  cs.hwndParent = parent ? parent->m_hWnd : nullptr;
  cs.hMenu = menu.GetSafeHmenu();
  if (!CreateFromStruct(cs)) return false;
  // The window owns its menu from here on (destroyed with it).
  menu.Detach();
  return true;
}

void CFrameWnd::DockControlBar(CToolBar* bar) {
  bars_.push_back(bar);
  RecalcLayout();
}

void CFrameWnd::RecalcLayout() {
  if (!m_hWnd) return;
  CRect client = GetClientRect();
  for (CToolBar* bar : bars_) {
    if (!bar->m_hWnd || !bar->IsWindowVisible()) continue;
    int h = bar->CalcHeight();
    bar->SetWindowPos(nullptr, client.left, client.top, client.Width(), h,
                      SWP_NOZORDER | SWP_NOACTIVATE);
    client.top += h;
  }
  if (HWND pane = GetDlgItem(AFX_IDW_PANE_FIRST)) {
    ::SetWindowPos(pane, nullptr, client.left, client.top, client.Width(),
                   client.Height() > 0 ? client.Height() : 0, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CFrameWnd::OnAppExit() { SendMessage(WM_CLOSE); }

bool CFrameWnd::PassCommand(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!afx::IsCommandMessage(msg, wParam, lParam)) return false;
  if (view_ && view_->OnWndMsg(msg, wParam, lParam, result)) return true;
  CWinApp* app = AfxGetApp();
  return app && app->m_pMainWnd == this && app->OnWndMsg(msg, wParam, lParam, result);
}

bool CFrameWnd::PreTranslateMessage(MSG& msg) {
  if (m_accel && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    return ::TranslateAcceleratorW(m_hWnd, m_accel, &msg) != 0;
  }
  return false;
}

void CFrameWnd::UpdateControlBars() {
  for (CToolBar* bar : bars_) bar->UpdateButtons(*this);
}

void CFrameWnd::UpdateMenu(HMENU popup) {
  int n = ::GetMenuItemCount(popup);
  for (int i = 0; i < n; ++i) {
    UINT id = ::GetMenuItemID(popup, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or popup
    // Items are only ever disabled here, so a caller's own greying stays.
    if (!HandlesCommand(id)) ::EnableMenuItem(popup, i, MF_BYPOSITION | MF_GRAYED);
  }
}

void CFrameWnd::PostNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) ::PostQuitMessage(0);
}

void CFrameWnd::OnSize(UINT type, int cx, int cy) {
  DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, bool systemMenu) {
  if (!systemMenu) UpdateMenu(popup);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
  UpdateControlBars();
  return 0;
}

void CFrameWnd::OnClose() { DestroyWindow(); }

bool CFrameWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnSize<&CFrameWnd::OnSize>(),
      afx::OnInitMenuPopup<&CFrameWnd::OnInitMenuPopup>(),
      afx::OnMessage<&CFrameWnd::OnIdleUpdateCmdUI>(WM_IDLEUPDATECMDUI),
      afx::OnClose<&CFrameWnd::OnClose>(),
      afx::OnCommand<&CFrameWnd::OnAppExit>(ID_APP_EXIT),
  };
  // The frame's own commands, then the active view's, then the application's.
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CWnd::OnWndMsg(msg, wParam, lParam, result) ||
         PassCommand(msg, wParam, lParam, result);
}
