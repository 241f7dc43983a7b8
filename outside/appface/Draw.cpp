#include "outside/appface/Draw.h"

#include <algorithm>
#include <cmath>

namespace appface::draw {

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void Frame(HDC dc, const RECT& r, COLORREF colour) { Bevel(dc, r, colour, colour); }

void Bevel(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  Fill(dc, {r.left, r.top, r.right, r.top + 1}, topLeft);
  Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
  Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

namespace {

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c) {
  TRIVERTEX v{};
  v.x = x;
  v.y = y;
  v.Red = static_cast<COLOR16>(GetRValue(c) << 8);
  v.Green = static_cast<COLOR16>(GetGValue(c) << 8);
  v.Blue = static_cast<COLOR16>(GetBValue(c) << 8);
  return v;
}

void Gradient(HDC dc, const RECT& r, COLORREF from, COLORREF to, ULONG mode) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (from == to) {
    Fill(dc, r, from);
    return;
  }
  TRIVERTEX v[2] = {Vertex(r.left, r.top, from), Vertex(r.right, r.bottom, to)};
  GRADIENT_RECT g{0, 1};
  if (!GradientFill(dc, v, 2, &g, 1, mode)) Fill(dc, r, from);
}

// One layer of a DrawEdge border: top and left in `tl`, bottom and right in
// `br`, on the sides `flags` names; `r` shrinks past it.
void EdgeLayer(HDC dc, RECT& r, UINT flags, COLORREF tl, COLORREF br) {
  if (flags & BF_TOP) Fill(dc, {r.left, r.top, r.right, r.top + 1}, tl);
  if (flags & BF_LEFT) Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, tl);
  if (flags & BF_BOTTOM) Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, br);
  if (flags & BF_RIGHT) Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, br);
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_BOTTOM) --r.bottom;
  if (flags & BF_RIGHT) --r.right;
}

}  // namespace

void GradientAcross(HDC dc, const RECT& r, COLORREF left, COLORREF right) {
  Gradient(dc, r, left, right, GRADIENT_FILL_RECT_H);
}

void GradientDown(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
  Gradient(dc, r, top, bottom, GRADIENT_FILL_RECT_V);
}

bool Edge(HDC dc, RECT* rect, UINT edge, UINT flags, const Palette& p) {
  if (!rect || (flags & BF_DIAGONAL)) return false;
  RECT r = *rect;
  const UINT outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
  const UINT inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
  const auto layer = [&](bool isOuter, UINT bits) {
    COLORREF tl, br;
    if (flags & BF_MONO) {
      tl = br = isOuter ? p.Colour(Role::EdgeDark) : p.Colour(Role::Window);
    } else if (flags & BF_FLAT) {
      tl = br = isOuter ? p.Colour(Role::EdgeShadow) : p.Colour(Role::Face);
    } else if (bits == (isOuter ? BDR_RAISEDOUTER : BDR_RAISEDINNER)) {
      tl = isOuter ? p.Colour(Role::EdgeSoft) : p.Colour(Role::EdgeLight);
      br = isOuter ? p.Colour(Role::EdgeDark) : p.Colour(Role::EdgeShadow);
    } else if (bits == (isOuter ? BDR_SUNKENOUTER : BDR_SUNKENINNER)) {
      tl = isOuter ? p.Colour(Role::EdgeShadow) : p.Colour(Role::EdgeDark);
      br = isOuter ? p.Colour(Role::EdgeLight) : p.Colour(Role::EdgeSoft);
    } else {
      return;  // none, or raised and sunken at once: DrawEdge draws nothing either
    }
    EdgeLayer(dc, r, flags, tl, br);
  };
  layer(true, outer);
  layer(false, inner);
  if (flags & BF_MIDDLE) Fill(dc, r, (flags & BF_MONO) ? p.Colour(Role::Window) : p.Colour(Role::Face));
  if (flags & BF_ADJUST) *rect = r;
  return true;
}

void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, COLORREF colour, UINT dpi) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const bool menuMark = glyph == Glyph::Check || glyph == Glyph::Bullet;
  const int s = std::max(5, (std::min(w, h) * (menuMark ? 5 : 4)) / 9);
  const int x = r.left + (w - s) / 2, y = r.top + (h - s) / 2;
  // Stroke and line thickness: what the glyph's size would have at 96 DPI,
  // scaled, so a glyph twice the size has strokes twice as thick.
  const int at = static_cast<int>(dpi ? dpi : 96);
  const int t = std::max(1, MulDiv(MulDiv(s, 96, at) >= 8 ? 2 : 1, at, 96));
  const int line = std::max(1, MulDiv(1, at, 96));
  const auto frame = [&](const RECT& box) {
    for (int i = 0; i < line; ++i) Frame(dc, {box.left + i, box.top + i, box.right - i, box.bottom - i}, colour);
  };
  switch (glyph) {
    case Glyph::Close:
      for (int i = 0; i < s; ++i) {
        Fill(dc, {x + i, y + i, x + i + t, y + i + 1}, colour);
        Fill(dc, {x + s - i - t, y + i, x + s - i, y + i + 1}, colour);
      }
      break;
    case Glyph::Minimize:
      Fill(dc, {x, y + s - t, x + s, y + s}, colour);
      break;
    case Glyph::Maximize:
      frame({x, y, x + s, y + s});
      Fill(dc, {x, y, x + s, y + t}, colour);
      break;
    case Glyph::Restore: {
      const int d = std::max(2, s / 4);
      Fill(dc, {x + d, y, x + s, y + t}, colour);            // the window behind
      Fill(dc, {x + s - line, y, x + s, y + s - d}, colour);
      frame({x, y + d, x + s - d, y + s});                    // the window in front
      Fill(dc, {x, y + d, x + s - d, y + d + t}, colour);
      break;
    }
    case Glyph::Check: {
      const int a = s / 3, base = y + (s * 3) / 4;
      for (int i = 0; i <= a; ++i) Fill(dc, {x + i, base - a + i, x + i + 1, base - a + i + t + 1}, colour);
      for (int i = 0; i < s - a; ++i) Fill(dc, {x + a + i, base - i, x + a + i + 1, base - i + t + 1}, colour);
      break;
    }
    case Glyph::Bullet: {
      const double radius = s / 3.0;
      const double cx = x + s / 2.0, cy = y + s / 2.0;
      for (int row = static_cast<int>(std::floor(cy - radius)); row < cy + radius; ++row) {
        const double dy = row + 0.5 - cy;
        if (std::fabs(dy) > radius) continue;
        const double half = std::sqrt(radius * radius - dy * dy);
        Fill(dc, {static_cast<LONG>(std::lround(cx - half)), row, static_cast<LONG>(std::lround(cx + half)), row + 1},
             colour);
      }
      break;
    }
  }
}

HFONT WindowFont(HWND wnd) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace appface::draw
