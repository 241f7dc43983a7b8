// Drawing in the skin's colours: fills, frames, gradients, the edges that
// DrawEdge would draw in system colours, and the small glyphs of caption
// buttons and menus. Nothing here keeps a GDI object past the call.
#pragma once

#include <windows.h>

#include "outside/appface/Palette.h"

namespace appface::draw {

// Restores everything a drawing routine changes in a DC it was lent.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDc() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int saved_;
};

void Fill(HDC dc, const RECT& r, COLORREF colour);
// A one-pixel frame just inside `r`.
void Frame(HDC dc, const RECT& r, COLORREF colour);
// A one-pixel 3-D frame: top and left in one colour, bottom and right in
// the other (which owns the two corners they share).
void Bevel(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight);
void GradientAcross(HDC dc, const RECT& r, COLORREF left, COLORREF right);
void GradientDown(HDC dc, const RECT& r, COLORREF top, COLORREF bottom);

// DrawEdge's borders (BDR_*, BF_* but diagonals) in the skin's edge colours.
// False for what it does not draw (diagonal lines): the caller falls back.
bool Edge(HDC dc, RECT* r, UINT edge, UINT flags, const Palette& palette);

enum class Glyph { Close, Minimize, Maximize, Restore, Check, Bullet };
// Draws `glyph` centred in `r`, sized to it, its strokes as thick as at
// 96 DPI scaled to `dpi`.
void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, COLORREF colour, UINT dpi);

// The window's font as it draws text (WM_GETFONT), or the GUI default.
HFONT WindowFont(HWND wnd);

}  // namespace appface::draw
