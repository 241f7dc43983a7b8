// CWnd: a C++ object attached to one window.
//
// Every window we create or subclass runs through one window procedure
// (StdWndProc). How the object meets its window:
//  - a window of our own classes (registered with StdWndProc) carries its
//    object in the CREATESTRUCT's lpCreateParams and is attached at
//    WM_NCCREATE; the one message that may come before it (a top-level
//    window's WM_GETMINMAXINFO, which sets its first size) is given to the
//    object that CreateFromStruct is making on this thread;
//  - a dialog or a common control is subclassed by a creation hook when the
//    system makes a window of the class asked for, so it too is routed
//    from WM_NCCREATE on;
//  - an existing window (a template's control) by SubclassWindow.
// The object is detached at WM_NCDESTROY, after which PostNcDestroy runs.
// No exception leaves the procedure: a throwing handler is traced and the
// message gets its failure value (OnException).
//
// Dispatch, for each message:
//  1. WindowProc first hands a message about a child of ours (a control
//     notification, WM_NOTIFY, owner drawing, colours, scrolling) to that
//     child, as afx::Reflected(msg), through the child's OnWndMsg;
//  2. then OnWndMsg, each class's one dispatch point: a table of typed
//     routes (framework/Routes.h) for messages, commands and
//     notifications, ending in its base class's OnWndMsg;
//  3. what nothing took goes to DefWindowProc.
//
// Display scale: a window knows the DPI it is drawn at (GetDpi) and scales
// the design's 96-DPI pixels by it (Scale). When a top-level window is
// told of a new DPI (WM_DPICHANGED: moved to a monitor of another scale),
// each of its windows that is one of ours runs OnDpiChanged once for the
// new DPI, children before their parents, and then the top-level window
// takes its new rectangle (PlaceForDpi). Windows 10 tells the children
// itself (WM_DPICHANGED_BEFOREPARENT) under per-monitor awareness v2;
// elsewhere, and when a test sends the message, CWnd does.
//
// Lifetime: a window ends before any part of its object goes. A window
// object is always declared as afx::Window<CMyWnd> (a member, a local,
// make_unique<afx::Window<CMyWnd>>), whose destructor ends the window while
// the whole object still sees WM_DESTROY; a class cannot be made any other
// way (CWnd is abstract until afx::Window completes it), so no class writes
// DestroyWindow in its destructor.
#pragma once

#include <windows.h>

#include <cstddef>
#include <type_traits>

#include "framework/Dpi.h"
#include "framework/Rect.h"
#include "framework/Routes.h"
#include "framework/String.h"

// Sent to the main window when the message queue runs empty, so it can
// enable its control bars' buttons by what the command routes handle.
inline constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;

class CWnd;

namespace afx {
template <class T>
class Window;

// While it lives, the first window of class `className` (a name, or an
// atom such as WC_DIALOG) created on this thread is subclassed by `wnd`
// before its first message: dialogs and common controls (scopes nest).
class CreationScope {
 public:
  CreationScope(CWnd* wnd, const wchar_t* className);
  ~CreationScope();
  CreationScope(const CreationScope&) = delete;
  CreationScope& operator=(const CreationScope&) = delete;

 private:
  CWnd* savedWnd_;
  const wchar_t* savedClass_;
};

// Windows that were still there when their CWnd part was destroyed (their
// afx::Window could not end them, for one of another thread): each is
// traced, detached and destroyed.
int WindowsEndedByBase();
}  // namespace afx

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  // A window still there here is a fault (counted and traced, see above);
  // it is destroyed without reaching the object.
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to `wnd`, or null when it is not one of ours.
  static CWnd* FromHandlePermanent(HWND wnd);

  // Registers (once) a window class using our window procedure and returns
  // its name, like AfxRegisterWndClass.
  static const wchar_t* RegisterWndClass(UINT style, HCURSOR cursor = nullptr,
                                         HBRUSH background = nullptr, HICON icon = nullptr);

  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                const RECT& rect, HWND parent, UINT idOrMenu);
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
  // The default handling of the window's class (or of the subclassed
  // window); a handler that adds to it passes its own message on.
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual bool PreCreateWindow(CREATESTRUCTW& cs);
  virtual void PostNcDestroy() {}
  // Messages queued for this window's thread before dispatch (accelerators,
  // dialog keyboard navigation).
  virtual bool PreTranslateMessage(MSG& msg) { return false; }
  // The changes of display scale (see above); classes end their own
  // dispatch here.
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // The DPI the window is drawn at, and `n` 96-DPI pixels at it.
  UINT GetDpi() const { return afx::DpiForWindow(m_hWnd); }
  int Scale(int n) const { return geom::Scale(n, static_cast<int>(GetDpi())); }

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

  // The window is drawn at `dpi` now: its fonts, bitmaps and the places
  // of its children are made again for it. Runs once per change.
  virtual void OnDpiChanged(UINT dpi) {}
  // A top-level window's rectangle after a change of scale; by default
  // the one the system suggests.
  virtual void PlaceForDpi(const RECT& suggested);
  // The DPI the window was last made for.
  UINT LaidOutDpi() const { return dpi_; }
  // Runs OnDpiChanged for `dpi` on every window of ours below this one,
  // children first, that is not made for it yet.
  void ApplyDpiToChildren(UINT dpi);

  WNDPROC m_superProc = nullptr;  // the subclassed window's own procedure

 private:
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK CreationHook(int, WPARAM, LPARAM);
  template <class T>
  friend class afx::Window;
  // Only afx::Window can name this, so only it can complete a CWnd.
  struct WholeObject {};
  virtual void DeclaredAsAfxWindowOnly(WholeObject) = 0;
  void Attach(HWND wnd);
  void DetachFromWindow();
  // Offers a message about a child of ours to that child's routes.
  bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // OnDpiChanged, unless the window is made for `dpi` already.
  void ApplyDpi(UINT dpi);
  static void ApplyDpiBelow(HWND parent, UINT dpi);
  LRESULT OnDpiChangedMessage(WPARAM dpis, LPARAM suggested);
  LRESULT OnDpiChangedBeforeParent(WPARAM, LPARAM);
  HWND owner_ = nullptr;
  UINT dpi_ = 0;
};

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace afx {

// A window object made whole: its destructor ends the window first, so
// WM_DESTROY and the children's ends reach every part of the object
// before any member goes. The only way to make a CWnd.
template <class T>
class Window final : public T {
 public:
  static_assert(std::is_base_of_v<CWnd, T>, "afx::Window holds window classes");
  using T::T;
  ~Window() override { this->DestroyWindow(); }

 private:
  void DeclaredAsAfxWindowOnly(CWnd::WholeObject) override {}
};

}  // namespace afx

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
