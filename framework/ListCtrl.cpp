#include "framework/ListCtrl.h"

#include <vector>

int CListCtrl::InsertColumn(int index, const wchar_t* text, int format, int width, int subItem) {
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
  col.fmt = format;
  col.pszText = const_cast<wchar_t*>(text ? text : L"");
  col.iSubItem = subItem >= 0 ? subItem : index;
  if (width >= 0) {
    col.mask |= LVCF_WIDTH;
    col.cx = width;
  }
  return static_cast<int>(
      SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::GetColumnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void CListCtrl::ScaleColumnWidths(UINT from, UINT to) {
  if (from == 0 || to == 0 || from == to) return;
  for (int column = 0, count = GetColumnCount(); column < count; ++column) {
    SetColumnWidth(column, ::MulDiv(GetColumnWidth(column), static_cast<int>(to), static_cast<int>(from)));
  }
}

CString CListCtrl::GetColumnText(int column) const {
  std::vector<wchar_t> buf(512, L'\0');
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf.data();
  col.cchTextMax = static_cast<int>(buf.size());
  if (!SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col))) {
    return CString();
  }
  buf.back() = L'\0';
  return CString(col.pszText);
}

int CListCtrl::GetColumnFormat(int column) const {
  LVCOLUMNW col{};
  col.mask = LVCF_FMT;
  if (!SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col))) {
    return -1;
  }
  return col.fmt;
}

int CListCtrl::InsertItem(int index, const wchar_t* text, int image) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text ? text : L"");
  if (image >= 0 || image == I_IMAGECALLBACK || image == I_IMAGENONE) {
    item.mask |= LVIF_IMAGE;
    item.iImage = image;
  }
  return InsertItem(item);
}

bool CListCtrl::SetItemText(int item, int subItem, const wchar_t* text) {
  LVITEMW lv{};
  lv.iSubItem = subItem;
  lv.pszText = const_cast<wchar_t*>(text ? text : L"");
  return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)) != FALSE;
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  // The control copies at most the buffer's size: grow until the text fits.
  for (size_t size = 256;; size *= 4) {
    std::vector<wchar_t> buf(size, L'\0');
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = buf.data();
    lv.cchTextMax = static_cast<int>(size);
    auto n = static_cast<size_t>(
        SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
    if (n + 1 < size || size >= (1u << 20)) {
      buf.back() = L'\0';
      return CString(lv.pszText);
    }
  }
}

int CListCtrl::GetItemImage(int item) const {
  LVITEMW lv{};
  lv.mask = LVIF_IMAGE;
  lv.iItem = item;
  return GetItem(lv) ? lv.iImage : -1;
}

bool CListCtrl::SetItemData(int item, LPARAM data) {
  LVITEMW lv{};
  lv.mask = LVIF_PARAM;
  lv.iItem = item;
  lv.lParam = data;
  return SetItem(lv);
}

LPARAM CListCtrl::GetItemData(int item) const {
  LVITEMW lv{};
  lv.mask = LVIF_PARAM;
  lv.iItem = item;
  return GetItem(lv) ? lv.lParam : 0;
}

bool CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMW lv{};
  lv.state = state;
  lv.stateMask = mask;
  return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)) != FALSE;
}

CRect CListCtrl::GetItemRect(int item, int code) const {
  CRect r;
  r.left = code;
  if (!SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r))) {
    return CRect();
  }
  return r;
}

CRect CListCtrl::GetSubItemRect(int item, int subItem, int code) const {
  CRect r;
  r.top = subItem;
  r.left = code;
  if (!SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r))) {
    return CRect();
  }
  return r;
}

int CListCtrl::HitTest(POINT p, UINT* flags) const {
  LVHITTESTINFO info{};
  info.pt = p;
  int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  if (flags) *flags = info.flags;
  return item;
}
