#include "geometry/Picture.h"

#include <algorithm>
#include <cmath>

namespace geom {

namespace {

// How much of each old pixel along one axis a new pixel covers.
struct Span {
  int first = 0;
  std::vector<double> weights;  // from `first` on
};

std::vector<Span> Spans(int from, int to) {
  std::vector<Span> spans(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * step;
    const double end = std::min((i + 1) * step, static_cast<double>(from));
    Span& s = spans[static_cast<std::size_t>(i)];
    s.first = std::min(static_cast<int>(begin), from - 1);
    for (int k = s.first; k < from && k < end; ++k) {
      const double w = std::min(end, k + 1.0) - std::max(begin, static_cast<double>(k));
      if (w > 0) s.weights.push_back(w);
    }
  }
  return spans;
}

int Channel(Colour c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

}  // namespace

Picture ResamplePicture(const Picture& from, int width, int height, std::optional<Colour> mask) {
  if (width <= 0 || height <= 0 || from.width <= 0 || from.height <= 0) return Picture();
  Picture to(width, height);
  const std::vector<Span> columns = Spans(from.width, width);
  const std::vector<Span> rows = Spans(from.height, height);
  for (int y = 0; y < height; ++y) {
    const Span& row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      const Span& column = columns[static_cast<std::size_t>(x)];
      double sum[3] = {0, 0, 0};
      double covered = 0;
      double area = 0;
      for (std::size_t j = 0; j < row.weights.size(); ++j) {
        for (std::size_t i = 0; i < column.weights.size(); ++i) {
          const double w = row.weights[j] * column.weights[i];
          const Colour c = from.At(column.first + static_cast<int>(i), row.first + static_cast<int>(j));
          area += w;
          if (mask && c == *mask) continue;
          covered += w;
          sum[0] += w * Channel(c, 0);
          sum[1] += w * Channel(c, 8);
          sum[2] += w * Channel(c, 16);
        }
      }
      if (mask && covered < area / 2) {
        to.At(x, y) = *mask;
        continue;
      }
      Colour c = 0;
      for (int k = 0; k < 3; ++k) {
        c |= static_cast<Colour>(std::clamp(static_cast<int>(std::lround(sum[k] / covered)), 0, 255))
             << (8 * k);
      }
      // An average that lands on the mask colour would read as a hole.
      if (mask && c == *mask) c ^= 0x000001;
      to.At(x, y) = c;
    }
  }
  return to;
}

}  // namespace geom
