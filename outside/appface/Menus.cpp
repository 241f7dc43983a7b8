#include "outside/appface/Menus.h"

#include <algorithm>
#include <optional>
#include <string>

#include "outside/appface/Draw.h"
#include "platform/DpiWin.h"

namespace appface {
namespace {

using outside::Blend;

struct Item {
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HBITMAP bitmap = nullptr;
  std::wstring text;
};

std::optional<Item> ReadItem(HMENU menu, UINT pos) {
  wchar_t buffer[512] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_BITMAP | MIIM_STRING;
  info.dwTypeData = buffer;
  info.cch = 511;
  if (!GetMenuItemInfoW(menu, pos, TRUE, &info)) return std::nullopt;
  Item item;
  item.type = info.fType;
  item.state = info.fState;
  item.id = info.wID;
  item.bitmap = info.hbmpItem;
  item.text = buffer;
  return item;
}

bool SetType(HMENU menu, UINT pos, UINT type) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  info.fType = type;
  return SetMenuItemInfoW(menu, pos, TRUE, &info) != FALSE;
}

// The system menu's glyph bitmaps (HBMMENU_POPUP_*), which the engine draws
// itself; any other bitmap keeps the item the system's.
std::optional<draw::Glyph> SystemGlyph(HBITMAP bitmap) {
  if (bitmap == HBMMENU_POPUP_CLOSE) return draw::Glyph::Close;
  if (bitmap == HBMMENU_POPUP_RESTORE) return draw::Glyph::Restore;
  if (bitmap == HBMMENU_POPUP_MAXIMIZE) return draw::Glyph::Maximize;
  if (bitmap == HBMMENU_POPUP_MINIMIZE) return draw::Glyph::Minimize;
  return std::nullopt;
}

bool Adoptable(const Item& item) {
  if (item.type & (MFT_OWNERDRAW | MFT_BITMAP)) return false;
  return !item.bitmap || SystemGlyph(item.bitmap);
}

// The text before and after the tab that separates a shortcut.
std::pair<std::wstring, std::wstring> Split(const std::wstring& text) {
  const auto tab = text.find(L'\t');
  if (tab == std::wstring::npos) return {text, {}};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  RECT r{0, 0, 0, 0};
  if (text.empty()) return {0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return {r.right - r.left, r.bottom - r.top};
}

// Menus are drawn at the scale of the window they belong to.
int Px(int n, UINT dpi) { return platform::dpi::Scale(n, dpi); }
int CheckArea(UINT dpi) { return platform::dpi::Metric(SM_CXMENUCHECK, dpi) + Px(8, dpi); }
int ArrowArea(UINT dpi) { return platform::dpi::Metric(SM_CXMENUCHECK, dpi) + Px(4, dpi); }

}  // namespace

const MenuSkin::Adopted* MenuSkin::Find(HMENU menu) const {
  for (const Adopted& a : adopted_) {
    if (a.menu == menu) return &a;
  }
  return nullptr;
}

bool MenuSkin::Owns(HMENU menu) const { return menu && Find(menu); }

void MenuSkin::Adopt(HMENU menu) {
  // Menus destroyed since they were adopted go first: their handles may
  // come back for other menus.
  adopted_.erase(std::remove_if(adopted_.begin(), adopted_.end(), [](const Adopted& a) { return !IsMenu(a.menu); }),
                 adopted_.end());
  if (!menu || !IsMenu(menu)) return;
  auto it = std::find_if(adopted_.begin(), adopted_.end(), [menu](const Adopted& a) { return a.menu == menu; });
  if (it == adopted_.end()) it = adopted_.insert(adopted_.end(), Adopted{menu, {}});
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT pos = static_cast<UINT>(i);
    const auto item = ReadItem(menu, pos);
    if (!item) continue;
    const bool ours = std::find(it->positions.begin(), it->positions.end(), pos) != it->positions.end();
    if (ours ? (item->type & MFT_OWNERDRAW) != 0 : !Adoptable(*item)) continue;
    if (SetType(menu, pos, item->type | MFT_OWNERDRAW) && !ours) it->positions.push_back(pos);
  }
}

void MenuSkin::Release(HMENU menu) {
  auto it = std::find_if(adopted_.begin(), adopted_.end(), [menu](const Adopted& a) { return a.menu == menu; });
  if (it == adopted_.end()) return;
  if (IsMenu(menu)) {
    for (UINT pos : it->positions) {
      const auto item = ReadItem(menu, pos);
      if (item && (item->type & MFT_OWNERDRAW)) SetType(menu, pos, item->type & ~MFT_OWNERDRAW);
    }
  }
  if (opening_ == menu) opening_ = nullptr;
  adopted_.erase(it);
}

void MenuSkin::ReleaseAll() {
  while (!adopted_.empty()) Release(adopted_.back().menu);
  opening_ = nullptr;
}

int MenuSkin::PositionOf(HMENU menu, UINT id) const {
  const Adopted* a = Find(menu);
  if (!a) return -1;
  for (UINT pos : a->positions) {
    const auto item = ReadItem(menu, pos);
    if (item && item->id == id) return static_cast<int>(pos);
  }
  return -1;
}

bool MenuSkin::Measure(HWND owner, MEASUREITEMSTRUCT* mis, const Palette& p) const {
  // The message names the item but not its menu: the popup being opened,
  // the owner's menu bar, then any menu of the engine's.
  HMENU bar = GetMenu(owner);
  std::vector<HMENU> candidates{opening_, bar};
  for (const Adopted& a : adopted_) candidates.push_back(a.menu);
  for (HMENU menu : candidates) {
    const int pos = menu ? PositionOf(menu, mis->itemID) : -1;
    if (pos < 0) continue;
    const auto item = ReadItem(menu, static_cast<UINT>(pos));
    if (!item) return false;
    const UINT dpi = platform::dpi::OfFrame(owner);
    HDC dc = GetDC(owner);
    HGDIOBJ old = SelectObject(dc, p.MenuFont((item->state & MFS_DEFAULT) != 0, dpi));
    const auto [label, shortcut] = Split(item->text);
    const SIZE text = TextSize(dc, label);
    const SIZE keys = TextSize(dc, shortcut);
    SelectObject(dc, old);
    ReleaseDC(owner, dc);
    if (menu == bar) {
      mis->itemWidth = static_cast<UINT>(text.cx);
      mis->itemHeight = static_cast<UINT>(platform::dpi::Metric(SM_CYMENU, dpi) - 1);
    } else if (item->type & MFT_SEPARATOR) {
      mis->itemWidth = 0;
      mis->itemHeight = static_cast<UINT>(std::max(Px(6, dpi), platform::dpi::Metric(SM_CYMENUSIZE, dpi) / 2));
    } else {
      mis->itemWidth =
          static_cast<UINT>(CheckArea(dpi) + text.cx + (keys.cx ? Px(24, dpi) + keys.cx : 0) + ArrowArea(dpi));
      mis->itemHeight = static_cast<UINT>(
          std::max<LONG>(text.cy + Px(8, dpi), platform::dpi::Metric(SM_CYMENUCHECK, dpi) + Px(6, dpi)));
    }
    return true;
  }
  return false;
}

bool MenuSkin::Draw(HWND owner, const DRAWITEMSTRUCT* dis, const Palette& p) const {
  auto menu = reinterpret_cast<HMENU>(dis->hwndItem);
  const int pos = PositionOf(menu, dis->itemID);
  if (pos < 0) return false;
  const auto item = ReadItem(menu, static_cast<UINT>(pos));
  if (!item) return false;
  HDC dc = dis->hDC;
  draw::SavedDc saved(dc);
  const RECT& rc = dis->rcItem;
  const bool bar = GetMenu(owner) == menu;
  const bool selected = (dis->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
  const bool grayed = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const COLORREF menuColour = p.Colour(Role::Menu);
  const UINT dpi = platform::dpi::OfFrame(owner);

  if (item->type & MFT_SEPARATOR) {
    draw::Fill(dc, rc, menuColour);
    const int y = (rc.top + rc.bottom) / 2 - 1;
    const int inset = Px(4, dpi);
    draw::Fill(dc, {rc.left + inset, y, rc.right - inset, y + 1}, p.Colour(Role::EdgeShadow));
    draw::Fill(dc, {rc.left + inset, y + 1, rc.right - inset, y + 2}, p.Colour(Role::EdgeLight));
    return true;
  }
  COLORREF text = grayed ? p.Colour(Role::GrayText) : p.Colour(Role::MenuText);
  if (selected) {
    const COLORREF highlight = grayed ? Blend(menuColour, p.Colour(Role::Highlight), 30) : p.Colour(Role::Highlight);
    RECT face = rc;
    if (bar) InflateRect(&face, 0, -1);
    draw::Fill(dc, rc, menuColour);
    draw::Fill(dc, face, highlight);
    draw::Frame(dc, face, Blend(highlight, p.Colour(Role::Border), 35));
    if (!grayed) text = p.Colour(Role::HighlightText);
  } else {
    draw::Fill(dc, rc, menuColour);
  }

  SelectObject(dc, p.MenuFont((item->state & MFS_DEFAULT) != 0, dpi));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  const UINT prefix = (dis->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  const auto [label, shortcut] = Split(item->text);
  if (bar) {
    RECT r = rc;
    DrawTextW(dc, label.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | prefix);
    return true;
  }
  const RECT mark{rc.left, rc.top, rc.left + CheckArea(dpi), rc.bottom};
  if (item->state & MFS_CHECKED) {
    draw::DrawGlyph(dc, mark, (item->type & MFT_RADIOCHECK) ? draw::Glyph::Bullet : draw::Glyph::Check, text,
                    dpi);
  } else if (const auto glyph = SystemGlyph(item->bitmap)) {
    RECT small = mark;
    InflateRect(&small, -Px(3, dpi), -Px(3, dpi));
    draw::DrawGlyph(dc, small, *glyph, text, dpi);
  }
  RECT r{rc.left + CheckArea(dpi), rc.top, rc.right - ArrowArea(dpi), rc.bottom};
  DrawTextW(dc, label.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
  if (!shortcut.empty()) DrawTextW(dc, shortcut.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | prefix);
  return true;
}

LRESULT MenuSkin::MenuChar(HMENU menu, wchar_t ch) const {
  if (!Owns(menu)) return 0;
  const auto upper = [](wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
  };
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const auto item = ReadItem(menu, static_cast<UINT>(i));
    if (!item || (item->type & MFT_SEPARATOR)) continue;
    const std::wstring& t = item->text;
    for (size_t k = 0; k + 1 < t.size(); ++k) {
      if (t[k] != L'&') continue;
      if (t[k + 1] == L'&') {
        ++k;  // "&&" is a plain ampersand
        continue;
      }
      if (upper(t[k + 1]) == upper(ch)) return MAKELRESULT(i, MNC_EXECUTE);
      break;
    }
  }
  return 0;
}

void MenuSkin::PaintPopupFrame(HWND popup, HDC dc, const Palette& p) {
  RECT r{};
  GetClientRect(popup, &r);
  draw::Frame(dc, r, p.Colour(Role::EdgeShadow));
  // The system's raised edge and its margin, in the menu's colour.
  for (int ring = 0; ring < 2; ++ring) {
    InflateRect(&r, -1, -1);
    draw::Frame(dc, r, p.Colour(Role::Menu));
  }
}

}  // namespace appface
