#include "app/diskview/StripLayout.h"

namespace diskview {

CaptionStripPlan PlanCaptionStrip(int width, int height, const std::string& caption, int dpi) {
  return {{0, 0, width, height}, caption, geom::Scale(Point{5, 10}, dpi)};
}

LegendStripPlan PlanLegendStrip(int width, int height, int dpi) {
  LegendStripPlan plan;
  plan.background = {0, 0, width, height};
  plan.headingAt = geom::Scale(plan.headingAt, dpi);
  const int bottom = static_cast<int>(height / 1.5);
  const int rights[5] = {width / 11, width / 5, static_cast<int>(width / 2.75), width / 2,
                         static_cast<int>(width / 1.55)};
  struct Fixed {
    int left;
    Colour colour;
    const char* caption;
    Point at;
  };
  static constexpr Fixed kFixed[5] = {{50, 0xFF0000, "文件夹(大)", {69, 15}},
                                      {170, 0x555555, "文件夹(大)", {170, 15}},
                                      {250, 0xFFFFFF, "文件夹(大)", {275, 15}},
                                      {352, 0x400080, "文件夹(小)", {380, 15}},
                                      {460, 0x00509F, "文件夹(小)", {485, 15}}};
  for (int i = 0; i < 5; ++i) {
    LegendBox& box = plan.boxes[static_cast<std::size_t>(i)];
    box.box = {geom::Scale(kFixed[i].left, dpi), geom::Scale(15, dpi), rights[i], bottom};
    box.drawn = box.box.right > box.box.left && box.box.bottom > box.box.top;
    box.colour = kFixed[i].colour;
    box.caption = kFixed[i].caption;
    box.captionAt = geom::Scale(kFixed[i].at, dpi);
  }
  return plan;
}

}  // namespace diskview
