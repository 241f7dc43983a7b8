// A memory DC with a bitmap of its own, compatible with the screen, for
// drawing tests that read the pixels back.
#pragma once

#include <windows.h>

#include "framework/Gdi.h"

namespace dravon_test {

class Canvas {
 public:
  Canvas(int cx, int cy) : screen_(GetDC(nullptr)), dc_(screen_) {
    bitmap_.CreateCompatibleBitmap(screen_, cx, cy);
    ReleaseDC(nullptr, screen_);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() { SelectObject(dc_, old_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  CDC& dc() { return dc_; }
  operator HDC() const { return dc_.GetSafeHdc(); }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_.GetSafeHdc(), x, y); }

 private:
  HDC screen_;
  CMemoryDC dc_;
  CBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace dravon_test
