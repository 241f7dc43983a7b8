// The skinned frame of a top-level window with a caption: the border, the
// caption bar with its icon, title and buttons, in the skin's active or
// inactive colours, and the part of the menu bar its items leave; and the
// edges of child windows. The layout is the system's own (the same metrics),
// so hit-testing, sizing and the client area do not change; only the paint.
// (Where a window manager decorates Wine's windows, Wine draws no frame at
// all and there is nothing to skin; in Wine's virtual desktop, and with
// unmanaged windows, Wine draws frames itself and the skin's show.)
#pragma once

#include <windows.h>

#include "outside/appface/Palette.h"

namespace appface::nonclient {

enum class Button { None, Close, Maximize, Minimize };

// A window whose frame the engine paints: top-level, with a caption.
bool HasSkinnedFrame(HWND wnd);

// The region, in screen coordinates, that the system still paints for a
// skinned frame: everything inside the border below the caption (menu bar,
// client edge, scroll bars). The caller deletes it.
HRGN SystemPaintedRegion(HWND wnd);

// Border and caption, with `pressed` drawn pushed in.
void PaintFrame(HWND wnd, const Palette& palette, bool active, Button pressed = Button::None);
// The menu bar around its (owner-drawn) items.
void PaintMenuBarRest(HWND wnd, const Palette& palette);
// A child's thin border, static edge or client edge, over what the system drew.
void PaintChildEdges(HWND wnd, const Palette& palette);

// Runs a press on caption button `hit` (HTCLOSE, HTMAXBUTTON, HTMINBUTTON)
// to its release, drawing it pushed while the mouse stays on it, and sends
// the system command when it is released there. False when the window has
// no such button, so the caller leaves the press to the system.
bool TrackCaptionButton(HWND wnd, WPARAM hit, bool active);

}  // namespace appface::nonclient
