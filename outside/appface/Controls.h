// Skinned controls. Most controls ask their parent for their colours
// (WM_CTLCOLOR*): the parent's answer, when it is the system's default
// brush, becomes the skin's brush for the same system colour, with the DC's
// colours to match, so a program's own colour choices stand. Controls that
// paint with system colours of their own (push buttons, group boxes, tab
// controls, headers, sliders) are painted here; list views take the skin's
// colours through their colour messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>

#include "outside/appface/Palette.h"

namespace appface::controls {

// The system's own colour brushes, to tell a default answer from a program's.
class SystemBrushes {
 public:
  SystemBrushes();
  // The system colour `brush` is the brush of, or -1.
  int IndexOf(HBRUSH brush) const;

 private:
  std::array<HBRUSH, 31> brushes_{};
};

// A WM_CTLCOLOR* answer, `result`, in the skin's colours.
LRESULT TranslateCtlColor(LRESULT result, HDC dc, const Palette& palette, const SystemBrushes& system);

// Push buttons and group boxes; other button styles draw with their
// parent's colours and stay the system's.
bool IsPushButton(HWND button);
bool IsGroupBox(HWND button);
void PaintPushButton(HWND button, HDC dc, const Palette& palette);
void PaintGroupBox(HWND button, HDC dc, const Palette& palette);

void PaintTabControl(HWND tab, HDC dc, const Palette& palette);
void PaintHeader(HWND header, HDC dc, const Palette& palette);

// Draws `wnd` now with `paint`, outside WM_PAINT: for controls that draw
// state changes straight onto the screen in system colours.
void RepaintNow(HWND wnd, void (*paint)(HWND, HDC, const Palette&), const Palette& palette);

// A slider's NM_CUSTOMDRAW at its parent, after the parent's own answer
// `parentAnswer`: when the program leaves the drawing to the system, the
// engine takes the background, channel and thumb. `owned` remembers, per
// slider, that the engine took this paint cycle.
LRESULT SliderCustomDraw(NMCUSTOMDRAW* cd, LRESULT parentAnswer, bool& owned, const Palette& palette);

// List view colours: the skin's where the control has the system's.
struct ListViewColours {
  bool set = false;
  COLORREF back = 0, textBack = 0, text = 0;   // what the control had
  COLORREF ourBack = 0, ourTextBack = 0, ourText = 0;
};
void ApplyListViewColours(HWND list, ListViewColours& saved, const Palette& palette);
void RestoreListViewColours(HWND list, ListViewColours& saved);

}  // namespace appface::controls
