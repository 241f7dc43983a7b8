#include "framework/Dpi.h"

#include <atomic>

#include "platform/DpiWin.h"

namespace afx {

namespace {

// 0: no forced answer.
std::atomic<UINT> g_forced{0};

// The system's own answers (platform/DpiWin.h, shared with the outside
// libraries), made for the system DPI.
UINT RealSystemDpi() { return platform::dpi::SystemDpi(); }

int ScaleFrom(int n, UINT from, UINT to) { return platform::dpi::Scale(n, to, from); }

}  // namespace

UINT SystemDpi() {
  const UINT forced = g_forced.load();
  return forced ? forced : RealSystemDpi();
}

UINT DpiForWindow(HWND wnd) {
  if (const UINT forced = g_forced.load()) return forced;
  return platform::dpi::OfWindow(wnd);
}

bool SystemFollowsDpiChanges(HWND wnd) { return platform::dpi::SystemScalesForWindow(wnd); }

int SystemMetricForDpi(int index, UINT dpi) { return platform::dpi::Metric(index, dpi); }

bool AdjustWindowRectForDpi(RECT& r, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
  return platform::dpi::AdjustWindowRect(r, style, menu, exStyle, dpi);
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
