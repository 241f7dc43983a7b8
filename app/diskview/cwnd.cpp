#include "app/diskview/cwnd.h"

#include "app/diskview/StripLayout.h"

void CLegendStrip::Paint(CDC& dc) {
  const CRect client = GetClientRect();
  const diskview::LegendStripPlan plan =
      diskview::PlanLegendStrip(client.Width(), client.Height(), static_cast<int>(GetDpi()));
  DrawBackground(dc, plan.background);
  DrawText(dc, plan.headingAt, plan.heading);
  // In order: later boxes cover earlier ones where they overlap.
  for (const diskview::LegendBox& box : plan.boxes) {
    if (box.drawn) dc.FillSolidRect(CRect(box.box), box.colour);
    DrawText(dc, box.captionAt, box.caption);
  }
}
