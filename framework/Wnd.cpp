#include "framework/Wnd.h"

#include <exception>
#include <utility>
#include <map>
#include <string>
#include <vector>

#include "framework/Trace.h"
#include "framework/Module.h"
#include "platform/TextWin.h"

namespace {

constexpr wchar_t kObjectProp[] = L"Dravon.CWnd";

// The object whose window of our own class is being made on this thread
// (until the window's first message attaches it).
thread_local CWnd* t_making = nullptr;
// The creation scope of a dialog or common control: its object, the class
// it waits for, and the hook that subclasses that window when it is made.
thread_local CWnd* t_scopeWnd = nullptr;
thread_local const wchar_t* t_scopeClass = nullptr;
thread_local HHOOK t_hook = nullptr;
thread_local int t_scopes = 0;

int g_endedByBase = 0;

// Whether `wnd` is of class `name` (a name, compared as the system does,
// or an atom such as WC_DIALOG, whose name is "#<atom>").
bool IsOfClass(HWND wnd, const wchar_t* name) {
  wchar_t actual[256] = {};
  if (!::GetClassNameW(wnd, actual, 256)) return false;
  wchar_t atom[16];
  if (IS_INTRESOURCE(name)) {
    swprintf(atom, 16, L"#%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    name = atom;
  }
  return _wcsicmp(actual, name) == 0;
}

// Whether `cs` names one of our own classes, whose windows attach at
// WM_NCCREATE.
bool IsOwnClass(const CREATESTRUCTW& cs) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  return (::GetClassInfoExW(cs.hInstance, cs.lpszClass, &wc) ||
          ::GetClassInfoExW(nullptr, cs.lpszClass, &wc)) &&
         wc.lpfnWndProc == StdWndProc;
}

// The object for a window of our class that has none yet: the one named
// by lpCreateParams at WM_NCCREATE, or (for the messages before it) the one
// this thread is making. Null for anyone else's window of our class.
CWnd* MakingFor(UINT msg, LPARAM lParam) {
  if (!t_making) return nullptr;
  if (msg == WM_NCCREATE &&
      reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams != t_making) {
    return nullptr;
  }
  return std::exchange(t_making, nullptr);
}

}  // namespace

// Subclasses the window the creation scope waits for when the system makes
// it, so a dialog or common control is routed from WM_NCCREATE on.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  HWND wnd = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_CREATEWND && t_scopeWnd && IsOfClass(wnd, t_scopeClass)) {
    std::exchange(t_scopeWnd, nullptr)->SubclassWindow(wnd);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

namespace afx {

int WindowsEndedByBase() { return g_endedByBase; }

CreationScope::CreationScope(CWnd* wnd, const wchar_t* className)
    : savedWnd_(t_scopeWnd), savedClass_(t_scopeClass) {
  t_scopeWnd = wnd;
  t_scopeClass = className;
  if (t_scopes++ == 0) {
    t_hook = ::SetWindowsHookExW(WH_CBT, CreationHook, nullptr, ::GetCurrentThreadId());
  }
}

CreationScope::~CreationScope() {
  t_scopeWnd = savedWnd_;
  t_scopeClass = savedClass_;
  if (--t_scopes == 0 && t_hook) {
    ::UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
  }
}

}  // namespace afx

CWnd::~CWnd() {
  if (m_hWnd) {
    ++g_endedByBase;
    afx::Trace(L"A window outlived its afx::Window and ends without its object\n");
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

bool CCmdTarget::HandlesCommand(UINT id) {
  LRESULT result = 0;
  return OnWndMsg(afx::kCommandQuery, id, 0, result);
}

CWnd* CWnd::FromHandlePermanent(HWND wnd) {
  return wnd ? static_cast<CWnd*>(::GetPropW(wnd, kObjectProp)) : nullptr;
}

void CWnd::Attach(HWND wnd) {
  m_hWnd = wnd;
  dpi_ = afx::DpiForWindow(wnd);
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
                    const RECT& rect, HWND parent, UINT idOrMenu) {
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
  return CreateFromStruct(cs);
}

bool CWnd::CreateFromStruct(CREATESTRUCTW cs) {
  if (m_hWnd) return false;
  cs.hInstance = AfxGetInstanceHandle();
  if (!PreCreateWindow(cs)) return false;
  HWND wnd;
  if (IsOwnClass(cs)) {
    // Our class: the window brings this object to its first message.
    cs.lpCreateParams = this;
    CWnd* outer = std::exchange(t_making, this);
    wnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                            cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                            cs.lpCreateParams);
    t_making = outer;
  } else {
    afx::CreationScope scope(this, cs.lpszClass);
    wnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                            cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                            nullptr);
  }
  if (!wnd) {
    // A failed WM_CREATE destroys the window, which detached us already.
    m_hWnd = nullptr;
    return false;
  }
  if (m_hWnd != wnd) {
    // Made without reaching us: a fault in the framework, not the caller.
    afx::Trace(L"A window was made without its object (class %ls)\n",
               IS_INTRESOURCE(cs.lpszClass) ? L"#atom" : cs.lpszClass);
    ::DestroyWindow(wnd);
    return false;
  }
  return true;
}

bool CWnd::Create(const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id) {
  return CreateEx(0, className, title, style | WS_CHILD, rect, parent ? parent->m_hWnd : nullptr,
                  id);
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return parent && parent->m_hWnd &&
         SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
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
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return dis->CtlType == ODT_MENU ? nullptr : dis->hwndItem;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      return mis->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(mis->CtlID));
    }
    case WM_COMPAREITEM:
      return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_DELETEITEM:
      return reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:  // null for the window's own scroll bars
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      return reinterpret_cast<HWND>(lParam);
    default:
      return nullptr;
  }
}

}  // namespace

bool CWnd::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = ReflectTarget(m_hWnd, msg, wParam, lParam);
  CWnd* target = child ? FromHandlePermanent(child) : nullptr;
  if (!target || target == this) return false;
  result = 0;
  return target->OnWndMsg(afx::Reflected(msg), wParam, lParam, result);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wParam, lParam, result)) return result;
  if (OnWndMsg(msg, wParam, lParam, result)) return result;
  return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::OnException(UINT msg) {
  switch (msg) {
    case WM_CREATE: return -1;
    case WM_NCCREATE: return FALSE;
    default: return 0;
  }
}

bool afx::Matches(const Route& r, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (r.match == Route::Match::kCommand) {
    const UINT id = LOWORD(wParam);
    return IsCommandMessage(msg, wParam, lParam) && id >= r.idFirst && id <= r.idLast;
  }
  if (msg < r.msg || msg > r.msgLast) return false;
  switch (r.match) {
    case Route::Match::kMessage:
    case Route::Match::kCommand:
      return true;
    case Route::Match::kControl: {
      const UINT id = LOWORD(wParam);
      return lParam != 0 && HIWORD(wParam) == r.code && id >= r.idFirst && id <= r.idLast;
    }
    case Route::Match::kNotify: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      return hdr->code == r.code && hdr->idFrom >= r.idFirst && hdr->idFrom <= r.idLast;
    }
    case Route::Match::kReflectCommand:
      return HIWORD(wParam) == r.code;
    case Route::Match::kReflectNotify:
      return reinterpret_cast<const NMHDR*>(lParam)->code == r.code;
  }
  return false;
}

bool CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnMessage<&CWnd::OnDpiChangedMessage>(afx::kWmDpiChanged),
      afx::OnMessage<&CWnd::OnDpiChangedBeforeParent>(afx::kWmDpiChangedBeforeParent),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result);
}

void CWnd::ApplyDpi(UINT dpi) {
  if (dpi == 0 || dpi == dpi_) return;
  dpi_ = dpi;
  OnDpiChanged(dpi);
}

void CWnd::ApplyDpiBelow(HWND parent, UINT dpi) {
  // Taken first: a window made again for the DPI may make or end children.
  std::vector<HWND> children;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  for (HWND child : children) {
    if (!::IsWindow(child)) continue;
    // Below a window that is not ours too: its children may be.
    ApplyDpiBelow(child, dpi);
    if (CWnd* object = FromHandlePermanent(child)) object->ApplyDpi(dpi);
  }
}

void CWnd::ApplyDpiToChildren(UINT dpi) { ApplyDpiBelow(m_hWnd, dpi); }

LRESULT CWnd::OnDpiChangedBeforeParent(WPARAM, LPARAM) {
  ApplyDpi(afx::DpiForWindow(m_hWnd));
  return 0;
}

LRESULT CWnd::OnDpiChangedMessage(WPARAM dpis, LPARAM suggested) {
  const UINT dpi = LOWORD(dpis);
  ApplyDpiToChildren(dpi);
  ApplyDpi(dpi);
  if (suggested && !(GetStyle() & WS_CHILD)) PlaceForDpi(*reinterpret_cast<const RECT*>(suggested));
  return 0;
}

void CWnd::PlaceForDpi(const RECT& r) {
  SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
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

CRect CWnd::GetRectInParent() const {
  CRect r = GetWindowRect();
  ::MapWindowPoints(HWND_DESKTOP, GetParent(), reinterpret_cast<POINT*>(&r), 2);
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
  if (!self && (self = MakingFor(msg, lParam)) != nullptr) self->Attach(wnd);
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
  // The object may be gone (a throwing handler can end its window).
  if (CWnd* still = CWnd::FromHandlePermanent(wnd)) return still->OnException(msg);
  return msg == WM_CREATE ? -1 : 0;
}
