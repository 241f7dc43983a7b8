// CTrueColorToolBar: the frame's toolbar with its button images cut from a
// 24-bit bitmap, for the normal, hot and disabled states, rendered for the
// bar's DPI (again at each change of scale). The image lists belong to this
// object; the control only draws from them.
#pragma once

#include <windows.h>

#include "framework/ImageList.h"
#include "framework/ToolBar.h"

class CTrueColorToolBar : public CToolBar {
 public:
  // Bitmap identifiers of 0 mean "none" for the hot and disabled images.
  // `buttonWidth` is an image's width at 96 DPI.
  bool LoadButtonImages(int buttonWidth, UINT normal, UINT hot, UINT disabled);
  HIMAGELIST ImageList(int which) const;  // 0 normal, 1 hot, 2 disabled

 protected:
  void OnDpiChanged(UINT dpi) override;

 private:
  bool SetImages(UINT message, UINT bitmapId, int buttonWidth, CImageList& list);

  int buttonWidth_ = 0;
  UINT ids_[3] = {};
  CImageList normal_;
  CImageList hot_;
  CImageList disabled_;
};
