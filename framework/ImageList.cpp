#include "framework/ImageList.h"

#include "framework/Art.h"
#include "framework/Gdi.h"
#include "framework/Module.h"
#include "geometry/Dpi.h"

bool CImageList::CreateFromBitmap(UINT bitmapId, int cx, int grow, COLORREF mask, HINSTANCE module) {
  DeleteImageList();
  if (!module) module = AfxGetResourceHandle();
  h_ = ImageList_LoadImageW(module, MAKEINTRESOURCEW(bitmapId), cx, grow, mask, IMAGE_BITMAP,
                            LR_CREATEDIBSECTION);
  return h_ != nullptr;
}

bool CImageList::CreateFromBitmapForDpi(UINT bitmapId, int cx, int grow, COLORREF mask, UINT dpi,
                                        HINSTANCE module) {
  if (dpi == static_cast<UINT>(geom::kBaseDpi)) return CreateFromBitmap(bitmapId, cx, grow, mask, module);
  DeleteImageList();
  CBitmap bitmap;
  bitmap.Attach(afx::LoadBitmapForDpi(bitmapId, dpi, mask, module));
  const CSize size = bitmap.GetSize();
  const int width = geom::Scale(cx, static_cast<int>(dpi));
  if (!bitmap || width <= 0) return false;
  if (!Create(width, size.cy, ILC_COLOR24 | ILC_MASK, size.cx / width, grow)) return false;
  if (Add(bitmap, mask) < 0) {
    DeleteImageList();
    return false;
  }
  return true;
}

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
  DeleteImageList();
  h_ = ImageList_Create(cx, cy, flags, initial, grow);
  return h_ != nullptr;
}

int CImageList::AddFromResource(UINT bitmapId, COLORREF mask, HINSTANCE module, UINT dpi) {
  if (!h_) return -1;
  CBitmap bitmap;
  // The list copies the images; the bitmap goes at the end of the scope.
  if (dpi == static_cast<UINT>(geom::kBaseDpi)) {
    if (!bitmap.LoadBitmap(bitmapId, module)) return -1;
  } else {
    bitmap.Attach(afx::LoadBitmapForDpi(bitmapId, dpi, mask, module));
    if (!bitmap) return -1;
  }
  return Add(bitmap, mask);
}
