#include "outside/appface/NonClient.h"

#include <algorithm>

#include "outside/appface/Draw.h"
#include "outside/appface/Engine.h"
#include "platform/DpiWin.h"

namespace appface::nonclient {
namespace {

using outside::Blend;

// Where the parts of a frame lie, in window coordinates (the window's
// top-left corner is 0, 0), by the same metrics the system lays it out with
// at the DPI it draws the frame at.
struct Layout {
  POINT origin{};  // the window's top-left corner on the screen
  RECT window{};
  RECT inner{};    // inside the border
  RECT caption{};  // the caption bar, its bottom line included
  RECT menuBar{};  // empty without a menu
  DWORD style = 0;
  DWORD exStyle = 0;
  bool tool = false;
  UINT dpi = platform::dpi::kBase;
  // `n` 96-DPI pixels at the frame's scale.
  int Px(int n) const { return platform::dpi::Scale(n, dpi); }
  int Metric(int index) const { return platform::dpi::Metric(index, dpi); }
};

Layout Measure(HWND wnd) {
  Layout l;
  l.style = static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE));
  l.exStyle = static_cast<DWORD>(GetWindowLongW(wnd, GWL_EXSTYLE));
  l.tool = (l.exStyle & WS_EX_TOOLWINDOW) != 0;
  l.dpi = platform::dpi::OfFrame(wnd);
  RECT wr{};
  GetWindowRect(wnd, &wr);
  l.origin = {wr.left, wr.top};
  l.window = {0, 0, wr.right - wr.left, wr.bottom - wr.top};
  RECT adjust{};
  platform::dpi::AdjustWindowRect(adjust, l.style, false, l.exStyle & ~WS_EX_CLIENTEDGE, l.dpi);
  const int border = adjust.left < 0 ? -adjust.left : 0;
  l.inner = l.window;
  InflateRect(&l.inner, -border, -border);
  const int height = l.Metric(l.tool ? SM_CYSMCAPTION : SM_CYCAPTION);
  l.caption = {l.inner.left, l.inner.top, l.inner.right, l.inner.top + height};
  if (GetMenu(wnd) && !(l.style & WS_CHILD)) {
    RECT client{};
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int clientTop = client.top - wr.top - ((l.exStyle & WS_EX_CLIENTEDGE) ? l.Metric(SM_CYEDGE) : 0);
    if (clientTop > l.caption.bottom) l.menuBar = {l.inner.left, l.caption.bottom, l.inner.right, clientTop};
  }
  return l;
}

bool HasButton(const Layout& l, Button b) {
  if (!(l.style & WS_SYSMENU)) return false;
  if (b == Button::Close) return true;
  return !l.tool && (l.style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
}

bool Disabled(HWND wnd, const Layout& l, Button b) {
  switch (b) {
    case Button::Close: {
      HMENU sys = GetSystemMenu(wnd, FALSE);
      const UINT state = sys ? GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) : static_cast<UINT>(-1);
      return state == static_cast<UINT>(-1) || (state & (MF_DISABLED | MF_GRAYED));
    }
    case Button::Maximize: return !(l.style & WS_MAXIMIZEBOX);
    case Button::Minimize: return !(l.style & WS_MINIMIZEBOX);
    default: return true;
  }
}

RECT ButtonRect(const Layout& l, Button b) {
  if (l.tool) {
    const int caption = l.Metric(SM_CYSMCAPTION);
    const int size = l.Px(11);
    const int top = l.inner.top + (caption - 1 - size) / 2;
    const int left = l.inner.right - (caption + 1 + size) / 2;
    return {left, top, left + size, top + size};
  }
  const int cx = l.Metric(SM_CXSIZE), cy = l.Metric(SM_CYSIZE), gap = l.Px(2);
  int right = l.inner.right;
  if (b == Button::Maximize) right -= cx;
  if (b == Button::Minimize) right -= cx + cx - gap;
  return {right - cx, l.inner.top + gap, right - gap, l.inner.top + cy - gap};
}

// A minimised window's minimise box and a maximised window's maximise box
// show the restore glyph.
draw::Glyph GlyphOf(HWND wnd, Button b) {
  switch (b) {
    case Button::Close: return draw::Glyph::Close;
    case Button::Minimize: return IsIconic(wnd) ? draw::Glyph::Restore : draw::Glyph::Minimize;
    default: return IsZoomed(wnd) ? draw::Glyph::Restore : draw::Glyph::Maximize;
  }
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bm.bmWidth;
}

// The small icon, unless it is smaller than `size` (made for a lower scale)
// and there is a big one to scale down instead of blowing it up.
HICON CaptionIcon(HWND wnd, int size) {
  auto small = reinterpret_cast<HICON>(SendMessageW(wnd, WM_GETICON, ICON_SMALL2, 0));
  if (!small) small = reinterpret_cast<HICON>(GetClassLongPtrW(wnd, GCLP_HICONSM));
  auto big = reinterpret_cast<HICON>(SendMessageW(wnd, WM_GETICON, ICON_BIG, 0));
  if (!big) big = reinterpret_cast<HICON>(GetClassLongPtrW(wnd, GCLP_HICON));
  if (small && big && big != small && IconWidth(small) < size && IconWidth(big) > IconWidth(small)) return big;
  return small ? small : big;
}

void PaintButton(HDC dc, const RECT& r, draw::Glyph g, bool pressed, bool disabled, COLORREF behind,
                 COLORREF glyph, const Palette& p, const Layout& l) {
  const COLORREF border = p.Colour(Role::Border);
  const COLORREF fill = pressed ? Blend(behind, border, 35) : Blend(behind, RGB(255, 255, 255), 22);
  const int line = std::max(1, l.Px(1));
  draw::Fill(dc, r, fill);
  for (int i = 0; i < line; ++i) {
    draw::Frame(dc, {r.left + i, r.top + i, r.right - i, r.bottom - i}, Blend(behind, border, 45));
  }
  // Rounded corners: the four corner pixels take the bar's colour.
  for (POINT c : {POINT{r.left, r.top}, POINT{r.right - line, r.top}, POINT{r.left, r.bottom - line},
                  POINT{r.right - line, r.bottom - line}}) {
    draw::Fill(dc, {c.x, c.y, c.x + line, c.y + line}, behind);
  }
  RECT inside = r;
  if (pressed) OffsetRect(&inside, line, line);
  draw::DrawGlyph(dc, inside, g, disabled ? Blend(fill, glyph, 40) : glyph, l.dpi);
}

void PaintCaption(HWND wnd, HDC dc, const Layout& l, const Palette& p, bool active, Button pressed) {
  const COLORREF start = p.Colour(active ? Role::Caption : Role::InactiveCaption);
  const COLORREF end = p.Colour(active ? Role::CaptionEnd : Role::InactiveCaptionEnd);
  const COLORREF text = p.Colour(active ? Role::CaptionText : Role::InactiveCaptionText);
  RECT bar = l.caption;
  bar.bottom -= 1;
  draw::GradientAcross(dc, bar, start, end);
  draw::Fill(dc, {l.caption.left, l.caption.bottom - 1, l.caption.right, l.caption.bottom},
             p.Colour(active ? Role::Border : Role::InactiveBorder));

  const int gap = l.Px(2);
  int textLeft = l.inner.left + gap;
  if ((l.style & WS_SYSMENU) && !l.tool) {
    const int cx = l.Metric(SM_CXSMICON), cy = l.Metric(SM_CYSMICON);
    if (HICON icon = CaptionIcon(wnd, cx)) {
      DrawIconEx(dc, l.inner.left + gap, l.inner.top + (l.Metric(SM_CYCAPTION) - cy) / 2, icon, cx, cy, 0,
                 nullptr, DI_NORMAL);
      textLeft += cx + gap;
    }
  }
  int textRight = l.inner.right - gap;
  for (Button b : {Button::Close, Button::Maximize, Button::Minimize}) {
    if (!HasButton(l, b)) continue;
    const RECT r = ButtonRect(l, b);
    textRight = r.left - gap;
    PaintButton(dc, r, GlyphOf(wnd, b), b == pressed, Disabled(wnd, l, b), end, text, p, l);
  }

  wchar_t title[256] = {};
  if (InternalGetWindowText(wnd, title, 256) > 0) {
    draw::SavedDc saved(dc);
    SelectObject(dc, p.CaptionFont(l.tool, l.dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT r{textLeft + gap, bar.top, textRight, bar.bottom};
    DrawTextW(dc, title, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT | DT_END_ELLIPSIS);
  }
}

}  // namespace

bool HasSkinnedFrame(HWND wnd) {
  const auto style = static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE));
  return !(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION;
}

HRGN SystemPaintedRegion(HWND wnd) {
  const Layout l = Measure(wnd);
  RECT below{l.inner.left, l.caption.bottom, l.inner.right, l.inner.bottom};
  OffsetRect(&below, l.origin.x, l.origin.y);
  return CreateRectRgnIndirect(&below);
}

void PaintFrame(HWND wnd, const Palette& p, bool active, Button pressed) {
  const Layout l = Measure(wnd);
  HDC dc = GetWindowDC(wnd);
  if (!dc) return;
  {
    draw::SavedDc saved(dc);
    const COLORREF border = p.Colour(active ? Role::Border : Role::InactiveBorder);
    const RECT& w = l.window;
    const RECT& in = l.inner;
    draw::Fill(dc, {0, 0, w.right, in.top}, border);
    draw::Fill(dc, {0, in.bottom, w.right, w.bottom}, border);
    draw::Fill(dc, {0, in.top, in.left, in.bottom}, border);
    draw::Fill(dc, {in.right, in.top, w.right, in.bottom}, border);
    const int thickness = in.left - w.left;
    if (thickness >= 2) draw::Frame(dc, w, Blend(border, RGB(0, 0, 0), 30));
    if (thickness >= 4) {
      RECT line = in;
      InflateRect(&line, 1, 1);
      draw::Frame(dc, line, Blend(border, RGB(255, 255, 255), 20));
    }

    // The caption is drawn off screen and copied in one piece, so it does
    // not flicker through its layers.
    const RECT& c = l.caption;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bits = mem ? CreateCompatibleBitmap(dc, c.right - c.left, c.bottom - c.top) : nullptr;
    if (bits) {
      HGDIOBJ old = SelectObject(mem, bits);
      SetViewportOrgEx(mem, -c.left, -c.top, nullptr);
      PaintCaption(wnd, mem, l, p, active, pressed);
      SetViewportOrgEx(mem, 0, 0, nullptr);
      BitBlt(dc, c.left, c.top, c.right - c.left, c.bottom - c.top, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
    } else {
      PaintCaption(wnd, dc, l, p, active, pressed);
    }
    if (bits) DeleteObject(bits);
    if (mem) DeleteDC(mem);
  }
  ReleaseDC(wnd, dc);
}

void PaintMenuBarRest(HWND wnd, const Palette& p) {
  const Layout l = Measure(wnd);
  HMENU menu = GetMenu(wnd);
  if (!menu || IsRectEmpty(&l.menuBar)) return;
  HDC dc = GetWindowDC(wnd);
  if (!dc) return;
  {
    draw::SavedDc saved(dc);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
      RECT item{};
      if (!GetMenuItemRect(wnd, menu, static_cast<UINT>(i), &item)) continue;
      OffsetRect(&item, -l.origin.x, -l.origin.y);
      ExcludeClipRect(dc, item.left, item.top, item.right, item.bottom);
    }
    draw::Fill(dc, l.menuBar, p.Colour(Role::Menu));
  }
  ReleaseDC(wnd, dc);
}

void PaintChildEdges(HWND wnd, const Palette& p) {
  const auto style = static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE));
  const auto ex = static_cast<DWORD>(GetWindowLongW(wnd, GWL_EXSTYLE));
  const bool staticEdge = (ex & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE;
  const bool thin = (style & WS_BORDER) && !(style & WS_DLGFRAME);
  if (!staticEdge && !thin && !(ex & WS_EX_CLIENTEDGE)) return;
  RECT wr{};
  GetWindowRect(wnd, &wr);
  RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  HDC dc = GetWindowDC(wnd);
  if (!dc) return;
  if (staticEdge) draw::Edge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST, p);
  if (thin) {
    draw::Frame(dc, r, p.Colour(Role::EdgeDark));
    InflateRect(&r, -1, -1);
  }
  if (ex & WS_EX_CLIENTEDGE) draw::Edge(dc, &r, EDGE_SUNKEN, BF_RECT, p);
  ReleaseDC(wnd, dc);
}

bool TrackCaptionButton(HWND wnd, WPARAM hit, bool active) {
  const Button b = hit == HTCLOSE ? Button::Close
                   : hit == HTMAXBUTTON ? Button::Maximize
                   : hit == HTMINBUTTON ? Button::Minimize
                                        : Button::None;
  const Layout l = Measure(wnd);
  if (b == Button::None || !HasButton(l, b)) return false;
  if (Disabled(wnd, l, b)) return true;  // a greyed button does nothing
  RECT onScreen = ButtonRect(l, b);
  OffsetRect(&onScreen, l.origin.x, l.origin.y);
  // The loop below runs the program's messages, which may end or switch the
  // skin: the palette is looked up for every paint.
  const auto paint = [wnd, active](Button pressed) {
    if (const Palette* p = ThreadPalette()) PaintFrame(wnd, *p, active, pressed);
  };

  SetCapture(wnd);
  bool inside = true;
  POINT at{};
  paint(b);
  for (;;) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      inside = false;
      break;
    }
    if (msg.message == WM_LBUTTONUP) {
      at = msg.pt;
      inside = PtInRect(&onScreen, at) != FALSE;
      break;
    }
    if (msg.message == WM_MOUSEMOVE) {
      const bool now = PtInRect(&onScreen, msg.pt) != FALSE;
      if (now != inside) paint(now ? b : Button::None);
      inside = now;
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      inside = false;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (GetCapture() != wnd) {
      inside = false;
      break;
    }
  }
  if (GetCapture() == wnd) ReleaseCapture();
  if (!IsWindow(wnd)) return true;
  paint(Button::None);
  if (inside) {
    const WPARAM command = b == Button::Close      ? SC_CLOSE
                           : b == Button::Minimize ? SC_MINIMIZE
                           : IsZoomed(wnd)          ? SC_RESTORE
                                                    : SC_MAXIMIZE;
    SendMessageW(wnd, WM_SYSCOMMAND, command, MAKELPARAM(at.x, at.y));
  }
  return true;
}

}  // namespace appface::nonclient
