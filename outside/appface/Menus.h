// Skinned menus. The system paints menu items in the system's menu colours
// whatever background brush a menu is given (Wine fills each item with
// COLOR_MENU), so the engine turns the items of the menu bars and of each
// popup about to open owner-drawn, keeping their texts, states and
// identifiers, and draws them itself; the popup is put back when it closes,
// the menu bars when skinning ends. Mnemonics of owner-drawn items are
// answered through WM_MENUCHAR, which the system asks instead.
#pragma once

#include <windows.h>

#include <vector>

#include "outside/appface/Palette.h"

namespace appface {

class MenuSkin {
 public:
  // Turns the items of `menu` owner-drawn (again, for items the program
  // has since reset); items that are owner-drawn already or bitmaps stay.
  void Adopt(HMENU menu);
  // Puts the items of `menu` back as they were.
  void Release(HMENU menu);
  void ReleaseAll();
  bool Owns(HMENU menu) const;

  // A popup is about to be measured and shown for `owner`.
  void PopupOpening(HMENU menu) { opening_ = menu; }

  // WM_MEASUREITEM and WM_DRAWITEM of an adopted item, sent to `owner`;
  // false for items that are not the engine's.
  bool Measure(HWND owner, MEASUREITEMSTRUCT* mis, const Palette& palette) const;
  bool Draw(HWND owner, const DRAWITEMSTRUCT* dis, const Palette& palette) const;
  // The WM_MENUCHAR answer for an adopted menu: the item whose mnemonic is
  // `ch`, executed; 0 when none has it.
  LRESULT MenuChar(HMENU menu, wchar_t ch) const;

  // The border of a popup menu window, over the system's.
  static void PaintPopupFrame(HWND popup, HDC dc, const Palette& palette);

 private:
  struct Adopted {
    HMENU menu;
    std::vector<UINT> positions;
  };
  const Adopted* Find(HMENU menu) const;
  // The position of the adopted item with identifier `id` in `menu`, or -1.
  int PositionOf(HMENU menu, UINT id) const;

  std::vector<Adopted> adopted_;
  HMENU opening_ = nullptr;
};

}  // namespace appface
