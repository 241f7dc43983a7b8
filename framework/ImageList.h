// CImageList: an owned image list handle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

class CImageList {
 public:
  CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;
  ~CImageList() { DeleteImageList(); }

  // Images of width `cx` cut from bitmap resource `id`; pixels of `mask`
  // become transparent. `grow` is the number of images it can grow by.
  bool CreateFromBitmap(UINT bitmapId, int cx, int grow, COLORREF mask, HINSTANCE module = nullptr);
  // The same at `dpi`: `cx` is the 96-DPI width, the images are cut at its
  // scaled width from the bitmap's rendering for the DPI (framework/Art.h).
  bool CreateFromBitmapForDpi(UINT bitmapId, int cx, int grow, COLORREF mask, UINT dpi,
                              HINSTANCE module = nullptr);
  bool Create(int cx, int cy, UINT flags, int initial, int grow);
  int Add(HBITMAP bitmap, COLORREF mask) { return ImageList_AddMasked(h_, bitmap, mask); }
  // Adds the images of bitmap resource `id` (the list's width each), pixels
  // of `mask` transparent; returns the first new index or -1. At a `dpi`
  // other than 96, from the bitmap's rendering for it.
  int AddFromResource(UINT bitmapId, COLORREF mask, HINSTANCE module = nullptr, UINT dpi = 96);
  int GetImageCount() const { return h_ ? ImageList_GetImageCount(h_) : 0; }
  bool GetIconSize(int& cx, int& cy) const { return h_ && ImageList_GetIconSize(h_, &cx, &cy); }
  bool Draw(HDC dc, int image, POINT at, UINT style) const {
    return ImageList_Draw(h_, image, dc, at.x, at.y, style) != FALSE;
  }
  HIMAGELIST GetSafeHandle() const { return h_; }
  // Takes ownership of `list`, deleting the one held before.
  void Attach(HIMAGELIST list) {
    DeleteImageList();
    h_ = list;
  }
  // Hands the list to a new owner (for example a control that destroys it).
  HIMAGELIST Detach() { return std::exchange(h_, nullptr); }
  void DeleteImageList() {
    if (h_) ImageList_Destroy(h_);
    h_ = nullptr;
  }

 private:
  HIMAGELIST h_ = nullptr;
};
