// CListCtrl: a list-view control (report view and the rest) with typed
// calls for columns, items, images and extended styles. The item texts may
// be LPSTR_TEXTCALLBACKW and the images I_IMAGECALLBACK, answered by the
// owner or by a derived class through LVN_GETDISPINFOW.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/Controls.h"
#include "framework/String.h"
#include "framework/Wnd.h"

class CListCtrl : public CWnd {
 public:
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, WC_LISTVIEWW, nullptr, style, rect, parent, id);
  }

  DWORD GetExtendedStyle() const {
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
  }
  // Sets all extended styles; returns the previous ones.
  DWORD SetExtendedStyle(DWORD styles) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(styles)));
  }

  // Column `index` with caption `text`, LVCFMT_ alignment, pixel width and
  // sub-item number (-1: the column's index); returns its index or -1.
  int InsertColumn(int index, const wchar_t* text, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  int GetColumnWidth(int column) const {
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
  }
  bool SetColumnWidth(int column, int width) {
    return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != FALSE;
  }
  int GetColumnCount() const;
  // Every column's width, made at `from` DPI, for `to` (after a change of
  // scale): a width the user set keeps its share.
  void ScaleColumnWidths(UINT from, UINT to);
  CString GetColumnText(int column) const;
  int GetColumnFormat(int column) const;

  // Inserts `item` (its iItem is the position); returns the index or -1.
  int InsertItem(const LVITEMW& item) {
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  }
  // Item `index` with `text` and `image`: an image index, I_IMAGECALLBACK,
  // I_IMAGENONE (a row with no image), or -1 for the list's default.
  int InsertItem(int index, const wchar_t* text, int image = -1);
  bool SetItemText(int item, int subItem, const wchar_t* text);
  CString GetItemText(int item, int subItem) const;
  bool SetItem(const LVITEMW& item) {
    return SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
  }
  bool GetItem(LVITEMW& item) const {
    return SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
  }
  int GetItemImage(int item) const;
  bool SetItemData(int item, LPARAM data);
  LPARAM GetItemData(int item) const;
  bool SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
  }
  int GetNextItem(int start, UINT flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
  }
  int GetSelectionMark() const { return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)); }
  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  bool DeleteItem(int item) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)) != FALSE; }
  bool DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != FALSE; }
  bool EnsureVisible(int item, bool partialOk) {
    return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOk ? TRUE : FALSE) != FALSE;
  }
  // LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS.
  CRect GetItemRect(int item, int code) const;
  CRect GetSubItemRect(int item, int subItem, int code) const;
  // The item under a client point, or -1; `flags` gets LVHT_ bits.
  int HitTest(POINT p, UINT* flags = nullptr) const;
  int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
  int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
  bool RedrawItems(int first, int last) {
    return SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last) != FALSE;
  }
  void SetRedraw(bool redraw) { SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE); }

  // LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE. Unless the control has
  // LVS_SHAREIMAGELISTS it destroys the list with itself.
  HIMAGELIST SetImageList(HIMAGELIST list, int which) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
  }
  HIMAGELIST GetImageList(int which) const {
    return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(which)));
  }
};
