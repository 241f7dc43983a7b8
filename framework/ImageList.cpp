#include "framework/ImageList.h"

#include "framework/Gdi.h"
#include "framework/Module.h"

bool CImageList::CreateFromBitmap(UINT bitmapId, int cx, int grow, COLORREF mask, HINSTANCE module) {
  DeleteImageList();
  if (!module) module = AfxGetResourceHandle();
  h_ = ImageList_LoadImageW(module, MAKEINTRESOURCEW(bitmapId), cx, grow, mask, IMAGE_BITMAP,
                            LR_CREATEDIBSECTION);
  return h_ != nullptr;
}

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
  DeleteImageList();
  h_ = ImageList_Create(cx, cy, flags, initial, grow);
  return h_ != nullptr;
}

int CImageList::AddFromResource(UINT bitmapId, COLORREF mask, HINSTANCE module) {
  if (!h_) return -1;
  CBitmap bitmap;
  // The list copies the images; the bitmap goes at the end of the scope.
  if (!bitmap.LoadBitmap(bitmapId, module)) return -1;
  return Add(bitmap, mask);
}
