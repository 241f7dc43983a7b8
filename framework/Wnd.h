// CWnd: a C++ object attached to one window.
//
// Every window we create or subclass runs through one window procedure
// (StdWndProc). It finds the object (attached before the first message by a
// thread-local creation scope, kept in a window property), and calls the
// object's WindowProc — the one dispatch point of each class, a switch over
// the messages it handles that calls small handler members. No exception
// leaves the procedure. The object is detached at WM_NCDESTROY, after which
// PostNcDestroy runs (a window that owns itself deletes itself there).
//
// Commands are routed by OnCmdMsg(id, execute): a class answers true for the
// commands it handles, and runs the handler only when `execute` is true, so
// the same table tells menus and toolbars which commands to enable.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/Geometry.h"
#include "framework/String.h"

// Sent to the main window when the message queue runs empty, so it can
// enable its control bars' buttons by what the command routes handle.
inline constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;

// The signed client point of a mouse message (what GET_X_LPARAM and
// GET_Y_LPARAM give; windowsx.h's macros clash with member names).
inline POINT PointFromLParam(LPARAM lp) {
  return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

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
  HWND UnsubclassWindow();
  bool DestroyWindow();

  // The dispatch point; derived classes switch over their messages and pass
  // the rest to their base class.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The default handling of the window's class (or of the subclassed window).
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual bool PreCreateWindow(CREATESTRUCTW& cs);
  virtual void PostNcDestroy() {}
  virtual bool OnCmdMsg(UINT id, bool execute) { return false; }
  // A WM_NOTIFY sent by this window to its parent, reflected back to it.
  virtual bool OnReflectNotify(NMHDR* hdr, LRESULT& result) { return false; }
  // WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR* and control notifications
  // (WM_COMMAND with a control handle) that the parent received for this
  // window, reflected back to it so a control owns its drawing and
  // notifications. Return true when handled, with `result` for the parent.
  virtual bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return false;
  }
  // A WM_NOTIFY from a window that is not one of ours (or did not take it).
  virtual bool OnNotify(NMHDR* hdr, LRESULT& result) { return false; }
  // Messages queued for this window's thread before dispatch (accelerators).
  virtual bool PreTranslateMessage(MSG& msg) { return false; }

  // Thin helpers over the Win32 calls.
  bool ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  bool SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE;
  }
  void MoveWindow(const RECT& r, bool repaint = true) {
    ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
  }
  CRect GetClientRect() const;
  CRect GetWindowRect() const;
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
  HWND GetParent() const { return ::GetParent(m_hWnd); }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  // The window that receives this window's notifications (default: the
  // parent). A dialog set an owner before it runs is owned by that window.
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND GetOwner() const { return owner_ ? owner_ : m_hWnd ? ::GetParent(m_hWnd) : nullptr; }

 protected:
  WNDPROC m_superProc = nullptr;  // the subclassed window's own procedure

 private:
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND wnd);
  void DetachFromWindow();
  HWND owner_ = nullptr;
};

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

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
