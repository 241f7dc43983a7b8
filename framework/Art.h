// The art at a display scale. The build renders every bitmap of the art
// (res/art/art.txt) at 100, 125, 150 and 200 %: the 100 % rendering under
// the resource's number, the others under the name "SCALE<percent>_<number>"
// (SCALE150_133) in the same module. Icons carry images of 16 to 256
// pixels in one resource, of which the system picks the size asked for.
//
// A DPI that was rendered gets its rendering as it is; one between two
// renderings gets the next larger one brought down smoothly to its size
// (geom::ResamplePicture), so a picture is never blown up from a smaller
// one - only above 200 %, where there is nothing larger.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "framework/Gdi.h"
#include "geometry/Picture.h"
#include "platform/UniqueHandle.h"

namespace afx {

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyIcon(h); }
};
using UniqueIcon = platform::UniqueHandle<IconTraits>;

// The rendered scales, in percent.
inline constexpr int kArtScales[] = {100, 125, 150, 200};
// The rendering a DPI is drawn from: its own scale when it was rendered,
// else the next larger one (200 above it).
int ArtScaleForDpi(UINT dpi);

// How a bitmap marks the pixels the program treats as transparent, so
// that bringing it down to another size keeps them holes: no colour
// (CLR_NONE), a colour, or kMaskOfFirstPixel - the colour of the first
// pixel in memory (the bottom-left one), as the toolbar reads it.
inline constexpr COLORREF kMaskOfFirstPixel = 0xFE000000;

// Bitmap `id` of `module` (the resource module when null) for `dpi`, as a
// DIB section of 24 bits: the rendering for it, or the next larger one
// brought down to the size the DPI gives the 100 % picture. Null when the
// module has no such bitmap.
HBITMAP LoadBitmapForDpi(UINT id, UINT dpi, COLORREF mask = CLR_NONE, HINSTANCE module = nullptr);

// The pixels of a bitmap, top row first; none when it cannot be read.
// `bottomUp`, when given, tells whether its first pixel in memory is its
// bottom-left one.
std::optional<geom::Picture> PictureOfBitmap(HBITMAP bitmap, bool* bottomUp = nullptr);

// Icon `id` of `module` at `size` pixels square, the caller's to destroy.
UniqueIcon LoadIconOfSize(UINT id, int size, HINSTANCE module = nullptr);

}  // namespace afx
