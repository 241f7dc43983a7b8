#include "outside/appface/Controls.h"

#include <algorithm>
#include <string>

#include "outside/appface/Draw.h"

namespace appface::controls {
namespace {

using outside::Blend;

std::wstring TextOf(HWND wnd) {
  const int length = GetWindowTextLengthW(wnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(wnd, text.data(), length + 1)));
  return text;
}

// The prefix and focus cues the window's UI state hides.
UINT HiddenCues(HWND wnd) { return static_cast<UINT>(SendMessageW(wnd, WM_QUERYUISTATE, 0, 0)); }

// What the parent paints behind a control: its WM_CTLCOLOR* brush (in the
// skin's colours, as the parent's subclass answers), else the face.
HBRUSH ParentBrush(HWND control, HDC dc, UINT message, const Palette& p) {
  HWND parent = GetParent(control);
  auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc),
                                                              reinterpret_cast<LPARAM>(control)))
                      : nullptr;
  return brush ? brush : p.Brush(Role::Face);
}

// A raised, slightly lit face with a one-pixel frame and rounded corners:
// push buttons and button-style tabs.
void PaintButtonFace(HDC dc, const RECT& r, HBRUSH behind, bool pushed, bool enabled, bool emphasised,
                     const Palette& p) {
  const COLORREF face = p.Colour(Role::Face);
  if (pushed) {
    draw::GradientDown(dc, r, Blend(face, p.Colour(Role::EdgeShadow), 35), Blend(face, p.Colour(Role::Highlight), 12));
  } else {
    draw::GradientDown(dc, r, p.Colour(Role::EdgeLight), Blend(face, p.Colour(Role::EdgeShadow), 12));
  }
  const COLORREF frame = !enabled     ? p.Colour(Role::EdgeShadow)
                         : emphasised ? Blend(p.Colour(Role::Highlight), p.Colour(Role::Border), 30)
                                      : Blend(p.Colour(Role::EdgeShadow), p.Colour(Role::Border), 40);
  draw::Frame(dc, r, frame);
  if (emphasised && enabled) {
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    draw::Frame(dc, inner, Blend(p.Colour(Role::Highlight), face, 45));
  }
  for (POINT c : {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.left, r.bottom - 1},
                  POINT{r.right - 1, r.bottom - 1}}) {
    RECT dot{c.x, c.y, c.x + 1, c.y + 1};
    FillRect(dc, &dot, behind);
  }
}

// The dotted focus frame, three pixels inside `r`, in the system's own
// inverting colours.
void DrawFocus(HDC dc, RECT r) {
  InflateRect(&r, -3, -3);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &r);
}

void ExcludeChildren(HWND wnd, HDC dc) {
  for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  }
}

}  // namespace

SystemBrushes::SystemBrushes() {
  for (int i = 0; i < static_cast<int>(brushes_.size()); ++i) brushes_[static_cast<size_t>(i)] = GetSysColorBrush(i);
}

int SystemBrushes::IndexOf(HBRUSH brush) const {
  if (!brush) return -1;
  for (size_t i = 0; i < brushes_.size(); ++i) {
    if (brushes_[i] == brush) return static_cast<int>(i);
  }
  return -1;
}

LRESULT TranslateCtlColor(LRESULT result, HDC dc, const Palette& p, const SystemBrushes& system) {
  const int index = system.IndexOf(reinterpret_cast<HBRUSH>(result));
  HBRUSH ours = index >= 0 ? p.SystemBrush(index) : nullptr;
  if (!ours) return result;  // the program's own colours
  SetBkColor(dc, *p.SystemColour(index));
  const COLORREF text = GetTextColor(dc);
  if (text == GetSysColor(COLOR_WINDOWTEXT) || text == GetSysColor(COLOR_BTNTEXT)) {
    SetTextColor(dc, p.Colour(index == COLOR_WINDOW ? Role::WindowText : Role::Text));
  } else if (text == GetSysColor(COLOR_GRAYTEXT)) {
    SetTextColor(dc, p.Colour(Role::GrayText));
  }
  return reinterpret_cast<LRESULT>(ours);
}

bool IsPushButton(HWND button) {
  const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
  const DWORD type = style & BS_TYPEMASK;
  return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && !(style & (BS_BITMAP | BS_ICON));
}

bool IsGroupBox(HWND button) {
  return (static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE)) & BS_TYPEMASK) == BS_GROUPBOX;
}

void PaintPushButton(HWND button, HDC dc, const Palette& p) {
  draw::SavedDc saved(dc);
  RECT r{};
  GetClientRect(button, &r);
  const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
  const auto state = static_cast<UINT>(SendMessageW(button, BM_GETSTATE, 0, 0));
  const bool enabled = IsWindowEnabled(button) != FALSE;
  const bool pushed = (state & BST_PUSHED) != 0;
  const bool focused = (state & BST_FOCUS) || GetFocus() == button;
  const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  HBRUSH behind = ParentBrush(button, dc, WM_CTLCOLORBTN, p);
  FillRect(dc, &r, behind);
  PaintButtonFace(dc, r, behind, pushed, enabled, isDefault || focused, p);

  const UINT cues = HiddenCues(button);
  UINT format = DT_NOCLIP | ((cues & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0);
  switch (style & BS_CENTER) {
    case BS_LEFT: format |= DT_LEFT; break;
    case BS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_CENTER; break;
  }
  RECT text = r;
  InflateRect(&text, -4, -2);
  if (pushed) OffsetRect(&text, 1, 1);
  const std::wstring label = TextOf(button);
  SelectObject(dc, draw::WindowFont(button));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? p.Colour(Role::Text) : p.Colour(Role::GrayText));
  if (style & BS_MULTILINE) {
    RECT measured = text;
    DrawTextW(dc, label.c_str(), -1, &measured, format | DT_WORDBREAK | DT_CALCRECT);
    const int h = measured.bottom - measured.top;
    text.top += std::max(0L, ((text.bottom - text.top) - h) / 2);
    DrawTextW(dc, label.c_str(), -1, &text, format | DT_WORDBREAK);
  } else {
    DrawTextW(dc, label.c_str(), -1, &text, format | DT_SINGLELINE | DT_VCENTER);
  }
  if (focused && !(cues & UISF_HIDEFOCUS)) DrawFocus(dc, r);
}

void PaintGroupBox(HWND button, HDC dc, const Palette& p) {
  draw::SavedDc saved(dc);
  RECT r{};
  GetClientRect(button, &r);
  const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
  HBRUSH behind = ParentBrush(button, dc, WM_CTLCOLORSTATIC, p);
  const COLORREF textColour = IsWindowEnabled(button) ? GetTextColor(dc) : p.Colour(Role::GrayText);
  SelectObject(dc, draw::WindowFont(button));
  const std::wstring label = TextOf(button);
  RECT size{0, 0, 0, 0};
  DrawTextW(dc, label.empty() ? L"X" : label.c_str(), -1, &size, DT_CALCRECT | DT_SINGLELINE);
  const int h = size.bottom - size.top;
  RECT frame = r;
  frame.top += h / 2;
  // Etched: a shadow line with a light one below and right of it.
  draw::Frame(dc, {frame.left + 1, frame.top + 1, frame.right, frame.bottom}, p.Colour(Role::EdgeLight));
  draw::Frame(dc, {frame.left, frame.top, frame.right - 1, frame.bottom - 1}, p.Colour(Role::EdgeShadow));
  if (label.empty()) return;
  const int width = size.right - size.left;
  int left = r.left + 8;
  if ((style & BS_CENTER) == BS_CENTER) left = (r.left + r.right - width) / 2 - 2;
  else if (style & BS_RIGHT) left = r.right - 8 - width - 4;
  RECT textRect{left, r.top, left + width + 4, r.top + h};
  FillRect(dc, &textRect, behind);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColour);
  RECT t{left + 2, r.top, left + 2 + width, r.top + h};
  const UINT cues = HiddenCues(button);
  DrawTextW(dc, label.c_str(), -1, &t, DT_SINGLELINE | DT_LEFT | DT_NOCLIP | ((cues & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0));
}

void PaintTabControl(HWND tab, HDC dc, const Palette& p) {
  draw::SavedDc saved(dc);
  ExcludeChildren(tab, dc);
  RECT client{};
  GetClientRect(tab, &client);
  const auto style = static_cast<DWORD>(GetWindowLongW(tab, GWL_STYLE));
  const int count = TabCtrl_GetItemCount(tab);
  const int current = TabCtrl_GetCurSel(tab);
  HIMAGELIST images = TabCtrl_GetImageList(tab);
  int hot = -1;
  if (style & TCS_HOTTRACK) {
    TCHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(tab, &hit.pt);
    hot = TabCtrl_HitTest(tab, &hit);
  }
  const COLORREF face = p.Colour(Role::Face);
  const COLORREF line = p.Colour(Role::EdgeShadow);
  draw::Fill(dc, client, face);

  const bool buttons = (style & TCS_BUTTONS) != 0;
  int itemsBottom = client.top;
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (TabCtrl_GetItemRect(tab, i, &r)) itemsBottom = std::max(itemsBottom, static_cast<int>(r.bottom));
  }
  RECT body = client;
  if (!buttons) {
    body.top = count ? itemsBottom : client.top;
    draw::Bevel(dc, body, line, p.Colour(Role::EdgeDark));
  }

  SelectObject(dc, draw::WindowFont(tab));
  SetBkMode(dc, TRANSPARENT);
  HBRUSH faceBrush = p.Brush(Role::Face);
  // Unselected tabs first: the selected one overlaps them and the body.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < count; ++i) {
      const bool selected = i == current;
      if (selected != (pass == 1)) continue;
      RECT r{};
      if (!TabCtrl_GetItemRect(tab, i, &r)) continue;
      if (buttons) {
        PaintButtonFace(dc, r, faceBrush, selected, true, selected || i == hot, p);
      } else if (selected) {
        r = {r.left - 2, r.top - 2, r.right + 2, body.top + 1};
        draw::Fill(dc, r, face);
        draw::Fill(dc, {r.left, r.top, r.right, r.top + 2}, p.Colour(Role::Highlight));
        draw::Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, line);
        draw::Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, p.Colour(Role::EdgeDark));
      } else {
        r.bottom = body.top;
        draw::GradientDown(dc, r, i == hot ? p.Colour(Role::EdgeLight) : Blend(face, line, 12), face);
        draw::Fill(dc, {r.left, r.top, r.right, r.top + 1}, line);
        draw::Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, line);
        draw::Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, line);
      }
      wchar_t text[256] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT | TCIF_IMAGE;
      item.pszText = text;
      item.cchTextMax = 255;
      item.iImage = -1;
      TabCtrl_GetItem(tab, i, &item);
      RECT label = r;
      if (buttons && selected) OffsetRect(&label, 1, 1);
      if (images && item.iImage >= 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        ImageList_Draw(images, item.iImage, dc, label.left + 6, (label.top + label.bottom - cy) / 2, ILD_TRANSPARENT);
        label.left += 6 + cx;
      }
      SetTextColor(dc, p.Colour(Role::Text));
      DrawTextW(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    }
  }
  RECT focus{};
  if (GetFocus() == tab && current >= 0 && !(HiddenCues(tab) & UISF_HIDEFOCUS) &&
      TabCtrl_GetItemRect(tab, current, &focus)) {
    DrawFocus(dc, focus);
  }
}

void PaintHeader(HWND header, HDC dc, const Palette& p) {
  draw::SavedDc saved(dc);
  RECT client{};
  GetClientRect(header, &client);
  const COLORREF top = p.Colour(Role::EdgeLight);
  const COLORREF bottom = p.Colour(Role::Face);
  const COLORREF line = p.Colour(Role::EdgeShadow);
  draw::GradientDown(dc, client, top, bottom);
  draw::Fill(dc, {client.left, client.bottom - 1, client.right, client.bottom}, line);
  SelectObject(dc, draw::WindowFont(header));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, p.Colour(Role::Text));
  const int count = Header_GetItemCount(header);
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (!Header_GetItemRect(header, i, &r)) continue;
    draw::Fill(dc, {r.right - 1, r.top + 3, r.right, r.bottom - 3}, line);
    wchar_t text[256] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 255;
    Header_GetItem(header, i, &item);
    UINT align = DT_LEFT;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
    RECT label = r;
    InflateRect(&label, -6, 0);
    DrawTextW(dc, text, -1, &label, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
}

void RepaintNow(HWND wnd, void (*paint)(HWND, HDC, const Palette&), const Palette& p) {
  if (!IsWindowVisible(wnd)) return;
  HDC dc = GetDC(wnd);
  if (!dc) return;
  paint(wnd, dc, p);
  ReleaseDC(wnd, dc);
}

namespace {

void PaintSliderThumb(HWND slider, HDC dc, const RECT& rc, bool active, const Palette& p) {
  const auto style = static_cast<DWORD>(GetWindowLongW(slider, GWL_STYLE));
  const LONG l = rc.left, t = rc.top, r = rc.right - 1, b = rc.bottom - 1;
  POINT points[5];
  int n = 5;
  if (style & TBS_BOTH) {
    points[0] = {l, t}, points[1] = {r, t}, points[2] = {r, b}, points[3] = {l, b};
    n = 4;
  } else if (style & TBS_VERT) {
    const LONG d = (b - t) / 2, mid = (t + b) / 2;
    if (style & TBS_LEFT) points[0] = {l, mid}, points[1] = {l + d, t}, points[2] = {r, t}, points[3] = {r, b}, points[4] = {l + d, b};
    else points[0] = {l, t}, points[1] = {r - d, t}, points[2] = {r, mid}, points[3] = {r - d, b}, points[4] = {l, b};
  } else {
    const LONG d = (r - l) / 2, mid = (l + r) / 2;
    if (style & TBS_TOP) points[0] = {mid, t}, points[1] = {r, t + d}, points[2] = {r, b}, points[3] = {l, b}, points[4] = {l, t + d};
    else points[0] = {l, t}, points[1] = {r, t}, points[2] = {r, b - d}, points[3] = {mid, b}, points[4] = {l, b - d};
  }
  const COLORREF fill = active ? Blend(p.Colour(Role::Face), p.Colour(Role::Highlight), 35)
                               : Blend(p.Colour(Role::Face), p.Colour(Role::EdgeLight), 55);
  const COLORREF edge = active ? p.Colour(Role::Highlight) : Blend(p.Colour(Role::EdgeDark), p.Colour(Role::Border), 30);
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  if (brush && pen) {
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polygon(dc, points, n);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
  }
  if (pen) DeleteObject(pen);
  if (brush) DeleteObject(brush);
}

}  // namespace

LRESULT SliderCustomDraw(NMCUSTOMDRAW* cd, LRESULT parentAnswer, bool& owned, const Palette& p) {
  switch (cd->dwDrawStage) {
    case CDDS_PREPAINT:
      owned = parentAnswer == CDRF_DODEFAULT;
      return owned ? CDRF_NOTIFYITEMDRAW : parentAnswer;
    case CDDS_PREERASE:
      if (!owned) return parentAnswer;
      FillRect(cd->hdc, &cd->rc, ParentBrush(cd->hdr.hwndFrom, cd->hdc, WM_CTLCOLORSTATIC, p));
      return CDRF_SKIPDEFAULT;
    case CDDS_ITEMPREPAINT:
      if (!owned) return parentAnswer;
      if (cd->dwItemSpec == TBCD_CHANNEL) {
        RECT r = cd->rc;
        draw::Fill(cd->hdc, r, p.Colour(Role::Window));
        draw::Bevel(cd->hdc, r, p.Colour(Role::EdgeShadow), p.Colour(Role::EdgeLight));
        return CDRF_SKIPDEFAULT;
      }
      if (cd->dwItemSpec == TBCD_THUMB) {
        PaintSliderThumb(cd->hdr.hwndFrom, cd->hdc, cd->rc, (cd->uItemState & (CDIS_HOT | CDIS_SELECTED)) != 0, p);
        return CDRF_SKIPDEFAULT;
      }
      return CDRF_DODEFAULT;  // the tics
    default:
      return parentAnswer;
  }
}

namespace {

struct ListColour {
  UINT get, set;
  COLORREF ListViewColours::*before;
  COLORREF ListViewColours::*ours;
  int systemIndex;
  Role role;
};
constexpr ListColour kListColours[] = {
    {LVM_GETBKCOLOR, LVM_SETBKCOLOR, &ListViewColours::back, &ListViewColours::ourBack, COLOR_WINDOW, Role::Window},
    {LVM_GETTEXTBKCOLOR, LVM_SETTEXTBKCOLOR, &ListViewColours::textBack, &ListViewColours::ourTextBack, COLOR_WINDOW,
     Role::Window},
    {LVM_GETTEXTCOLOR, LVM_SETTEXTCOLOR, &ListViewColours::text, &ListViewColours::ourText, COLOR_WINDOWTEXT,
     Role::WindowText},
};

}  // namespace

void ApplyListViewColours(HWND list, ListViewColours& saved, const Palette& p) {
  if (saved.set) return;
  saved = {};
  for (const ListColour& c : kListColours) {
    const auto now = static_cast<COLORREF>(SendMessageW(list, c.get, 0, 0));
    saved.*c.before = now;
    // Only the colours the program left at the system's own.
    const bool systems = now == GetSysColor(c.systemIndex) || now == CLR_DEFAULT;
    saved.*c.ours = systems ? p.Colour(c.role) : now;
    if (systems) SendMessageW(list, c.set, 0, static_cast<LPARAM>(saved.*c.ours));
  }
  saved.set = true;
  InvalidateRect(list, nullptr, TRUE);
}

void RestoreListViewColours(HWND list, ListViewColours& saved) {
  if (!saved.set) return;
  for (const ListColour& c : kListColours) {
    if (saved.*c.ours == saved.*c.before) continue;
    // A colour the program has set since is the program's.
    if (static_cast<COLORREF>(SendMessageW(list, c.get, 0, 0)) == saved.*c.ours) {
      SendMessageW(list, c.set, 0, static_cast<LPARAM>(saved.*c.before));
    }
  }
  saved = {};
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace appface::controls
