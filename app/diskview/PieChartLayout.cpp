#include "app/diskview/PieChartLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace diskview {

int RoundHalfUp(double value) {
  int n = static_cast<int>(value);
  if (value - n >= 0.5) ++n;
  return n;
}

int NormaliseAngle(int degrees) {
  int a = degrees % 360;
  return a < 0 ? a + 360 : a;
}

Rect ComputeLayout(const Rect& client, int titleHeight) {
  Rect r = client;
  if (titleHeight > 0) r.top += 2 * titleHeight;
  int d = std::min(r.Width(), r.Height()) - 2;
  if (d % 2 != 1) d -= 1;
  const int left = r.left + (r.Width() - d) / 30;
  const int top = r.top + (r.Height() - d) / 30;
  return {left, top, left + d, top + d};
}

double RimRadius(const Rect& pieRect) { return pieRect.Height() / 2.0 - 1.0; }

double TextRadius(const Rect& pieRect) { return RimRadius(pieRect) * 3.0 / 5.0; }

Point AnglePoint(const Rect& pieRect, int degrees, double radius) {
  // The literal value of pi keeps the rim points where they have always been.
  const double a = NormaliseAngle(degrees) * 3.1415926535 / 180.0;
  const double x = (pieRect.left + pieRect.right) / 2.0 + std::sin(a) * radius;
  const double y = (pieRect.top + pieRect.bottom) / 2.0 - std::cos(a) * radius;
  return {RoundHalfUp(x), RoundHalfUp(y)};
}

PiePaintPlan PlanPiePaint(const Rect& client, const Rect& pieRect, int startAngle,
                          const std::vector<PieSliceInput>& slices, int labelHeight,
                          bool hasTitle) {
  PiePaintPlan plan;
  plan.square = pieRect;
  plan.title = hasTitle;
  const double rim = RimRadius(pieRect);
  const double textRadius = TextRadius(pieRect);
  plan.centre = AnglePoint(pieRect, 0, 0.0);
  int a = startAngle;
  Point p0 = AnglePoint(pieRect, a, rim);
  int legendRows = 0;
  for (const PieSliceInput& slice : slices) {
    a += slice.angle;
    const Point p1 = AnglePoint(pieRect, a, rim);
    const bool full = slice.angle >= 360 || (p0 == p1 && slice.angle >= 180);
    const int from = a - slice.angle;
    plan.wedges.push_back({p0, p1, !full && slice.angle > 0, AnglePoint(pieRect, from, rim - 1.0),
                           full, full || (slice.angle > 0 && p0 != p1), slice.colour});
    if (!slice.label.empty()) {
      const int top = client.top + legendRows * labelHeight;
      const Rect box{client.right - labelHeight, top, client.right, top + labelHeight};
      plan.legend.push_back(
          {box, {client.left, top, box.left - 3, box.bottom}, slice.label, slice.colour});
      ++legendRows;
    }
    if (slice.angle > 25) {
      const int middle = a - slice.angle / 2;
      char text[32];
      std::snprintf(text, sizeof text, "%.0f%%", slice.angle * 100.0 / 360.0);
      plan.percentages.push_back(
          {AnglePoint(pieRect, middle, textRadius), text, slice.textColour});
    }
    p0 = p1;
  }
  return plan;
}

int HitTestSlice(const Point& point, const Rect& pieRect, int startAngle,
                 const std::vector<int>& angles) {
  // The pixel's centre, against the disc's centre and rim.
  const double dx = point.x + 0.5 - (pieRect.left + pieRect.right) / 2.0;
  const double dy = point.y + 0.5 - (pieRect.top + pieRect.bottom) / 2.0;
  const double rim = RimRadius(pieRect);
  if (rim <= 0 || dx * dx + dy * dy > rim * rim) return -1;
  // Degrees clockwise from 12 o'clock (the centre itself counts as 12
  // o'clock), then from the first slice's start.
  double at = dx == 0 && dy == 0 ? 0.0 : std::atan2(dx, -dy) * 180.0 / 3.14159265358979323846;
  if (at < 0) at += 360.0;
  at -= NormaliseAngle(startAngle);
  if (at < 0) at += 360.0;
  int hit = -1;
  long long from = 0;
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const int angle = angles[i];
    if (angle >= 360) {
      hit = static_cast<int>(i);
    } else if (angle > 0) {
      double into = at - static_cast<double>(from % 360);
      if (into < 0) into += 360.0;
      if (into < angle) hit = static_cast<int>(i);
    }
    from += angle > 0 ? angle : 0;
  }
  return hit;
}

}  // namespace diskview
