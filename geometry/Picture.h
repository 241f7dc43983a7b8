// A picture as plain pixels, and its resampling to another size: how a
// rendering of the art made for a larger scale is brought down to a DPI
// between the rendered ones (framework/Art.h).
#pragma once

#include <optional>
#include <vector>

#include "geometry/Geometry.h"

namespace geom {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Colour> pixels;  // rows top first, 0x00BBGGRR

  Picture() = default;
  Picture(int w, int h, Colour fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w > 0 && h > 0 ? w * h : 0), fill) {}
  Colour At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  Colour& At(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// `from` at `width` x `height`: each new pixel the average of the old ones
// it covers, weighted by how much of each it covers (a smooth filter that
// keeps every part of the picture; no pixel is dropped or repeated).
// With a mask colour, pixels of that colour are holes, as the program
// draws them: a new pixel less than half covered by the rest is a hole
// too, and the others average only what is not a hole, so the picture's
// colours never run into the mask colour. An empty size gives an empty
// picture.
Picture ResamplePicture(const Picture& from, int width, int height,
                        std::optional<Colour> mask = std::nullopt);

}  // namespace geom
