// Display scale as the system answers it: the DPI a window is drawn at,
// and the system's metrics and fonts for a DPI. The per-DPI calls (Windows
// 10 1607 and later) are looked up at run time; without them the system's
// own values, made for the system DPI, are scaled. The framework's answer
// (framework/Dpi.h) is built on it; the outside libraries, which do not
// link the framework, use it directly.
#pragma once

#include <windows.h>

#include <atomic>

namespace platform::dpi {

inline constexpr UINT kBase = 96;
// The message of a change of scale (winuser.h names it for Windows 10 only).
inline constexpr UINT kWmDpiChanged = 0x02E0;

template <class Fn>
Fn User32Entry(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// Tests of a library make its windows answer another DPI (0: none), as
// Windows would on a monitor of that scale; one value per module.
inline std::atomic<UINT> g_forced{0};

// The DPI the system made its metrics and fonts for: fixed for the process.
inline UINT SystemDpi() {
  static const UINT dpi = [] {
    using ForSystem = UINT(WINAPI*)();
    if (const auto forSystem = User32Entry<ForSystem>("GetDpiForSystem")) {
      if (const UINT d = forSystem()) return d;
    }
    HDC screen = GetDC(nullptr);
    const int perInch = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return perInch > 0 ? static_cast<UINT>(perInch) : kBase;
  }();
  return dpi;
}

// The DPI `wnd` is drawn at: GetDpiForWindow where Windows has it, else the
// system's.
inline UINT OfWindow(HWND wnd) {
  if (const UINT forced = g_forced.load()) return forced;
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = User32Entry<ForWindow>("GetDpiForWindow");
  if (forWindow && wnd) {
    if (const UINT dpi = forWindow(wnd)) return dpi;
  }
  return SystemDpi();
}

// Whether Windows lays out `wnd`'s frame and scales its dialog template at
// the window's own DPI (per-monitor awareness v2); older awareness keeps the
// frame at the system DPI.
inline bool SystemScalesForWindow(HWND wnd) {
  using ContextOf = HANDLE(WINAPI*)(HWND);
  using Equal = BOOL(WINAPI*)(HANDLE, HANDLE);
  static const auto contextOf = User32Entry<ContextOf>("GetWindowDpiAwarenessContext");
  static const auto equal = User32Entry<Equal>("AreDpiAwarenessContextsEqual");
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  return contextOf && equal && wnd && equal(contextOf(wnd), perMonitorV2);
}

// The DPI the system draws `wnd`'s frame and menus at.
inline UINT OfFrame(HWND wnd) {
  if (const UINT forced = g_forced.load()) return forced;
  return SystemScalesForWindow(wnd) ? OfWindow(wnd) : SystemDpi();
}

// `n` from `from` DPI to `to`.
inline int Scale(int n, UINT to, UINT from = kBase) {
  return to == from ? n : MulDiv(n, static_cast<int>(to), static_cast<int>(from));
}

// A system metric (SM_*) at `dpi`.
inline int Metric(int index, UINT dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32Entry<ForDpi>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi);
  return Scale(GetSystemMetrics(index), dpi, SystemDpi());
}

// The window rectangle for client rectangle `r` at `dpi`.
inline bool AdjustWindowRect(RECT& r, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
  using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto forDpi = User32Entry<ForDpi>("AdjustWindowRectExForDpi");
  if (forDpi && dpi != SystemDpi()) return forDpi(&r, style, menu, exStyle, dpi) != FALSE;
  if (!AdjustWindowRectEx(&r, style, menu, exStyle)) return false;
  if (dpi != SystemDpi()) {
    r = {Scale(r.left, dpi, SystemDpi()), Scale(r.top, dpi, SystemDpi()), Scale(r.right, dpi, SystemDpi()),
         Scale(r.bottom, dpi, SystemDpi())};
  }
  return true;
}

// The caption, menu and message fonts of the frame at `dpi`.
inline bool NonClientMetrics(NONCLIENTMETRICSW& metrics, UINT dpi) {
  metrics = {};
  metrics.cbSize = sizeof metrics;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = User32Entry<ForDpi>("SystemParametersInfoForDpi");
  if (forDpi && dpi != SystemDpi() &&
      forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    return true;
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
  if (dpi != SystemDpi()) {
    for (LOGFONTW* lf : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                         &metrics.lfStatusFont, &metrics.lfMessageFont}) {
      lf->lfHeight = Scale(lf->lfHeight, dpi, SystemDpi());
      lf->lfWidth = Scale(lf->lfWidth, dpi, SystemDpi());
    }
  }
  return true;
}

}  // namespace platform::dpi
