// Display scale: at which DPI a window is drawn, and what is made for it.
//
// The program is per-monitor DPI aware (its manifest): each top-level
// window is drawn at the DPI of the monitor it is on, and told by
// WM_DPICHANGED when that changes (CWnd, framework/Wnd.h, carries the
// change to its children). Every pixel the design gives is a 96-DPI pixel
// and goes through geom::Scale (geometry/Dpi.h) with the window's DPI.
//
// DpiForWindow asks GetDpiForWindow (Windows 10 1607 and later, looked up
// at run time); without it every window is drawn at the screen's
// LOGPIXELSX, the system DPI of Windows XP to 8.1. Tests force the answer
// with ForcedDpi.
#pragma once

#include <windows.h>

#include "framework/Gdi.h"
#include "geometry/Dpi.h"

namespace afx {

using geom::kBaseDpi;

// The messages of a change of scale (winuser.h names them for Windows 10
// targets only).
inline constexpr UINT kWmDpiChanged = 0x02E0;
inline constexpr UINT kWmDpiChangedBeforeParent = 0x02E2;
inline constexpr UINT kWmDpiChangedAfterParent = 0x02E3;

// The DPI of the screen as the system gives it to windows not yet made
// (the primary monitor's at start-up).
UINT SystemDpi();
// The DPI `wnd` is drawn at; the system DPI for no window.
UINT DpiForWindow(HWND wnd);
// `n` 96-DPI pixels for `wnd`.
inline int Scale(HWND wnd, int n) { return geom::Scale(n, static_cast<int>(DpiForWindow(wnd))); }

// Whether the system itself tells the children of `wnd` (a top-level
// window) of a change of scale and scales its dialog templates
// (per-monitor awareness v2); otherwise CWnd and CDialog do both.
bool SystemFollowsDpiChanges(HWND wnd);

// A system metric (SM_CXSMICON ...) at `dpi`.
int SystemMetricForDpi(int index, UINT dpi);
// The window rectangle for client rectangle `r` (AdjustWindowRectEx) at
// `dpi`: caption, menu bar and borders as that scale draws them.
bool AdjustWindowRectForDpi(RECT& r, DWORD style, bool menu, DWORD exStyle, UINT dpi);

// Fonts made for a DPI. `lf` gives its heights in 96-DPI pixels.
bool CreateFontForDpi(CFont& font, LOGFONTW lf, UINT dpi);
// `pointTenths` tenths of a point (90 for 9 points) at `dpi`.
bool CreatePointFontForDpi(CFont& font, int pointTenths, const wchar_t* face, UINT dpi);
// A font the system made at its own DPI (a stock font, a control's
// default), described by `lf`, at `dpi`: the same face, its height scaled.
bool CreateSystemFontForDpi(CFont& font, LOGFONTW lf, UINT dpi);
// The default GUI font (DEFAULT_GUI_FONT) at `dpi`.
bool CreateGuiFontForDpi(CFont& font, UINT dpi);

// Tests: while it lives, every window (and the system) answers its DPI.
// Nested forcings restore the one before.
class ForcedDpi {
 public:
  explicit ForcedDpi(UINT dpi);
  ~ForcedDpi();
  ForcedDpi(const ForcedDpi&) = delete;
  ForcedDpi& operator=(const ForcedDpi&) = delete;
  void Set(UINT dpi);

 private:
  UINT saved_;
};

}  // namespace afx
