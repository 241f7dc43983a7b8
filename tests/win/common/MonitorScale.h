// A monitor of another display scale, as far as the program can tell under
// Wine (which never moves a window between scales): the framework's DPI
// answer forced, and the top-level window told by WM_DPICHANGED with the
// rectangle Windows suggests - its size scaled by the two DPIs, its
// top-left corner kept.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Dpi.h"

namespace dravon_test {

class MonitorScale {
 public:
  explicit MonitorScale(UINT dpi = 96) : forced_(dpi), dpi_(dpi) {}

  // Every window answers `dpi` from now on; `top` is told of the change,
  // after the windows of `toldFirst` (as Windows 10 tells a per-monitor v2
  // window's children first).
  void MoveTo(HWND top, UINT dpi, const std::vector<HWND>& toldFirst = {}) {
    RECT r{};
    GetWindowRect(top, &r);
    RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, static_cast<int>(dpi), static_cast<int>(dpi_)),
                   r.top + MulDiv(r.bottom - r.top, static_cast<int>(dpi), static_cast<int>(dpi_))};
    forced_.Set(dpi);
    dpi_ = dpi;
    for (HWND child : toldFirst) SendMessageW(child, afx::kWmDpiChangedBeforeParent, 0, 0);
    SendMessageW(top, afx::kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  UINT Dpi() const { return dpi_; }

 private:
  afx::ForcedDpi forced_;
  UINT dpi_;
};

// Makes this process DPI aware, as the program's manifest does, before it
// makes any window: per-monitor (v2) where the system lets it, else system
// aware; false when it is neither. Under Wine a process that is not aware
// is told 96 DPI whatever the prefix's scale (tests/win/common/at-scale.sh
// runs cases at another).
inline bool MakeProcessDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto set = user32 ? reinterpret_cast<SetContext>(
                          reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                    : nullptr;
  if (set && set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return true;
  return SetProcessDPIAware() || IsProcessDPIAware();
}

}  // namespace dravon_test
