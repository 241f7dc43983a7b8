#include "framework/Gdi.h"

#include "framework/WinApp.h"

bool CBitmap::LoadBitmap(UINT id, HINSTANCE module) {
  if (!module) module = AfxGetResourceHandle();
  Attach(static_cast<HBITMAP>(
      ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return get() != nullptr;
}

CSize CBitmap::GetSize() const {
  BITMAP bm{};
  if (!get() || !::GetObjectW(get(), sizeof bm, &bm)) return CSize();
  return CSize(bm.bmWidth, bm.bmHeight);
}

void CDC::FillSolidRect(const RECT& r, COLORREF c) {
  // ExtTextOut with an opaque background fills without a brush object.
  COLORREF old = ::SetBkColor(m_hDC, c);
  ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}
