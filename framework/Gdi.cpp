#include "framework/Gdi.h"

#include "framework/Module.h"

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

void CDC::Draw3dRect(const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  const int cx = r.right - r.left;
  const int cy = r.bottom - r.top;
  FillSolidRect(CRect(r.left, r.top, r.right - 1, r.top + 1), topLeft);
  FillSolidRect(CRect(r.left, r.top, r.left + 1, r.bottom - 1), topLeft);
  FillSolidRect(CRect(r.right - 1, r.top, r.right, r.top + cy), bottomRight);
  FillSolidRect(CRect(r.left, r.bottom - 1, r.left + cx, r.bottom), bottomRight);
}

CSize CDC::GetTextExtent(const wchar_t* text, int count) const {
  SIZE s{};
  ::GetTextExtentPoint32W(m_hDC, text, count, &s);
  return s;
}

bool CFont::Create(const wchar_t* face, int height, int weight, BYTE charSet) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = charSet;
  lstrcpynW(lf.lfFaceName, face ? face : L"", LF_FACESIZE);
  return CreateFontIndirect(lf);
}

bool CFont::CreatePointFont(int pointTenths, const wchar_t* face, HDC dc) {
  HDC screen = dc ? dc : ::GetDC(nullptr);
  const int perInch = ::GetDeviceCaps(screen, LOGPIXELSY);
  if (!dc) ::ReleaseDC(nullptr, screen);
  return Create(face, -::MulDiv(pointTenths, perInch, 720));
}

COffscreenDC::COffscreenDC(HDC target, const RECT& area) : target_(target), area_(area) {
  m_hDC = target;
  if (area_.IsRectEmpty()) return;
  memory_ = ::CreateCompatibleDC(target);
  bitmap_ = memory_ ? ::CreateCompatibleBitmap(target, area_.Width(), area_.Height()) : nullptr;
  if (!bitmap_) {
    if (memory_) ::DeleteDC(memory_);
    memory_ = nullptr;
    return;
  }
  oldBitmap_ = ::SelectObject(memory_, bitmap_);
  saved_ = ::SaveDC(memory_);
  // Drawn in the target's coordinates.
  ::SetViewportOrgEx(memory_, -area_.left, -area_.top, nullptr);
  // Start from the target's font, as a paint handler expects.
  ::SelectObject(memory_, ::GetCurrentObject(target, OBJ_FONT));
  m_hDC = memory_;
}

COffscreenDC::~COffscreenDC() {
  if (!memory_) return;
  ::RestoreDC(memory_, saved_);
  ::BitBlt(target_, area_.left, area_.top, area_.Width(), area_.Height(), memory_, 0, 0, SRCCOPY);
  ::SelectObject(memory_, oldBitmap_);
  ::DeleteObject(bitmap_);
  ::DeleteDC(memory_);
}
