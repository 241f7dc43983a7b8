#include "app/TrueColorToolBar.h"

#include <commctrl.h>

#include "framework/Art.h"
#include "framework/Gdi.h"
#include "framework/WinApp.h"

bool CTrueColorToolBar::LoadButtonImages(int buttonWidth, UINT normal, UINT hot, UINT disabled) {
  buttonWidth_ = buttonWidth;
  ids_[0] = normal;
  ids_[1] = hot;
  ids_[2] = disabled;
  if (!SetImages(TB_SETIMAGELIST, normal, buttonWidth, normal_)) return false;
  if (hot && !SetImages(TB_SETHOTIMAGELIST, hot, buttonWidth, hot_)) return false;
  if (disabled && !SetImages(TB_SETDISABLEDIMAGELIST, disabled, buttonWidth, disabled_)) {
    return false;
  }
  return true;
}

void CTrueColorToolBar::OnDpiChanged(UINT dpi) {
  CToolBar::OnDpiChanged(dpi);
  if (buttonWidth_ > 0) LoadButtonImages(buttonWidth_, ids_[0], ids_[1], ids_[2]);
}

HIMAGELIST CTrueColorToolBar::ImageList(int which) const {
  switch (which) {
    case 0: return normal_.GetSafeHandle();
    case 1: return hot_.GetSafeHandle();
    case 2: return disabled_.GetSafeHandle();
    default: return nullptr;
  }
}

bool CTrueColorToolBar::SetImages(UINT message, UINT bitmapId, int buttonWidth, CImageList& list) {
  if (!m_hWnd || buttonWidth <= 0) return false;
  CBitmap bitmap;
  bitmap.Attach(afx::LoadBitmapForDpi(bitmapId, GetDpi(), afx::kMaskOfFirstPixel));
  buttonWidth = Scale(buttonWidth);
  DIBSECTION dib{};
  if (!bitmap || ::GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) {
    return false;
  }
  const BITMAP& bm = dib.dsBm;
  int count = bm.bmWidth / buttonWidth;  // a last, narrower image is dropped
  if (count <= 0) return false;
  // The first pixel in memory (bottom-left of a bottom-up bitmap) names the
  // transparent colour.
  COLORREF mask;
  const BYTE* first = static_cast<const BYTE*>(bm.bmBits);
  if (bm.bmBitsPixel == 24 || bm.bmBitsPixel == 32) {
    mask = RGB(first[2], first[1], first[0]);
  } else {
    CMemoryDC dc(nullptr);
    CSelectObject sel(dc, bitmap);
    mask = ::GetPixel(dc, 0, dib.dsBmih.biHeight > 0 ? bm.bmHeight - 1 : 0);
  }
  CImageList made;
  if (!made.Create(buttonWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, count, 0)) return false;
  if (made.Add(bitmap, mask) < 0) return false;
  SendMessage(message, 0, reinterpret_cast<LPARAM>(made.GetSafeHandle()));
  list.DeleteImageList();
  list.Attach(made.Detach());
  return true;
}
