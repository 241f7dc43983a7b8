// Geometry and paint plan of the pie chart (CPieChartCtrl), as data: the
// control measures its texts, asks for the plan and draws it. Angles are
// whole degrees, 0 at 12 o'clock, growing clockwise.
#pragma once

#include <string>
#include <vector>

#include "geometry/Geometry.h"

namespace diskview {

using geom::Colour;
using geom::Point;
using geom::Rect;

struct PalettePair {
  Colour colour;      // slice fill (and legend box)
  Colour textColour;  // percentage text inside the slice
};

// The slice palette, chosen by slice index modulo 15.
inline constexpr int kPaletteSize = 15;
inline constexpr PalettePair kSlicePalette[kPaletteSize] = {
    {0x8000FF, 0xFFFFFF}, {0xFF0000, 0xFFFFFF}, {0x0080FF, 0x000000}, {0x555555, 0xFFFFFF},
    {0xFFFFFF, 0x000000}, {0x400080, 0x000000}, {0x00509F, 0xFFFFFF}, {0xBE5F00, 0xFFFFFF},
    {0x800080, 0xFFFFFF}, {0x00FF00, 0xFFFFFF}, {0x000080, 0xFFFFFF}, {0x00FFFF, 0xFFFFFF},
    {0x808000, 0xFFFFFF}, {0x008080, 0x000000}, {0xC0C0C0, 0x000000}};

inline constexpr Colour kPieSquareColour = 0xDD9600;

// Truncates toward zero, then adds 1 when the dropped part is at least one
// half (so halves go up, and negative values are only truncated).
int RoundHalfUp(double value);
// Any angle into 0..359.
int NormaliseAngle(int degrees);

// The disc's bounding square: the largest odd square that fits the client
// area (below a title of `titleHeight`, which takes twice its height; 0 for
// no title), placed one thirtieth of the spare room from the top-left.
Rect ComputeLayout(const Rect& client, int titleHeight);

double RimRadius(const Rect& pieRect);   // height / 2 - 1
double TextRadius(const Rect& pieRect);  // three fifths of the rim radius
// The point at `degrees` on the circle of `radius` about pieRect's centre,
// computed with pi as 3.1415926535 and rounded by RoundHalfUp.
Point AnglePoint(const Rect& pieRect, int degrees, double radius);

struct PieSliceInput {
  Colour colour = 0;
  Colour textColour = 0;
  int angle = 0;
  std::string label;  // empty: no legend row
};

struct PieWedge {
  Point from;  // the wedge runs clockwise from `from` to `to`
  Point to;
  // A line of the slice's colour from the centre to `from`, over the edge
  // the wedge starts at. The wedges alone leave that edge to the square's
  // blue when a slice is too thin to fill (or its neighbour's fill stops a
  // pixel short): the disc would show a crack from the centre to the rim.
  // A whole disc needs none. The line ends at `edgeTo`, a pixel inside the
  // rim, short of the square's outline.
  bool edge = false;
  Point edgeTo;
  // A slice of a whole turn or more fills the whole disc. When both rim
  // points coincide otherwise, the slice is either thinner than a pixel
  // (below 180 degrees: nothing is drawn, where a wedge between two equal
  // points would fill the whole disc) or short of the whole turn by less
  // than a pixel (the whole disc). A slice of no degrees draws nothing.
  bool fullDisc = false;
  bool drawn = true;
  Colour colour = 0;
};

struct PieText {
  Point at;  // top-left corner
  std::string text;
  Colour colour = 0;
};

struct PieLegendRow {
  Rect box;        // filled with the slice colour
  Rect labelRect;  // label right-aligned, vertically centred
  std::string label;
  Colour colour = 0;
};

struct PiePaintPlan {
  Rect square;  // filled with kPieSquareColour, black outline
  Point centre;  // where the wedges' edge lines start
  std::vector<PieWedge> wedges;
  std::vector<PieText> percentages;
  std::vector<PieLegendRow> legend;
  bool title = false;
  Point titleAt{1, 1};
};

// `labelHeight` is the text font's line height (legend rows are that tall).
PiePaintPlan PlanPiePaint(const Rect& client, const Rect& pieRect, int startAngle,
                          const std::vector<PieSliceInput>& slices, int labelHeight,
                          bool hasTitle);

// The slice drawn at `point` (client coordinates): an index into `angles`,
// or -1 outside the disc (past the rim) and where no slice lies. The disc is
// pieRect's circle of the rim radius; the slices run clockwise from
// `startAngle` in order, and where they pass the full turn the later one
// is on top, as drawn.
int HitTestSlice(const Point& point, const Rect& pieRect, int startAngle,
                 const std::vector<int>& angles);

// New start angle after a horizontal drag: one degree per pixel, right turns
// the disc clockwise.
inline int DragRotate(int startAngle, int fromX, int toX) { return startAngle + (toX - fromX); }

}  // namespace diskview
