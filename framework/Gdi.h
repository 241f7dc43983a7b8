// GDI objects and device contexts, each handle owned by exactly one object.
//   CBrush, CPen, CFont, CBitmap, CRgn - own their GDI object (DeleteObject)
//   CDC                           - a borrowed DC with drawing helpers
//   CPaintDC                      - BeginPaint/EndPaint (ended, never deleted)
//   CClientDC                     - GetDC/ReleaseDC
//   CMemoryDC                     - CreateCompatibleDC/DeleteDC
//   COffscreenDC                  - draws into a bitmap, copied to its target
//                                   at the end of its scope (no flicker)
//   CSelectObject                 - selects an object, restores the old one
#pragma once

#include <windows.h>

#include <utility>

#include "framework/Rect.h"

template <class Handle>
class CGdiObject {
 public:
  CGdiObject() = default;
  explicit CGdiObject(Handle h) : h_(h) {}
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  CGdiObject(CGdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  CGdiObject& operator=(CGdiObject&& o) noexcept {
    if (this != &o) Attach(std::exchange(o.h_, nullptr));
    return *this;
  }
  ~CGdiObject() { DeleteObject(); }

  Handle get() const { return h_; }
  operator Handle() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  // Takes ownership of `h`, deleting the object held before.
  void Attach(Handle h) {
    DeleteObject();
    h_ = h;
  }
  Handle Detach() { return std::exchange(h_, nullptr); }
  void DeleteObject() {
    if (h_) ::DeleteObject(h_);
    h_ = nullptr;
  }

 private:
  Handle h_ = nullptr;
};

class CBrush : public CGdiObject<HBRUSH> {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF c) { CreateSolidBrush(c); }
  bool CreateSolidBrush(COLORREF c) { Attach(::CreateSolidBrush(c)); return get() != nullptr; }
};

class CPen : public CGdiObject<HPEN> {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF c) { CreatePen(style, width, c); }
  bool CreatePen(int style, int width, COLORREF c) {
    Attach(::CreatePen(style, width, c));
    return get() != nullptr;
  }
};

class CFont : public CGdiObject<HFONT> {
 public:
  bool CreateFontIndirect(const LOGFONTW& lf) { Attach(::CreateFontIndirectW(&lf)); return get() != nullptr; }
  // A font of `face` with character height `height` (negative: em height in
  // pixels, as LOGFONT means it), weight and character set.
  bool Create(const wchar_t* face, int height, int weight = FW_NORMAL,
              BYTE charSet = DEFAULT_CHARSET);
  // `pointTenths` tenths of a point on the screen (90 for 9 points).
  bool CreatePointFont(int pointTenths, const wchar_t* face, HDC dc = nullptr);
};

class CRgn : public CGdiObject<HRGN> {
 public:
  bool CreateRectRgn(const RECT& r) {
    Attach(::CreateRectRgn(r.left, r.top, r.right, r.bottom));
    return get() != nullptr;
  }
  bool CreateEllipticRgn(const RECT& r) {
    Attach(::CreateEllipticRgn(r.left, r.top, r.right, r.bottom));
    return get() != nullptr;
  }
  bool CreatePolygonRgn(const POINT* points, int count, int mode = ALTERNATE) {
    Attach(::CreatePolygonRgn(points, count, mode));
    return get() != nullptr;
  }
  // This region becomes `a` combined with `b` by `mode` (RGN_AND, RGN_OR,
  // RGN_DIFF ...); it must exist already (any region will do).
  int CombineRgn(HRGN a, HRGN b, int mode) { return ::CombineRgn(get(), a, b, mode); }
  bool PtInRegion(POINT p) const { return ::PtInRegion(get(), p.x, p.y) != FALSE; }
};

class CBitmap : public CGdiObject<HBITMAP> {
 public:
  // From the resource module when `module` is null.
  bool LoadBitmap(UINT id, HINSTANCE module = nullptr);
  bool CreateCompatibleBitmap(HDC dc, int cx, int cy) {
    Attach(::CreateCompatibleBitmap(dc, cx, cy));
    return get() != nullptr;
  }
  CSize GetSize() const;
};

class CDC {
 public:
  explicit CDC(HDC dc = nullptr) : m_hDC(dc) {}
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC() = default;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  void FillSolidRect(const RECT& r, COLORREF c);
  void FillRect(const RECT& r, HBRUSH b) { ::FillRect(m_hDC, &r, b); }
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int DrawText(const wchar_t* text, int count, RECT& r, UINT format) {
    return ::DrawTextW(m_hDC, text, count, &r, format);
  }
  bool TextOut(int x, int y, const wchar_t* text, int count) {
    return ::TextOutW(m_hDC, x, y, text, count) != FALSE;
  }
  bool BitBlt(int x, int y, int cx, int cy, HDC src, int sx, int sy, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, cx, cy, src, sx, sy, rop) != FALSE;
  }
  // A frame of one pixel: top and left in `topLeft`, bottom and right in
  // `bottomRight`, inside `r`.
  void Draw3dRect(const RECT& r, COLORREF topLeft, COLORREF bottomRight);
  bool DrawEdge(RECT& r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, &r, edge, flags) != FALSE; }
  bool FrameRect(const RECT& r, HBRUSH b) { return ::FrameRect(m_hDC, &r, b) != FALSE; }
  bool Rectangle(const RECT& r) { return ::Rectangle(m_hDC, r.left, r.top, r.right, r.bottom) != FALSE; }
  bool Ellipse(const RECT& r) { return ::Ellipse(m_hDC, r.left, r.top, r.right, r.bottom) != FALSE; }
  bool Pie(const RECT& r, POINT start, POINT end) {
    return ::Pie(m_hDC, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y) != FALSE;
  }
  bool Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count) != FALSE; }
  bool MoveTo(POINT p) { return ::MoveToEx(m_hDC, p.x, p.y, nullptr) != FALSE; }
  bool LineTo(POINT p) { return ::LineTo(m_hDC, p.x, p.y) != FALSE; }
  int SelectClipRgn(HRGN rgn) { return ::SelectClipRgn(m_hDC, rgn); }
  int IntersectClipRect(const RECT& r) {
    return ::IntersectClipRect(m_hDC, r.left, r.top, r.right, r.bottom);
  }
  CSize GetTextExtent(const wchar_t* text, int count) const;
  COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }

 protected:
  HDC m_hDC;
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(HWND wnd) : wnd_(wnd) { m_hDC = ::BeginPaint(wnd, &m_ps); }
  ~CPaintDC() override { ::EndPaint(wnd_, &m_ps); }
  PAINTSTRUCT m_ps{};

 private:
  HWND wnd_;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(HWND wnd) : wnd_(wnd) { m_hDC = ::GetDC(wnd); }
  ~CClientDC() override {
    if (m_hDC) ::ReleaseDC(wnd_, m_hDC);
  }

 private:
  HWND wnd_;
};

class CMemoryDC : public CDC {
 public:
  explicit CMemoryDC(HDC compatibleWith) { m_hDC = ::CreateCompatibleDC(compatibleWith); }
  ~CMemoryDC() override {
    if (m_hDC) ::DeleteDC(m_hDC);
  }
};

// Off-screen drawing for a paint handler: a memory DC with a bitmap the size
// of `area` of `target`, drawn in the target's coordinates; at the end of
// the scope the bitmap is copied to `area` of `target` and everything is
// freed (the DC's own selections restored first). Without a bitmap (out of
// memory) it draws straight onto the target instead.
class COffscreenDC : public CDC {
 public:
  COffscreenDC(HDC target, const RECT& area);
  ~COffscreenDC() override;
  COffscreenDC(const COffscreenDC&) = delete;
  COffscreenDC& operator=(const COffscreenDC&) = delete;

  const CRect& Area() const { return area_; }
  bool IsOffscreen() const { return memory_ != nullptr; }

 private:
  HDC target_;
  CRect area_;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  int saved_ = 0;
};

// Selects `obj` into `dc` for the lifetime of this object; the previous
// object of that kind is selected again at the end of the scope.
class CSelectObject {
 public:
  CSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;
  ~CSelectObject() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
