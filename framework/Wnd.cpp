#include "framework/Wnd.h"

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "framework/Trace.h"
#include "framework/WinApp.h"
#include "platform/TextWin.h"

namespace {

constexpr wchar_t kObjectProp[] = L"Dravon.CWnd";

// The object whose window is being created on this thread: the first message
// the new window receives (often WM_GETMINMAXINFO, before WM_NCCREATE)
// attaches it.
thread_local CWnd* t_creating = nullptr;

class CreationScope {
 public:
  explicit CreationScope(CWnd* wnd) : saved_(t_creating) { t_creating = wnd; }
  ~CreationScope() { t_creating = saved_; }

 private:
  CWnd* saved_;
};

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd) {
    // The window procedure must not reach a half-destroyed object.
    HWND wnd = m_hWnd;
    if (m_superProc) {
      UnsubclassWindow();
    } else {
      DetachFromWindow();
    }
    ::DestroyWindow(wnd);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND wnd) {
  return wnd ? static_cast<CWnd*>(::GetPropW(wnd, kObjectProp)) : nullptr;
}

void CWnd::Attach(HWND wnd) {
  m_hWnd = wnd;
  ::SetPropW(wnd, kObjectProp, this);
}

void CWnd::DetachFromWindow() {
  if (m_hWnd) ::RemovePropW(m_hWnd, kObjectProp);
  m_hWnd = nullptr;
}

const wchar_t* CWnd::RegisterWndClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  // One class per distinct set of attributes, named after them.
  static std::map<std::wstring, std::wstring> registered;
  wchar_t name[96];
  swprintf(name, 96, L"Dravon:%x:%p:%p:%p", style, static_cast<void*>(cursor),
           static_cast<void*>(background), static_cast<void*>(icon));
  auto it = registered.find(name);
  if (it != registered.end()) return it->second.c_str();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = StdWndProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  if (!::RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    afx::Trace(L"RegisterClassEx failed (%lu)\n", GetLastError());
    return nullptr;
  }
  return registered.emplace(name, name).first->second.c_str();
}

bool CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
  }
  return cs.lpszClass != nullptr;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    const RECT& rect, HWND parent, UINT idOrMenu, void* param) {
  if (m_hWnd) return false;
  CREATESTRUCTW cs{};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = title;
  cs.style = static_cast<LONG>(style);
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  cs.hwndParent = parent;
  cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(idOrMenu));
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  return CreateFromStruct(cs);
}

bool CWnd::CreateFromStruct(CREATESTRUCTW cs) {
  if (m_hWnd) return false;
  cs.hInstance = AfxGetInstanceHandle();
  if (!PreCreateWindow(cs)) return false;
  HWND wnd;
  {
    CreationScope scope(this);
    wnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                            cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                            cs.lpCreateParams);
  }
  if (!wnd) {
    // A failed WM_CREATE destroys the window, which detached us already.
    m_hWnd = nullptr;
    return false;
  }
  if (m_hWnd != wnd) {
    // A class that is not ours (a common control): route it through us now.
    if (!SubclassWindow(wnd)) {
      ::DestroyWindow(wnd);
      return false;
    }
  }
  return true;
}

bool CWnd::Create(const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id) {
  return CreateEx(0, className, title, style | WS_CHILD, rect, parent ? parent->m_hWnd : nullptr,
                  id);
}

bool CWnd::SubclassWindow(HWND wnd) {
  if (m_hWnd || !wnd || FromHandlePermanent(wnd)) return false;
  Attach(wnd);
  m_superProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
  if (!m_superProc) {
    DetachFromWindow();
    return false;
  }
  return true;
}

HWND CWnd::UnsubclassWindow() {
  HWND wnd = m_hWnd;
  if (wnd && m_superProc) {
    ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
  }
  m_superProc = nullptr;
  DetachFromWindow();
  return wnd;
}

bool CWnd::DestroyWindow() {
  return m_hWnd && ::DestroyWindow(m_hWnd) != FALSE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_superProc) return ::CallWindowProcW(m_superProc, m_hWnd, msg, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

namespace {

// The child a reflectable message is about, or null.
HWND ReflectTarget(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);  // null for menus and accelerators
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      return dis->CtlType == ODT_MENU ? nullptr : dis->hwndItem;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      return mis->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(mis->CtlID));
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lParam);
    default:
      return nullptr;
  }
}

}  // namespace

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (HWND child = ReflectTarget(m_hWnd, msg, wParam, lParam)) {
    CWnd* target = FromHandlePermanent(child);
    LRESULT result = 0;
    if (target && target != this && target->OnChildNotify(msg, wParam, lParam, result)) {
      return result;
    }
  }
  switch (msg) {
    case WM_COMMAND:
      if (OnCmdMsg(LOWORD(wParam), true)) return 0;
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      LRESULT result = 0;
      if (CWnd* from = FromHandlePermanent(hdr->hwndFrom);
          from && from != this && from->OnReflectNotify(hdr, result)) {
        return result;
      }
      if (OnNotify(hdr, result)) return result;
      break;
    }
    default:
      break;
  }
  return DefWindowProc(msg, wParam, lParam);
}

CRect CWnd::GetClientRect() const {
  CRect r;
  ::GetClientRect(m_hWnd, &r);
  return r;
}

CRect CWnd::GetWindowRect() const {
  CRect r;
  ::GetWindowRect(m_hWnd, &r);
  return r;
}

CString CWnd::GetWindowText() const {
  int n = ::GetWindowTextLengthW(m_hWnd);
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
  n = ::GetWindowTextW(m_hWnd, buf.data(), n + 1);
  return CString(std::wstring(buf.data(), static_cast<size_t>(n > 0 ? n : 0)));
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  DWORD old = GetStyle();
  DWORD now = (old & ~remove) | add;
  if (old == now) return false;
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(now));
  if (swpFlags) {
    SetWindowPos(nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
  DWORD old = GetExStyle();
  DWORD now = (old & ~remove) | add;
  if (old == now) return false;
  ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(now));
  if (swpFlags) {
    SetWindowPos(nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

void CWnd::CenterWindow(HWND alternate) {
  CRect area;
  HWND over = alternate;
  if (!over && (GetStyle() & WS_CHILD)) over = GetParent();
  if (!over && !(GetStyle() & WS_CHILD)) over = ::GetWindow(m_hWnd, GW_OWNER);
  if (over && ::IsWindowVisible(over) && !::IsIconic(over)) {
    ::GetWindowRect(over, &area);
  } else {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    area = mi.rcWork;
  }
  CRect me = GetWindowRect();
  int x = area.left + (area.Width() - me.Width()) / 2;
  int y = area.top + (area.Height() - me.Height()) / 2;
  if (GetStyle() & WS_CHILD) {
    POINT p{x, y};
    ::ScreenToClient(GetParent(), &p);
    x = p.x;
    y = p.y;
  }
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* self = CWnd::FromHandlePermanent(wnd);
  if (!self && t_creating) {
    self = t_creating;
    t_creating = nullptr;
    self->Attach(wnd);
  }
  if (!self) return ::DefWindowProcW(wnd, msg, wParam, lParam);
  try {
    if (msg == WM_NCDESTROY) {
      LRESULT r = self->DefWindowProc(msg, wParam, lParam);
      self->m_superProc = nullptr;
      self->DetachFromWindow();
      self->PostNcDestroy();
      return r;
    }
    return self->WindowProc(msg, wParam, lParam);
  } catch (const std::exception& e) {
    afx::Trace(L"Exception in window procedure (message 0x%x): %ls\n", msg,
               platform::Widen(e.what()).c_str());
  } catch (...) {
    afx::Trace(L"Exception in window procedure (message 0x%x)\n", msg);
  }
  return 0;
}
