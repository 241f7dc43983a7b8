#include "framework/Art.h"

#include <cwchar>
#include <iterator>
#include <optional>
#include <vector>

#include "framework/Module.h"
#include "geometry/Dpi.h"

namespace afx {

namespace {

// A rendering's resource name: the number itself at 100 %.
struct ArtName {
  ArtName(UINT id, int percent) {
    if (percent == 100) {
      name = MAKEINTRESOURCEW(id);
    } else {
      std::swprintf(text, sizeof text / sizeof text[0], L"SCALE%d_%u", percent, id);
      name = text;
    }
  }
  wchar_t text[32] = {};
  const wchar_t* name;
};

HBITMAP LoadRendering(HINSTANCE module, UINT id, int percent) {
  const ArtName art(id, percent);
  return static_cast<HBITMAP>(
      ::LoadImageW(module, art.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The 100 % bitmap's size, read from its header without decoding it.
std::optional<geom::Size> BaseSize(HINSTANCE module, UINT id) {
  HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  HGLOBAL mem = res ? ::LoadResource(module, res) : nullptr;
  const void* data = mem ? ::LockResource(mem) : nullptr;
  if (!data || ::SizeofResource(module, res) < sizeof(BITMAPCOREHEADER)) return std::nullopt;
  const auto* core = static_cast<const BITMAPCOREHEADER*>(data);
  if (core->bcSize == sizeof(BITMAPCOREHEADER)) return geom::Size{core->bcWidth, core->bcHeight};
  if (::SizeofResource(module, res) < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  const auto* info = static_cast<const BITMAPINFOHEADER*>(data);
  return geom::Size{info->biWidth, info->biHeight < 0 ? -info->biHeight : info->biHeight};
}

}  // namespace

std::optional<geom::Picture> PictureOfBitmap(HBITMAP bitmap, bool* bottomUp) {
  BITMAP bm{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return std::nullopt;
  const int w = bm.bmWidth;
  const int h = bm.bmHeight;
  if (bottomUp) {
    DIBSECTION dib{};
    *bottomUp = ::GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBmih.biHeight > 0;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<RGBQUAD> quads(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  HDC screen = ::GetDC(nullptr);
  const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(h), quads.data(), &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (rows != h) return std::nullopt;
  geom::Picture picture(w, h);
  for (std::size_t i = 0; i < quads.size(); ++i) {
    picture.pixels[i] = RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
  }
  return picture;
}

namespace {

// A bottom-up 24-bit DIB section of `picture`, as the renderings load.
HBITMAP BitmapOf(const geom::Picture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return bitmap;
  const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) & ~std::size_t{3};
  auto* row = static_cast<BYTE*>(bits);
  for (int y = picture.height - 1; y >= 0; --y, row += stride) {
    for (int x = 0; x < picture.width; ++x) {
      const COLORREF c = picture.At(x, y);
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
  ::GdiFlush();
  return bitmap;
}

}  // namespace

int ArtScaleForDpi(UINT dpi) {
  for (int percent : kArtScales) {
    if (percent * geom::kBaseDpi >= static_cast<int>(dpi) * 100) return percent;
  }
  return kArtScales[std::size(kArtScales) - 1];
}

HBITMAP LoadBitmapForDpi(UINT id, UINT dpi, COLORREF mask, HINSTANCE module) {
  if (!module) module = AfxGetResourceHandle();
  if (dpi == static_cast<UINT>(geom::kBaseDpi)) return LoadRendering(module, id, 100);
  const std::optional<geom::Size> base = BaseSize(module, id);
  if (!base) return nullptr;
  const geom::Size want = geom::Scale(*base, static_cast<int>(dpi));
  // The rendering for the DPI or the next larger one; a module without
  // them (or a DPI above them all) takes the largest it has.
  HBITMAP rendering = nullptr;
  const int first = ArtScaleForDpi(dpi);
  for (int percent : kArtScales) {
    if (percent >= first && (rendering = LoadRendering(module, id, percent)) != nullptr) break;
  }
  for (int i = static_cast<int>(std::size(kArtScales)) - 1; !rendering && i >= 0; --i) {
    rendering = LoadRendering(module, id, kArtScales[i]);
  }
  if (!rendering) return nullptr;
  CBitmap owned;
  owned.Attach(rendering);
  if (owned.GetSize() == CSize(want)) return owned.Detach();
  bool bottomUp = true;
  const std::optional<geom::Picture> pixels = PictureOfBitmap(owned, &bottomUp);
  if (!pixels) return nullptr;
  std::optional<geom::Colour> holes;
  if (mask == kMaskOfFirstPixel) {
    holes = pixels->At(0, bottomUp ? pixels->height - 1 : 0);
  } else if (mask != CLR_NONE) {
    holes = mask;
  }
  return BitmapOf(geom::ResamplePicture(*pixels, want.cx, want.cy, holes));
}

UniqueIcon LoadIconOfSize(UINT id, int size, HINSTANCE module) {
  if (!module) module = AfxGetResourceHandle();
  return UniqueIcon(static_cast<HICON>(
      ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

}  // namespace afx
