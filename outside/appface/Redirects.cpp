#include "outside/appface/Redirects.h"

#include <windows.h>

#include "outside/appface/Draw.h"
#include "outside/appface/Engine.h"

namespace appface {
namespace {

DWORD WINAPI SkinGetSysColor(int index) {
  if (const Palette* p = ThreadPalette()) {
    if (const auto colour = p->SystemColour(index)) return *colour;
  }
  return GetSysColor(index);
}

HBRUSH WINAPI SkinGetSysColorBrush(int index) {
  if (const Palette* p = ThreadPalette()) {
    if (HBRUSH brush = p->SystemBrush(index)) return brush;
  }
  return GetSysColorBrush(index);
}

BOOL WINAPI SkinDrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
  const Palette* p = ThreadPalette();
  if (p && draw::Edge(dc, rect, edge, flags, *p)) return TRUE;
  return DrawEdge(dc, rect, edge, flags);
}

// The skin's brush for a class background that is a system colour, given
// as COLOR_* + 1 or as the system's brush; null for any other background.
HBRUSH SkinClassBrush(HWND wnd, const Palette& p) {
  const auto background = static_cast<ULONG_PTR>(GetClassLongPtrW(wnd, GCLP_HBRBACKGROUND));
  if (!background) return nullptr;
  if (background <= COLOR_MENUBAR + 1) return p.SystemBrush(static_cast<int>(background) - 1);
  for (int i = 0; i <= COLOR_MENUBAR; ++i) {
    if (reinterpret_cast<ULONG_PTR>(GetSysColorBrush(i)) == background) return p.SystemBrush(i);
  }
  return nullptr;
}

bool EraseWithSkin(HWND wnd, UINT msg, WPARAM wp) {
  if (msg != WM_ERASEBKGND) return false;
  const Palette* p = ThreadPalette();
  HBRUSH brush = p ? SkinClassBrush(wnd, *p) : nullptr;
  if (!brush) return false;
  auto dc = reinterpret_cast<HDC>(wp);
  RECT r{};
  if (GetClassLongW(wnd, GCL_STYLE) & CS_PARENTDC) {
    GetClientRect(wnd, &r);  // a parent DC's clip box is the parent's
  } else {
    GetClipBox(dc, &r);
  }
  FillRect(dc, &r, brush);
  return true;
}

LRESULT WINAPI SkinDefWindowProcW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (EraseWithSkin(wnd, msg, wp)) return 1;
  return DefWindowProcW(wnd, msg, wp, lp);
}

LRESULT WINAPI SkinDefWindowProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (EraseWithSkin(wnd, msg, wp)) return 1;
  return DefWindowProcA(wnd, msg, wp, lp);
}

template <typename F>
void* Address(F* f) {
  return reinterpret_cast<void*>(f);
}

}  // namespace

std::vector<Redirect> ProgramRedirects() {
  return {
      {"GetSysColor", Address(SkinGetSysColor)},
      {"GetSysColorBrush", Address(SkinGetSysColorBrush)},
      {"DrawEdge", Address(SkinDrawEdge)},
      {"DefWindowProcW", Address(SkinDefWindowProcW)},
      {"DefWindowProcA", Address(SkinDefWindowProcA)},
  };
}

}  // namespace appface
