// CWnd: a C++ object attached to one window.
//
// Every window we create or subclass runs through one window procedure
// (StdWndProc). The object is attached before the window's first message:
// a thread-local creation scope names it and a CBT hook subclasses the new
// window at HCBT_CREATEWND, so common controls and dialogs see their object
// from WM_NCCREATE on, as our own classes do. The object is detached at
// WM_NCDESTROY, after which PostNcDestroy runs (a window that owns itself
// deletes itself there). No exception leaves the procedure: a throwing
// handler is traced and the message gets its failure value (OnException).
//
// Dispatch, for each message:
//  1. WindowProc first hands a message about a child of ours (a control
//     notification, WM_NOTIFY, owner drawing, colours, scrolling) to that
//     child, as afx::Reflected(msg), through the child's OnWndMsg;
//  2. then OnWndMsg, each class's one dispatch point: a table of typed
//     routes (framework/Routes.h), ending in its base class's OnWndMsg;
//  3. what nothing took goes to DefWindowProc.
// CWnd::OnWndMsg itself routes commands (menus, accelerators, toolbar
// buttons and clicks: afx::IsCommand) to OnCmdMsg(id, execute). A class
// answers true for the commands it handles and runs the handler only when
// `execute` is set, so the same table tells menus and toolbars which
// commands to enable.
//
// Lifetime: ~CWnd destroys a window that is still there, but by then the
// derived parts of the object are gone and cannot see the window end. A
// class with routes for WM_DESTROY destroys its window in its own
// destructor; CWnd counts (and traces) the windows it had to end without
// that, so a test can check that none was (afx::WindowsEndedByBase).
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/Rect.h"
#include "framework/Routes.h"
#include "framework/String.h"

// Sent to the main window when the message queue runs empty, so it can
// enable its control bars' buttons by what the command routes handle.
inline constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;

// A route from a command identifier (or a range) to a handler member.
template <class T>
struct CommandRoute {
  UINT first;
  UINT last;
  void (T::*handler)(UINT id);
};

// Looks `id` up in `routes`; runs the handler when `execute` is set.
template <class T, std::size_t N>
bool RouteCommand(T* self, const CommandRoute<T> (&routes)[N], UINT id, bool execute) {
  for (const auto& r : routes) {
    if (id >= r.first && id <= r.last) {
      if (execute) (self->*r.handler)(id);
      return true;
    }
  }
  return false;
}

namespace afx {
// While it lives, the next window created on this thread is attached to
// `wnd` before its first message (scopes nest).
class CreationScope {
 public:
  explicit CreationScope(CWnd* wnd);
  ~CreationScope();
  CreationScope(const CreationScope&) = delete;
  CreationScope& operator=(const CreationScope&) = delete;

 private:
  CWnd* saved_;
};

// Windows whose destruction ~CWnd had to do after their class's own
// WM_DESTROY route could no longer run (a lifetime fault; see above).
int WindowsEndedByBase();
}  // namespace afx

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  // Destroys a window that still exists, so no window outlives its object.
  virtual ~CWnd();

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to `wnd`, or null when it is not one of ours.
  static CWnd* FromHandlePermanent(HWND wnd);

  // Registers (once) a window class using our window procedure and returns
  // its name, like AfxRegisterWndClass.
  static const wchar_t* RegisterWndClass(UINT style, HCURSOR cursor = nullptr,
                                         HBRUSH background = nullptr, HICON icon = nullptr);

  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                const RECT& rect, HWND parent, UINT idOrMenu, void* param = nullptr);
  // Creates the window as `cs` describes it, after PreCreateWindow.
  bool CreateFromStruct(CREATESTRUCTW cs);
  // Child window of our default class.
  bool Create(const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
              CWnd* parent, UINT id);
  // Routes an existing window (a control) through this object.
  bool SubclassWindow(HWND wnd);
  // Routes the control `id` of `parent` (a dialog template's control).
  bool SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();
  bool DestroyWindow();

  // The framework's dispatch (see above); rarely overridden.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The class's dispatch point: true when a route took the message, with
  // its result. Derived classes dispatch their table, then call the base.
  virtual bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The default handling of the window's class (or of the subclassed window).
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The default handling of the message being dispatched, for a handler
  // that adds to it; 0 for a reflected message.
  LRESULT Default();
  virtual bool PreCreateWindow(CREATESTRUCTW& cs);
  virtual void PostNcDestroy() {}
  virtual bool OnCmdMsg(UINT id, bool execute) { return false; }
  // Messages queued for this window's thread before dispatch (accelerators,
  // dialog keyboard navigation).
  virtual bool PreTranslateMessage(MSG& msg) { return false; }

  // Thin helpers over the Win32 calls.
  bool ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT& r, bool erase = true) { ::InvalidateRect(m_hWnd, &r, erase); }
  bool SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE;
  }
  void MoveWindow(const RECT& r, bool repaint = true) {
    ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
  }
  CRect GetClientRect() const;
  CRect GetWindowRect() const;
  // The window's rectangle in its parent's client coordinates.
  CRect GetRectInParent() const;
  void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
  CString GetWindowText() const;
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
  bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  bool ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::SendMessageW(m_hWnd, msg, wp, lp);
  }
  bool PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::PostMessageW(m_hWnd, msg, wp, lp) != FALSE;
  }
  void SetFont(HFONT font, bool redraw = true) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  }
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
  // The caption's (small) or the task switcher's (big) icon; returns the
  // previous one. The window does not own it.
  HICON SetIcon(HICON icon, bool big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
  }
  HICON GetIcon(bool big) const {
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
  }
  // Centres the window over its owner, or over the screen's work area.
  void CenterWindow(HWND alternate = nullptr);
  bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
  bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
  bool EnableWindow(bool enable) { return ::EnableWindow(m_hWnd, enable) != FALSE; }
  HWND GetParent() const { return ::GetParent(m_hWnd); }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(m_hWnd, id, ms, nullptr); }
  bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }
  // The window that receives this window's notifications (default: the
  // parent). A dialog set an owner before it runs is owned by that window.
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND GetOwner() const { return owner_ ? owner_ : m_hWnd ? ::GetParent(m_hWnd) : nullptr; }

 protected:
  // The result a message gets when its handler threw: -1 for WM_CREATE,
  // FALSE for WM_NCCREATE (both fail the creation), 0 for the rest.
  virtual LRESULT OnException(UINT msg);

  WNDPROC m_superProc = nullptr;  // the subclassed window's own procedure

 private:
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK CreationHook(int, WPARAM, LPARAM);
  template <std::size_t N>
  friend bool afx::Dispatch(CWnd&, const afx::Route (&)[N], UINT, WPARAM, LPARAM, LRESULT&);
  struct Current {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  void Attach(HWND wnd);
  void DetachFromWindow();
  // Offers a message about a child of ours to that child's routes.
  bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Runs OnWndMsg with `msg` as the current message.
  bool DispatchAs(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  HWND owner_ = nullptr;
  const Current* current_ = nullptr;
  bool routesDestroy_ = false;  // a route of the class took WM_DESTROY
};

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

template <std::size_t N>
bool afx::Dispatch(CWnd& self, const Route (&routes)[N], UINT msg, WPARAM wParam, LPARAM lParam,
                   LRESULT& result) {
  // Noted before any handler runs: a handler may end the object.
  for (const Route& r : routes) {
    if (r.match == Route::Match::kMessage && r.msg == WM_DESTROY) self.routesDestroy_ = true;
  }
  for (const Route& r : routes) {
    if (Matches(r, msg, wParam, lParam) && r.call(self, msg, wParam, lParam, result)) return true;
  }
  return false;
}

// Shows the wait cursor for the lifetime of the object.
class CWaitCursor {
 public:
  CWaitCursor() : old_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  ~CWaitCursor() { ::SetCursor(old_); }

 private:
  HCURSOR old_;
};
