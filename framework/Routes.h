// Message routes: a class's one table from window messages, commands,
// control notifications and reflected messages to small typed handler
// members.
//
//   bool CMyCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
//     static constexpr afx::Route routes[] = {
//         afx::OnPaint<&CMyCtrl::OnPaint>(),
//         afx::OnLButtonDown<&CMyCtrl::OnLButtonDown>(),
//         afx::OnCommand<&CMyCtrl::OnRefresh>(ID_VIEW_REFRESH),
//         afx::OnNotify<LVN_ITEMCHANGED, &CMyCtrl::OnItemChanged>(IDC_LIST),
//         afx::OnReflectNotify<NM_CUSTOMDRAW, &CMyCtrl::OnCustomDraw>(),
//     };
//     return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
//            CWnd::OnWndMsg(msg, wp, lp, result);
//   }
//
// Each maker unpacks its message's parameters once (signed points, sizes,
// scroll codes) and calls the handler with them; a handler whose signature
// does not fit its maker does not compile. A notification's structure is
// fixed by its code (afx::Notification below), never taken from the
// handler: a handler declared with another structure does not compile.
//
// A handler that adds to the window's default handling passes its message
// on itself, with the parameters it was given:
// DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy)).
//
// Commands (menus, accelerators, toolbar buttons, a button's click) are
// routes too. Menus and toolbars ask whether a command is taken without
// running it (CCmdTarget::HandlesCommand): the same table decides what is
// enabled.
//
// Reflection: a parent hands WM_COMMAND (control notifications), WM_NOTIFY,
// WM_DRAWITEM, WM_MEASUREITEM, WM_COMPAREITEM, WM_DELETEITEM, WM_CTLCOLOR*,
// WM_HSCROLL, WM_VSCROLL, WM_CHARTOITEM and WM_VKEYTOITEM about a child of
// ours to that child first, as Reflected(msg); the child's OnReflect* routes
// take them, and what no child takes reaches the parent's own routes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <type_traits>

#include "framework/Rect.h"

// What routes run on: a window (CWnd) or the application (CWinApp), which
// takes the commands its main window passes on.
class CCmdTarget {
 public:
  CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;
  virtual ~CCmdTarget() = default;

  // The class's one dispatch point: true when a route took the message,
  // with its result. Derived classes dispatch their table, then call the
  // base.
  virtual bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
  // Whether a command route takes command `id` (enables menu items and
  // toolbar buttons); nothing runs.
  bool HandlesCommand(UINT id);
};

namespace afx {

// The reflected form of a message (the child receives this number).
inline constexpr UINT kReflectBase = 0xBC00;
constexpr UINT Reflected(UINT msg) { return kReflectBase + msg; }

// A menu, accelerator or toolbar command, or a button's click: taken by
// command routes. Other codes from a control are its notifications.
constexpr bool IsCommand(WPARAM wParam, LPARAM lParam) {
  const UINT code = HIWORD(wParam);
  return code == 0 || (code == 1 && lParam == 0);
}

// The question "is command wParam taken?", asked of a target's routes
// (never sent to a window): a command route answers TRUE without running.
inline constexpr UINT kCommandQuery = 0x037E;

// Whether `msg` runs command routes: a command, or the question above.
constexpr bool IsCommandMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return (msg == WM_COMMAND && IsCommand(wParam, lParam)) || msg == kCommandQuery;
}

struct Route {
  enum class Match : std::uint8_t {
    kMessage,         // msg..msgLast
    kCommand,         // a command (or the question): id range
    kControl,         // WM_COMMAND from a control: id range and code
    kNotify,          // WM_NOTIFY: id range and code
    kReflectCommand,  // reflected WM_COMMAND: code
    kReflectNotify,   // reflected WM_NOTIFY: code
  };
  Match match;
  UINT msg;
  UINT msgLast;
  UINT idFirst;
  UINT idLast;
  UINT code;
  // Runs the handler; false when it declined (the message goes on).
  bool (*call)(CCmdTarget& self, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// Whether `route` takes this message.
bool Matches(const Route& route, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the first route of `routes` that takes the message.
template <std::size_t N>
bool Dispatch(CCmdTarget& self, const Route (&routes)[N], UINT msg, WPARAM wParam, LPARAM lParam,
              LRESULT& result) {
  for (const Route& r : routes) {
    if (Matches(r, msg, wParam, lParam) && r.call(self, msg, wParam, lParam, result)) return true;
  }
  return false;
}

// --- Notifications and their structures -----------------------------------

// The structure a WM_NOTIFY code carries: one line per code we route. A
// code without a line here does not compile in a route; NM_ codes shared by
// several controls name the structure all their senders begin with.
template <UINT Code>
struct Notification;
#define AFX_NOTIFICATION(code, type) \
  template <>                         \
  struct Notification<static_cast<UINT>(code)> { using Struct = type; }
AFX_NOTIFICATION(NM_CLICK, NMHDR);
AFX_NOTIFICATION(NM_DBLCLK, NMHDR);
AFX_NOTIFICATION(NM_RCLICK, NMHDR);
AFX_NOTIFICATION(NM_RELEASEDCAPTURE, NMHDR);
AFX_NOTIFICATION(NM_CUSTOMDRAW, NMCUSTOMDRAW);
AFX_NOTIFICATION(TCN_SELCHANGE, NMHDR);
AFX_NOTIFICATION(TCN_SELCHANGING, NMHDR);
AFX_NOTIFICATION(TCN_FOCUSCHANGE, NMHDR);
AFX_NOTIFICATION(LVN_GETDISPINFOW, NMLVDISPINFOW);
AFX_NOTIFICATION(LVN_ITEMCHANGED, NMLISTVIEW);
AFX_NOTIFICATION(LVN_INSERTITEM, NMLISTVIEW);
AFX_NOTIFICATION(LVN_DELETEITEM, NMLISTVIEW);
AFX_NOTIFICATION(LVN_DELETEALLITEMS, NMLISTVIEW);
AFX_NOTIFICATION(LVN_COLUMNCLICK, NMLISTVIEW);
AFX_NOTIFICATION(TBN_GETINFOTIPW, NMTBGETINFOTIPW);
#undef AFX_NOTIFICATION

template <UINT Code>
using NotifyStruct = typename Notification<Code>::Struct;

namespace detail {

template <class F>
struct Member;
template <class T, class R, class... A>
struct Member<R (T::*)(A...)> {
  using Class = T;
  using Result = R;
};
template <class T, class R, class... A>
struct Member<R (T::*)(A...) const> {
  using Class = T;
  using Result = R;
};

// The structure a notification handler takes (its last parameter).
template <class F>
struct LastArg;
template <class T, class R, class A>
struct LastArg<R (T::*)(A)> {
  using Type = A;
};
template <class T, class R, class I, class A>
struct LastArg<R (T::*)(I, A)> {
  using Type = A;
};

// The handler of notification `Code` takes the code's structure, or only
// the NMHDR every structure begins with.
template <UINT Code, auto F>
constexpr bool TakesNotifyStruct() {
  using Arg = typename LastArg<decltype(F)>::Type;
  static_assert(std::is_same_v<Arg, NotifyStruct<Code>&> || std::is_same_v<Arg, NMHDR&>,
                "a notification handler takes the structure its code carries "
                "(afx::Notification<code>::Struct&) or NMHDR&");
  return true;
}

template <auto F>
using ClassOf = typename Member<decltype(F)>::Class;
template <auto F>
using ResultOf = typename Member<decltype(F)>::Result;

// Calls F on `w` and turns what it returns into a message result.
template <auto F, class... A>
LRESULT Call(CCmdTarget& w, A&&... args) {
  auto& self = static_cast<ClassOf<F>&>(w);
  using R = ResultOf<F>;
  if constexpr (std::is_void_v<R>) {
    (self.*F)(static_cast<A&&>(args)...);
    return 0;
  } else if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<LRESULT>((self.*F)(static_cast<A&&>(args)...));
  } else {
    return static_cast<LRESULT>((self.*F)(static_cast<A&&>(args)...));
  }
}

using Thunk = bool (*)(CCmdTarget&, UINT, WPARAM, LPARAM, LRESULT&);

constexpr Route Message(UINT msg, Thunk call) {
  return Route{Route::Match::kMessage, msg, msg, 0, 0, 0, call};
}
constexpr Route MessageRange(UINT first, UINT last, Thunk call) {
  return Route{Route::Match::kMessage, first, last, 0, 0, 0, call};
}

inline CPoint PointOf(LPARAM lp) {
  return CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
}
template <class T>
T& Ref(LPARAM lp) {
  return *reinterpret_cast<T*>(lp);
}
// What a notification handler of `Code` is given: the code's structure, or
// its header (TakesNotifyStruct has checked which).
template <UINT Code, auto F>
typename LastArg<decltype(F)>::Type NotifyArg(LPARAM lp) {
  return Ref<std::remove_reference_t<typename LastArg<decltype(F)>::Type>>(lp);
}

template <UINT Msg, auto F>
constexpr Route NoArgs() {
  return Message(Msg, [](CCmdTarget& w, UINT, WPARAM, LPARAM, LRESULT& r) {
    r = Call<F>(w);
    return true;
  });
}
template <UINT Msg, auto F>
constexpr Route Mouse() {
  return Message(Msg, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = Call<F>(w, static_cast<UINT>(wp), PointOf(lp));
    return true;
  });
}
// The window a message names: in wParam or in lParam.
template <UINT Msg, auto F, bool InWParam>
constexpr Route WindowArg() {
  return Message(Msg, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = Call<F>(w, reinterpret_cast<HWND>(InWParam ? static_cast<LPARAM>(wp) : lp));
    return true;
  });
}
template <UINT Msg, auto F>
constexpr Route Key() {
  return Message(Msg, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = Call<F>(w, static_cast<UINT>(wp), static_cast<UINT>(LOWORD(lp)),
                static_cast<UINT>(HIWORD(lp)));
    return true;
  });
}
// A scroll message: code and position, and (for the parent) the bar.
template <UINT Msg, auto F>
constexpr Route Scroll() {
  return Message(Msg, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    if constexpr (Msg >= kReflectBase) {
      r = Call<F>(w, static_cast<UINT>(LOWORD(wp)), static_cast<UINT>(HIWORD(wp)));
    } else {
      r = Call<F>(w, static_cast<UINT>(LOWORD(wp)), static_cast<UINT>(HIWORD(wp)),
                  reinterpret_cast<HWND>(lp));
    }
    return true;
  });
}
// An owner-drawn item's message: the item's structure (after the control's
// id, for the parent's own routes). A handler without a result answers TRUE.
template <UINT Msg, class S, auto F, bool WithId>
constexpr Route Item() {
  return Message(Msg, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    auto call = [&] {
      if constexpr (WithId) {
        return Call<F>(w, static_cast<int>(wp), Ref<S>(lp));
      } else {
        return Call<F>(w, Ref<S>(lp));
      }
    };
    r = call();
    if constexpr (std::is_void_v<ResultOf<F>>) r = TRUE;
    return true;
  });
}

}  // namespace detail

// --- Window messages -------------------------------------------------------

// int OnCreate(CREATESTRUCTW&): 0 to go on, -1 to fail the creation.
template <auto F>
constexpr Route OnCreate() {
  return detail::Message(WM_CREATE, [](CCmdTarget& w, UINT, WPARAM, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, detail::Ref<CREATESTRUCTW>(lp));
    return true;
  });
}

// void OnDestroy(), OnClose(), OnPaint(), OnCancelMode(), OnSysColorChange();
// HICON OnQueryDragIcon(); UINT OnGetDlgCode()
template <auto F> constexpr Route OnDestroy() { return detail::NoArgs<WM_DESTROY, F>(); }
template <auto F> constexpr Route OnClose() { return detail::NoArgs<WM_CLOSE, F>(); }
template <auto F> constexpr Route OnPaint() { return detail::NoArgs<WM_PAINT, F>(); }
template <auto F> constexpr Route OnCancelMode() { return detail::NoArgs<WM_CANCELMODE, F>(); }
template <auto F> constexpr Route OnSysColorChange() { return detail::NoArgs<WM_SYSCOLORCHANGE, F>(); }
template <auto F> constexpr Route OnQueryDragIcon() { return detail::NoArgs<WM_QUERYDRAGICON, F>(); }
template <auto F> constexpr Route OnGetDlgCode() { return detail::NoArgs<WM_GETDLGCODE, F>(); }

// void OnPrintClient(HDC, UINT flags): draw the client area into the DC
// (WM_PRINTCLIENT; flags are PRF_ bits).
template <auto F>
constexpr Route OnPrintClient() {
  return detail::Message(WM_PRINTCLIENT, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, reinterpret_cast<HDC>(wp), static_cast<UINT>(lp));
    return true;
  });
}

// void OnSize(UINT type, int cx, int cy)
template <auto F>
constexpr Route OnSize() {
  return detail::Message(WM_SIZE, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, static_cast<UINT>(wp), static_cast<int>(LOWORD(lp)),
                        static_cast<int>(HIWORD(lp)));
    return true;
  });
}

// bool OnEraseBkgnd(HDC): true when the background is erased.
template <auto F>
constexpr Route OnEraseBkgnd() {
  return detail::Message(WM_ERASEBKGND, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM, LRESULT& r) {
    r = detail::Call<F>(w, reinterpret_cast<HDC>(wp)) ? TRUE : FALSE;
    return true;
  });
}

// void OnTimer(UINT_PTR id)
template <auto F>
constexpr Route OnTimer() {
  return detail::Message(WM_TIMER, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM, LRESULT& r) {
    r = detail::Call<F>(w, static_cast<UINT_PTR>(wp));
    return true;
  });
}

// void OnMouse(UINT keyFlags, CPoint client): the mouse messages.
template <auto F> constexpr Route OnMouseMove() { return detail::Mouse<WM_MOUSEMOVE, F>(); }
template <auto F> constexpr Route OnLButtonDown() { return detail::Mouse<WM_LBUTTONDOWN, F>(); }
template <auto F> constexpr Route OnLButtonUp() { return detail::Mouse<WM_LBUTTONUP, F>(); }
template <auto F> constexpr Route OnLButtonDblClk() { return detail::Mouse<WM_LBUTTONDBLCLK, F>(); }
template <auto F> constexpr Route OnRButtonDown() { return detail::Mouse<WM_RBUTTONDOWN, F>(); }
template <auto F> constexpr Route OnRButtonUp() { return detail::Mouse<WM_RBUTTONUP, F>(); }

// void OnCaptureChanged(HWND gaining); void OnSetFocus(HWND losing);
// void OnKillFocus(HWND gaining)
template <auto F> constexpr Route OnCaptureChanged() { return detail::WindowArg<WM_CAPTURECHANGED, F, false>(); }
template <auto F> constexpr Route OnSetFocus() { return detail::WindowArg<WM_SETFOCUS, F, true>(); }
template <auto F> constexpr Route OnKillFocus() { return detail::WindowArg<WM_KILLFOCUS, F, true>(); }

// bool OnSetCursor(HWND under, UINT hitTest, UINT mouseMessage): true when
// the cursor is set.
template <auto F>
constexpr Route OnSetCursor() {
  return detail::Message(WM_SETCURSOR, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, reinterpret_cast<HWND>(wp), static_cast<UINT>(LOWORD(lp)),
                        static_cast<UINT>(HIWORD(lp)))
            ? TRUE
            : FALSE;
    return true;
  });
}

// void OnContextMenu(HWND clicked, CPoint screen): (-1, -1) from the keyboard.
template <auto F>
constexpr Route OnContextMenu() {
  return detail::Message(WM_CONTEXTMENU, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, reinterpret_cast<HWND>(wp), detail::PointOf(lp));
    return true;
  });
}

// void OnKey(UINT key, UINT repeat, UINT flags): WM_KEYDOWN, WM_KEYUP, WM_CHAR.
template <auto F> constexpr Route OnKeyDown() { return detail::Key<WM_KEYDOWN, F>(); }
template <auto F> constexpr Route OnKeyUp() { return detail::Key<WM_KEYUP, F>(); }
template <auto F> constexpr Route OnChar() { return detail::Key<WM_CHAR, F>(); }

// void OnScroll(UINT code, UINT position, HWND bar): WM_HSCROLL, WM_VSCROLL
// of the window's own scroll bars, or of a control that no object took.
template <auto F> constexpr Route OnHScroll() { return detail::Scroll<WM_HSCROLL, F>(); }
template <auto F> constexpr Route OnVScroll() { return detail::Scroll<WM_VSCROLL, F>(); }

// void OnGetMinMaxInfo(MINMAXINFO&)
template <auto F>
constexpr Route OnGetMinMaxInfo() {
  return detail::Message(WM_GETMINMAXINFO, [](CCmdTarget& w, UINT, WPARAM, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, detail::Ref<MINMAXINFO>(lp));
    return true;
  });
}

// void OnSysCommand(UINT command, CPoint screen): the command as sent; the
// system uses its low four bits, so compare `command & 0xFFF0` to match
// every form of a command.
template <auto F>
constexpr Route OnSysCommand() {
  return detail::Message(WM_SYSCOMMAND, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, static_cast<UINT>(wp), detail::PointOf(lp));
    return true;
  });
}

// void OnInitMenuPopup(HMENU popup, UINT index, bool systemMenu)
template <auto F>
constexpr Route OnInitMenuPopup() {
  return detail::Message(WM_INITMENUPOPUP, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, reinterpret_cast<HMENU>(wp), static_cast<UINT>(LOWORD(lp)),
                        HIWORD(lp) != 0);
    return true;
  });
}

// void OnSetFont(HFONT, bool redraw)
template <auto F>
constexpr Route OnSetFont() {
  return detail::Message(WM_SETFONT, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, reinterpret_cast<HFONT>(wp), LOWORD(lp) != 0);
    return true;
  });
}

// void OnShowWindow(bool show, UINT status)
template <auto F>
constexpr Route OnShowWindow() {
  return detail::Message(WM_SHOWWINDOW, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, wp != 0, static_cast<UINT>(lp));
    return true;
  });
}

// void OnSettingChange(UINT flag, const wchar_t* section)
template <auto F>
constexpr Route OnSettingChange() {
  return detail::Message(WM_SETTINGCHANGE, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, static_cast<UINT>(wp), reinterpret_cast<const wchar_t*>(lp));
    return true;
  });
}

// UINT OnNcHitTest(CPoint screen)
template <auto F>
constexpr Route OnNcHitTest() {
  return detail::Message(WM_NCHITTEST, [](CCmdTarget& w, UINT, WPARAM, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, detail::PointOf(lp));
    return true;
  });
}

// void OnDrawItem(int id, DRAWITEMSTRUCT&); void OnMeasureItem(int id,
// MEASUREITEMSTRUCT&): the window's own menus' items, and controls that no
// object took.
template <auto F>
constexpr Route OnDrawItem() {
  return detail::Item<WM_DRAWITEM, DRAWITEMSTRUCT, F, true>();
}
template <auto F>
constexpr Route OnMeasureItem() {
  return detail::Item<WM_MEASUREITEM, MEASUREITEMSTRUCT, F, true>();
}

// HBRUSH OnCtlColor(HDC, HWND control, UINT type): every WM_CTLCOLOR*;
// `type` is CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC. A null brush declines.
template <auto F>
constexpr Route OnCtlColor() {
  return detail::MessageRange(
      WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, [](CCmdTarget& w, UINT m, WPARAM wp, LPARAM lp, LRESULT& r) {
        r = detail::Call<F>(w, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp),
                            m - WM_CTLCOLORMSGBOX);
        return r != 0;
      });
}

// LRESULT OnX(WPARAM, LPARAM): a private message, whose parameters are its
// own protocol (named where the message is defined).
template <auto F>
constexpr Route OnMessage(UINT msg) {
  return detail::Message(msg, [](CCmdTarget& w, UINT, WPARAM wp, LPARAM lp, LRESULT& r) {
    r = detail::Call<F>(w, wp, lp);
    return true;
  });
}

// --- Notifications from children --------------------------------------------

// void OnX(): control `id` sent notification `code` (WM_COMMAND with a
// control handle and a code that is not a click).
template <auto F>
constexpr Route OnControl(UINT id, UINT code) {
  return Route{Route::Match::kControl, WM_COMMAND, WM_COMMAND, id, id, code,
               [](CCmdTarget& w, UINT, WPARAM, LPARAM, LRESULT& r) {
                 r = detail::Call<F>(w);
                 return true;
               }};
}
// void OnX(UINT id): the same for a range of controls.
template <auto F>
constexpr Route OnControlRange(UINT first, UINT last, UINT code) {
  return Route{Route::Match::kControl, WM_COMMAND, WM_COMMAND, first, last, code,
               [](CCmdTarget& w, UINT, WPARAM wp, LPARAM, LRESULT& r) {
                 r = detail::Call<F>(w, static_cast<UINT>(LOWORD(wp)));
                 return true;
               }};
}

// R OnX(NotifyStruct<Code>&): WM_NOTIFY `Code` from control `id`. R is the
// message's result.
template <UINT Code, auto F>
constexpr Route OnNotify(UINT id) {
  static_assert(detail::TakesNotifyStruct<Code, F>());
  return Route{Route::Match::kNotify, WM_NOTIFY, WM_NOTIFY, id, id, Code,
               [](CCmdTarget& w, UINT, WPARAM, LPARAM lp, LRESULT& r) {
                 r = detail::Call<F>(w, detail::NotifyArg<Code, F>(lp));
                 return true;
               }};
}
// R OnX(UINT id, NotifyStruct<Code>&): the same for a range of controls.
template <UINT Code, auto F>
constexpr Route OnNotifyRange(UINT first, UINT last) {
  static_assert(detail::TakesNotifyStruct<Code, F>());
  return Route{Route::Match::kNotify, WM_NOTIFY, WM_NOTIFY, first, last, Code,
               [](CCmdTarget& w, UINT, WPARAM, LPARAM lp, LRESULT& r) {
                 r = detail::Call<F>(w, static_cast<UINT>(detail::Ref<NMHDR>(lp).idFrom),
                                     detail::NotifyArg<Code, F>(lp));
                 return true;
               }};
}

// --- Commands ------------------------------------------------------------------

// void OnX(): command `id` (a menu item, an accelerator, a toolbar button, a
// button's click).
template <auto F>
constexpr Route OnCommand(UINT id) {
  return Route{Route::Match::kCommand, WM_COMMAND, WM_COMMAND, id, id, 0,
               [](CCmdTarget& w, UINT m, WPARAM, LPARAM, LRESULT& r) {
                 if (m != kCommandQuery) detail::Call<F>(w);
                 r = m == kCommandQuery ? TRUE : 0;
                 return true;
               }};
}
// void OnX(UINT id): the commands first..last.
template <auto F>
constexpr Route OnCommandRange(UINT first, UINT last) {
  return Route{Route::Match::kCommand, WM_COMMAND, WM_COMMAND, first, last, 0,
               [](CCmdTarget& w, UINT m, WPARAM wp, LPARAM, LRESULT& r) {
                 if (m != kCommandQuery) detail::Call<F>(w, static_cast<UINT>(LOWORD(wp)));
                 r = m == kCommandQuery ? TRUE : 0;
                 return true;
               }};
}
// The same for the commands of first..last that bool Takes(UINT id) says
// are the target's now (controls bound at run time).
template <auto Takes, auto F>
constexpr Route OnCommandWhere(UINT first, UINT last) {
  return Route{Route::Match::kCommand, WM_COMMAND, WM_COMMAND, first, last, 0,
               [](CCmdTarget& w, UINT m, WPARAM wp, LPARAM, LRESULT& r) {
                 const auto id = static_cast<UINT>(LOWORD(wp));
                 if (!detail::Call<Takes>(w, id)) return false;
                 if (m != kCommandQuery) detail::Call<F>(w, id);
                 r = m == kCommandQuery ? TRUE : 0;
                 return true;
               }};
}

// --- Reflected to the control itself ----------------------------------------

// R OnX(NotifyStruct<Code>&): the control's own notification `Code`. A
// handler returning bool decides whether the parent still sees it (false:
// it does).
template <UINT Code, auto F>
constexpr Route OnReflectNotify() {
  static_assert(detail::TakesNotifyStruct<Code, F>());
  return Route{Route::Match::kReflectNotify, Reflected(WM_NOTIFY), Reflected(WM_NOTIFY), 0, 0,
               Code, [](CCmdTarget& w, UINT, WPARAM, LPARAM lp, LRESULT& r) {
                 auto& nm = detail::NotifyArg<Code, F>(lp);
                 if constexpr (std::is_same_v<detail::ResultOf<F>, bool>) {
                   r = 0;
                   return detail::Call<F>(w, nm) != 0;
                 } else {
                   r = detail::Call<F>(w, nm);
                   return true;
                 }
               }};
}

// void OnX() (or bool, as above): the control's own WM_COMMAND code,
// clicks included.
template <auto F>
constexpr Route OnReflectCommand(UINT code) {
  return Route{Route::Match::kReflectCommand, Reflected(WM_COMMAND), Reflected(WM_COMMAND), 0, 0,
               code, [](CCmdTarget& w, UINT, WPARAM, LPARAM, LRESULT& r) {
                 r = 0;
                 if constexpr (std::is_same_v<detail::ResultOf<F>, bool>) {
                   return detail::Call<F>(w) != 0;
                 } else {
                   detail::Call<F>(w);
                   return true;
                 }
               }};
}

// void OnX(DRAWITEMSTRUCT&) / void OnX(MEASUREITEMSTRUCT&) /
// int OnX(COMPAREITEMSTRUCT&) / void OnX(DELETEITEMSTRUCT&)
template <auto F>
constexpr Route OnReflectDrawItem() {
  return detail::Item<Reflected(WM_DRAWITEM), DRAWITEMSTRUCT, F, false>();
}
template <auto F>
constexpr Route OnReflectMeasureItem() {
  return detail::Item<Reflected(WM_MEASUREITEM), MEASUREITEMSTRUCT, F, false>();
}
template <auto F>
constexpr Route OnReflectCompareItem() {
  return detail::Item<Reflected(WM_COMPAREITEM), COMPAREITEMSTRUCT, F, false>();
}
template <auto F>
constexpr Route OnReflectDeleteItem() {
  return detail::Item<Reflected(WM_DELETEITEM), DELETEITEMSTRUCT, F, false>();
}

// HBRUSH OnX(HDC, UINT type): the control's colours; a null brush declines
// (the parent answers).
template <auto F>
constexpr Route OnReflectCtlColor() {
  return detail::MessageRange(Reflected(WM_CTLCOLORMSGBOX), Reflected(WM_CTLCOLORSTATIC),
                              [](CCmdTarget& w, UINT m, WPARAM wp, LPARAM, LRESULT& r) {
                                r = detail::Call<F>(w, reinterpret_cast<HDC>(wp),
                                                    m - Reflected(WM_CTLCOLORMSGBOX));
                                return r != 0;
                              });
}

// void OnX(UINT code, UINT position): a slider's or scroll bar's own scroll.
template <auto F>
constexpr Route OnReflectHScroll() {
  return detail::Scroll<Reflected(WM_HSCROLL), F>();
}
template <auto F>
constexpr Route OnReflectVScroll() {
  return detail::Scroll<Reflected(WM_VSCROLL), F>();
}

// int OnX(UINT key, UINT caret): a list box's WM_CHARTOITEM / WM_VKEYTOITEM;
// the result is the item to select, -1 for the default, -2 for handled.
template <auto F>
constexpr Route OnReflectCharToItem() {
  return detail::Message(Reflected(WM_CHARTOITEM), [](CCmdTarget& w, UINT, WPARAM wp, LPARAM, LRESULT& r) {
    r = detail::Call<F>(w, static_cast<UINT>(LOWORD(wp)), static_cast<UINT>(HIWORD(wp)));
    return true;
  });
}
template <auto F>
constexpr Route OnReflectVKeyToItem() {
  return detail::Message(Reflected(WM_VKEYTOITEM), [](CCmdTarget& w, UINT, WPARAM wp, LPARAM, LRESULT& r) {
    r = detail::Call<F>(w, static_cast<UINT>(LOWORD(wp)), static_cast<UINT>(HIWORD(wp)));
    return true;
  });
}

}  // namespace afx
