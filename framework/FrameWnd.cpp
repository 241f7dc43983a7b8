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

LRESULT CView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    CPaintDC dc(m_hWnd);
    OnDraw(dc);
    return 0;
  }
  return CWnd::WindowProc(msg, wParam, lParam);
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

void CFrameWnd::OnAppExit(UINT) { SendMessage(WM_CLOSE); }

bool CFrameWnd::OnCmdMsg(UINT id, bool execute) {
  static constexpr CommandRoute<CFrameWnd> routes[] = {
      {ID_APP_EXIT, ID_APP_EXIT, &CFrameWnd::OnAppExit},
  };
  if (RouteCommand(this, routes, id, execute)) return true;
  if (view_ && view_->OnCmdMsg(id, execute)) return true;
  CWinApp* app = AfxGetApp();
  return app && app->m_pMainWnd == this && app->OnCmdMsg(id, execute);
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
    if (!OnCmdMsg(id, false)) ::EnableMenuItem(popup, i, MF_BYPOSITION | MF_GRAYED);
  }
}

void CFrameWnd::PostNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) ::PostQuitMessage(0);
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(*reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return DefWindowProc(msg, wParam, lParam);
    case WM_SIZE:
      DefWindowProc(msg, wParam, lParam);
      if (wParam != SIZE_MINIMIZED) RecalcLayout();
      return 0;
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam, lParam);
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam)) UpdateMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_IDLEUPDATECMDUI:
      UpdateControlBars();
      return 0;
    case WM_CLOSE:
      DestroyWindow();
      return 0;
    default:
      return CWnd::WindowProc(msg, wParam, lParam);
  }
}
