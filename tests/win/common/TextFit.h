// Whether the texts of a window's controls fit them, measured with the font
// each control shows (its WM_GETFONT, else the system font): a static's
// text in its client area (wrapped where the static wraps, unless it
// shortens its text itself), a button's beside its check mark or inside its
// frame, a tab's caption in its tab, and a list view's cells in their
// columns and rows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/TextWin.h"

namespace dravon_test {

// One control whose text does not fit, for a failure message.
struct Overflow {
  HWND control;
  std::string text;
  SIZE need;  // the text's extent (and what the control draws beside it)
  SIZE have;  // the room the control gives it
};

inline std::ostream& operator<<(std::ostream& os, const Overflow& o) {
  return os << "\"" << o.text << "\" needs " << o.need.cx << "x" << o.need.cy << " in " << o.have.cx << "x"
            << o.have.cy;
}

namespace fit_detail {

inline std::wstring ClassOf(HWND wnd) {
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  return name;
}

inline std::wstring TextOf(HWND wnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The text's extent in `wnd`'s font; `width` > 0 wraps it at that width.
inline SIZE Extent(HWND wnd, const std::wstring& text, int width, UINT flags = 0) {
  HDC dc = GetDC(wnd);
  auto font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  RECT r{0, 0, width > 0 ? width : 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | flags | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(wnd, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

inline void Check(std::vector<Overflow>& out, HWND wnd, const std::wstring& text, SIZE need, SIZE have) {
  if (need.cx > have.cx || need.cy > have.cy) out.push_back({wnd, platform::Narrow(text), need, have});
}

inline void CheckControl(HWND wnd, int dpi, std::vector<Overflow>& out) {
  const std::wstring cls = ClassOf(wnd);
  const auto style = static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE));
  RECT client{};
  GetClientRect(wnd, &client);
  const SIZE room{client.right, client.bottom};
  if (_wcsicmp(cls.c_str(), WC_STATICW) == 0) {
    const DWORD type = style & SS_TYPEMASK;
    const std::wstring text = TextOf(wnd);
    if (text.empty() || (style & SS_ELLIPSISMASK)) return;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
      Check(out, wnd, text, Extent(wnd, text, room.cx), room);
    } else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
      Check(out, wnd, text, Extent(wnd, text, 0), room);
    }
  } else if (_wcsicmp(cls.c_str(), WC_BUTTONW) == 0) {
    const DWORD type = style & BS_TYPEMASK;
    const std::wstring text = TextOf(wnd);
    if (text.empty()) return;
    SIZE need = Extent(wnd, text, 0, DT_HIDEPREFIX);
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
        type == BS_3STATE || type == BS_AUTO3STATE) {
      need.cx += MulDiv(13 + 3, dpi, 96);  // the mark and the gap after it
    } else if (type == BS_GROUPBOX) {
      need.cx += MulDiv(8, dpi, 96);  // the frame's ends either side
    }
    Check(out, wnd, text, need, room);
  } else if (_wcsicmp(cls.c_str(), WC_TABCONTROLW) == 0) {
    for (int i = 0; i < TabCtrl_GetItemCount(wnd); ++i) {
      wchar_t buf[256] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = 256;
      TabCtrl_GetItem(wnd, i, &item);
      RECT r{};
      TabCtrl_GetItemRect(wnd, i, &r);
      Check(out, wnd, buf, Extent(wnd, buf, 0), SIZE{r.right - r.left, r.bottom - r.top});
    }
  }
}

}  // namespace fit_detail

// Every static, button and tab control at or below `root` whose text does
// not fit it; `dpi` sizes what the controls draw beside their texts.
inline std::vector<Overflow> OverflowingTexts(HWND root, int dpi) {
  std::vector<Overflow> out;
  std::vector<HWND> stack{root};
  while (!stack.empty()) {
    HWND wnd = stack.back();
    stack.pop_back();
    if (wnd != root) fit_detail::CheckControl(wnd, dpi, out);
    for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) stack.push_back(c);
  }
  return out;
}

// The cells of a report list view that fit their columns (their text, the
// row's image in column 0, the list's margins) and rows, as row * 100 +
// column.
inline std::vector<int> FittingCells(HWND list) {
  std::vector<int> cells;
  HWND header = ListView_GetHeader(list);
  const int columns = header ? Header_GetItemCount(header) : 0;
  HIMAGELIST images = ListView_GetImageList(list, LVSIL_SMALL);
  int imageCx = 0, imageCy = 0;
  if (images) ImageList_GetIconSize(images, &imageCx, &imageCy);
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    RECT bounds{};
    ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
    for (int column = 0; column < columns; ++column) {
      wchar_t text[1024] = {};
      ListView_GetItemText(list, row, column, text, 1024);
      const std::wstring cell(text);
      SIZE need = fit_detail::Extent(list, cell, 0);
      // The list's own margins either side of a cell's text.
      need.cx += ListView_GetStringWidth(list, L"") + 12;
      if (column == 0) need.cx += imageCx;
      const int width = ListView_GetColumnWidth(list, column);
      const int height = bounds.bottom - bounds.top;
      if (need.cx <= width && need.cy <= height && imageCy <= height) cells.push_back(row * 100 + column);
    }
  }
  return cells;
}

}  // namespace dravon_test
