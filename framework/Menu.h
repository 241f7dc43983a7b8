// CMenu: a menu handle. A menu loaded with LoadMenu is owned and destroyed
// with the object unless it is handed to a window (Detach); a popup taken
// from another menu (GetSubMenu) is borrowed and lives as long as its parent.
#pragma once

#include <windows.h>

#include <utility>

#include "framework/String.h"

class CMenu {
 public:
  CMenu() = default;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  CMenu(CMenu&& o) noexcept : h_(std::exchange(o.h_, nullptr)), owned_(o.owned_) {}
  ~CMenu() { DestroyMenu(); }

  bool LoadMenu(UINT id, HINSTANCE module = nullptr);
  // A borrowed view of popup `pos`; empty when there is none.
  CMenu GetSubMenu(int pos) const;
  HMENU GetSafeHmenu() const { return h_; }
  HMENU Detach() { owned_ = false; return std::exchange(h_, nullptr); }
  void DestroyMenu();

  int GetMenuItemCount() const { return h_ ? ::GetMenuItemCount(h_) : -1; }
  UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(h_, pos); }
  CString GetMenuString(UINT item, UINT flags) const;
  UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(h_, item, flags); }
  UINT EnableMenuItem(UINT item, UINT flags) { return ::EnableMenuItem(h_, item, flags); }
  // Returns the chosen command with TPM_RETURNCMD, else whether it succeeded.
  int TrackPopupMenu(UINT flags, int x, int y, HWND owner) const {
    return ::TrackPopupMenu(h_, flags, x, y, 0, owner, nullptr);
  }

 private:
  CMenu(HMENU h, bool owned) : h_(h), owned_(owned) {}
  HMENU h_ = nullptr;
  bool owned_ = false;
};
