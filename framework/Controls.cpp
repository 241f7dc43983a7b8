#include "framework/Controls.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/Art.h"
#include "framework/DialogTemplate.h"
#include "framework/Dpi.h"

bool CreateControl(CWnd& control, const wchar_t* className, const wchar_t* text, DWORD style,
                   const RECT& rect, CWnd* parent, UINT id, DWORD exStyle) {
  return control.CreateEx(exStyle, className, text, style | WS_CHILD, rect,
                          parent ? parent->m_hWnd : nullptr, id);
}

int CComboBoxEx::InsertItem(int index, const wchar_t* text, int image, int selectedImage) {
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text ? text : L"");
  if (image >= 0) {
    item.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iImage = image;
    item.iSelectedImage = selectedImage >= 0 ? selectedImage : image;
  }
  return static_cast<int>(SendMessage(CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

CString CComboBoxEx::GetItemText(int index) const {
  std::vector<wchar_t> buf(1024, L'\0');
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT;
  item.iItem = index;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(buf.size());
  if (!SendMessage(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return CString();
  buf.back() = L'\0';
  return CString(item.pszText);
}

namespace {

TCITEMW TabItem(const wchar_t* text, int image) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(text ? text : L"");
  if (image >= 0) {
    item.mask |= TCIF_IMAGE;
    item.iImage = image;
  }
  return item;
}

}  // namespace

int CTabCtrl::InsertItem(int index, const wchar_t* text, int image) {
  TCITEMW item = TabItem(text, image);
  return static_cast<int>(
      SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

int CTabCtrl::InsertItem(int index, const wchar_t* text, int image, LPARAM data) {
  TCITEMW item = TabItem(text, image);
  item.mask |= TCIF_PARAM;
  item.lParam = data;
  return static_cast<int>(
      SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

LPARAM CTabCtrl::GetItemData(int index) const {
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  if (!SendMessage(TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

CString CTabCtrl::GetItemText(int index) const {
  std::vector<wchar_t> buf(512, L'\0');
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(buf.size());
  if (!SendMessage(TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) {
    return CString();
  }
  buf.back() = L'\0';
  return CString(item.pszText);
}

CRect CTabCtrl::GetItemRect(int index) const {
  CRect r;
  SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return r;
}

int CTabCtrl::HitTest(POINT p) const {
  TCHITTESTINFO info{};
  info.pt = p;
  return static_cast<int>(SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

void CStaticPictures::Adopt(HWND dialog, UINT templateId, HINSTANCE module, UINT dpi) {
  module_ = module;
  dpi_ = geom::kBaseDpi;
  std::vector<HWND> statics;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    if (_wcsicmp(name, WC_STATICW) == 0) statics.push_back(child);
  }
  for (const afx::TemplateItem& item : afx::DialogTemplateItems(module, templateId)) {
    const DWORD type = item.style & SS_TYPEMASK;
    if (!item.IsStatic() || item.titleOrdinal == 0 || (type != SS_BITMAP && type != SS_ICON)) continue;
    // The item's window: a static of its kind where the template puts it.
    RECT at{item.at.x, item.at.y, 0, 0};
    ::MapDialogRect(dialog, &at);
    auto found = std::find_if(statics.begin(), statics.end(), [&](HWND s) {
      RECT r{};
      ::GetWindowRect(s, &r);
      ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      return (static_cast<DWORD>(::GetWindowLongW(s, GWL_STYLE)) & SS_TYPEMASK) == type && r.left == at.left &&
             r.top == at.top;
    });
    if (found == statics.end()) continue;
    Picture& picture = pictures_.emplace_back();
    picture.control = *found;
    picture.resource = item.titleOrdinal;
    picture.icon = type == SS_ICON;
    statics.erase(found);
    if (picture.icon) continue;
    if (auto bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(picture.control, STM_GETIMAGE, IMAGE_BITMAP, 0))) {
      // Taken back and given again: now it is an image the control was
      // given, which it leaves to its owner, as it does every image set
      // this way.
      ::SendMessageW(picture.control, STM_SETIMAGE, IMAGE_BITMAP, 0);
      ::SendMessageW(picture.control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
      picture.bitmap.Attach(bitmap);
    }
  }
  ShowAt(dpi);
}

void CStaticPictures::ShowAt(UINT dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  for (Picture& picture : pictures_) Show(picture, dpi);
}

void CStaticPictures::Show(Picture& picture, UINT dpi) {
  if (!::IsWindow(picture.control)) return;
  if (!picture.icon) {
    HBITMAP bitmap = afx::LoadBitmapForDpi(picture.resource, dpi, CLR_NONE, module_);
    if (!bitmap) return;
    // The control takes the bitmap's size; the one before is let go first.
    ::SendMessageW(picture.control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    picture.bitmap.Attach(bitmap);
    return;
  }
  int size = afx::SystemMetricForDpi(SM_CXICON, dpi);
  if (::GetWindowLongW(picture.control, GWL_STYLE) & SS_REALSIZECONTROL) {
    // Drawn to the control's size: made at the larger side, never blown up.
    RECT r{};
    ::GetClientRect(picture.control, &r);
    size = std::max<int>(r.right, r.bottom);
  }
  afx::UniqueIcon icon = afx::LoadIconOfSize(picture.resource, size, module_);
  if (!icon) return;
  ::SendMessageW(picture.control, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  picture.ownIcon = std::move(icon);
}

void CControlFonts::Follow(std::vector<HWND> controls, UINT dpi) {
  made_.clear();
  shown_.clear();
  dpi_ = dpi;
  for (HWND control : controls)
    shown_.push_back({control, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0))});
}

void CControlFonts::ShowAt(UINT dpi) {
  std::vector<Made> made;
  for (const Shown& shown : shown_) {
    if (!::IsWindow(shown.control)) continue;
    HFONT font = shown.original;
    if (dpi != dpi_) {
      auto same = std::find_if(made.begin(), made.end(), [&](const Made& m) { return m.original == shown.original; });
      if (same == made.end()) {
        LOGFONTW lf{};
        const HGDIOBJ source = shown.original ? shown.original : ::GetStockObject(SYSTEM_FONT);
        if (!::GetObjectW(source, sizeof lf, &lf)) continue;
        lf.lfHeight = ::MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(dpi_));
        lf.lfWidth = ::MulDiv(lf.lfWidth, static_cast<int>(dpi), static_cast<int>(dpi_));
        same = made.insert(made.end(), Made{shown.original, CFont()});
        same->font.CreateFontIndirect(lf);
      }
      font = same->font;
    }
    ::SendMessageW(shown.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  // The fonts of the DPI before are shown by nothing now.
  made_ = std::move(made);
}

bool CBitmapButton::LoadBitmaps(UINT normal, UINT pressed, HINSTANCE module) {
  if (!normal_.LoadBitmap(normal, module)) return false;
  if (pressed != 0 && !pressed_.LoadBitmap(pressed, module)) return false;
  if (m_hWnd) Invalidate(false);
  return true;
}

bool CBitmapButton::LoadBitmapsForDpi(UINT normal, UINT pressed, UINT dpi, HINSTANCE module) {
  normal_.Attach(afx::LoadBitmapForDpi(normal, dpi, CLR_NONE, module));
  if (!normal_) return false;
  if (pressed != 0) {
    pressed_.Attach(afx::LoadBitmapForDpi(pressed, dpi, CLR_NONE, module));
    if (!pressed_) return false;
  }
  if (m_hWnd) Invalidate(false);
  return true;
}

void CBitmapButton::SizeToContent() {
  if (!normal_) return;
  const CSize size = normal_.GetSize();
  SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::OnDrawItem(DRAWITEMSTRUCT& item) {
  const bool pressed = (item.itemState & ODS_SELECTED) && pressed_;
  HBITMAP bitmap = pressed ? pressed_.get() : normal_.get();
  const CRect r(item.rcItem);
  if (!bitmap) {
    ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  CMemoryDC source(item.hDC);
  CSelectObject selected(source, bitmap);
  ::BitBlt(item.hDC, r.left, r.top, r.Width(), r.Height(), source, 0, 0, SRCCOPY);
}

bool CBitmapButton::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnReflectDrawItem<&CBitmapButton::OnDrawItem>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CButton::OnWndMsg(msg, wParam, lParam, result);
}
