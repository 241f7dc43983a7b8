#include "framework/Dpi.h"

#include <atomic>

namespace afx {

namespace {

// 0: no forced answer.
std::atomic<UINT> g_forced{0};

template <class Fn>
Fn User32Entry(const char* name) {
  static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetWindowDpiAwarenessContextFn = HANDLE(WINAPI*)(HWND);
using AreDpiAwarenessContextsEqualFn = BOOL(WINAPI*)(HANDLE, HANDLE);

// The DPI the system made its stock fonts and metrics for: fixed for the
// life of the process.
UINT RealSystemDpi() {
  static const UINT dpi = [] {
    if (auto forSystem = User32Entry<GetDpiForSystemFn>("GetDpiForSystem")) return forSystem();
    HDC screen = ::GetDC(nullptr);
    const int perInch = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return perInch > 0 ? static_cast<UINT>(perInch) : static_cast<UINT>(kBaseDpi);
  }();
  return dpi;
}

int ScaleFrom(int n, UINT from, UINT to) { return from == to ? n : ::MulDiv(n, static_cast<int>(to), static_cast<int>(from)); }

}  // namespace

UINT SystemDpi() {
  const UINT forced = g_forced.load();
  return forced ? forced : RealSystemDpi();
}

UINT DpiForWindow(HWND wnd) {
  if (const UINT forced = g_forced.load()) return forced;
  static const auto forWindow = User32Entry<GetDpiForWindowFn>("GetDpiForWindow");
  if (wnd && forWindow) {
    if (const UINT dpi = forWindow(wnd)) return dpi;
  }
  return RealSystemDpi();
}

bool SystemFollowsDpiChanges(HWND wnd) {
  static const auto contextOf =
      User32Entry<GetWindowDpiAwarenessContextFn>("GetWindowDpiAwarenessContext");
  static const auto equal =
      User32Entry<AreDpiAwarenessContextsEqualFn>("AreDpiAwarenessContextsEqual");
  if (!contextOf || !equal || !wnd) return false;
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  return equal(contextOf(wnd), perMonitorV2) != FALSE;
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto forDpi = User32Entry<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi);
  return ScaleFrom(::GetSystemMetrics(index), RealSystemDpi(), dpi);
}

bool AdjustWindowRectForDpi(RECT& r, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
  static const auto forDpi = User32Entry<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (forDpi && dpi != RealSystemDpi()) return forDpi(&r, style, menu ? TRUE : FALSE, exStyle, dpi) != FALSE;
  return ::AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, exStyle) != FALSE;
}

bool CreateFontForDpi(CFont& font, LOGFONTW lf, UINT dpi) {
  lf.lfHeight = geom::Scale(lf.lfHeight, static_cast<int>(dpi));
  lf.lfWidth = geom::Scale(lf.lfWidth, static_cast<int>(dpi));
  return font.CreateFontIndirect(lf);
}

bool CreatePointFontForDpi(CFont& font, int pointTenths, const wchar_t* face, UINT dpi) {
  return font.Create(face, -::MulDiv(pointTenths, static_cast<int>(dpi), 720));
}

bool CreateSystemFontForDpi(CFont& font, LOGFONTW lf, UINT dpi) {
  lf.lfHeight = ScaleFrom(lf.lfHeight, RealSystemDpi(), dpi);
  lf.lfWidth = ScaleFrom(lf.lfWidth, RealSystemDpi(), dpi);
  return font.CreateFontIndirect(lf);
}

bool CreateGuiFontForDpi(CFont& font, UINT dpi) {
  LOGFONTW lf{};
  if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) return false;
  return CreateSystemFontForDpi(font, lf, dpi);
}

ForcedDpi::ForcedDpi(UINT dpi) : saved_(g_forced.exchange(dpi)) {}

ForcedDpi::~ForcedDpi() { g_forced.store(saved_); }

void ForcedDpi::Set(UINT dpi) { g_forced.store(dpi); }

}  // namespace afx
