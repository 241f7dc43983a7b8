#include <gtest/gtest.h>

#include "app/diskview/InfoLayout.h"
#include "app/diskview/PieChartLayout.h"
#include "app/diskview/StripLayout.h"

namespace diskview {
namespace {

TEST(PieLayout, OddSquareNearTheTopLeft) {
  EXPECT_EQ(ComputeLayout({0, 0, 200, 120}, 0), (Rect{2, 0, 119, 117}));
  // The pie charts of the overview: 98 x 95 gives d = 93.
  EXPECT_EQ(ComputeLayout({0, 0, 98, 95}, 0), (Rect{0, 0, 93, 93}));
  // A title takes twice its height.
  EXPECT_EQ(ComputeLayout({0, 0, 200, 150}, 15), (Rect{2, 30, 119, 147}));
  // Too small for a disc: an empty or inverted square, no crash.
  EXPECT_TRUE(ComputeLayout({0, 0, 2, 2}, 0).IsEmpty());
}

TEST(PieLayout, RimPointsUseTheLiteralPiAndHalfUpRounding) {
  const Rect pie{2, 0, 119, 117};
  const double rim = RimRadius(pie);
  EXPECT_DOUBLE_EQ(rim, 57.5);
  EXPECT_EQ(AnglePoint(pie, 0, rim), (Point{61, 1}));
  EXPECT_EQ(AnglePoint(pie, 90, rim), (Point{118, 58}));
  EXPECT_EQ(AnglePoint(pie, 180, rim), (Point{61, 116}));
  EXPECT_EQ(AnglePoint(pie, 270, rim), (Point{3, 59}));  // y 58.5000000001 goes up
  EXPECT_EQ(AnglePoint(pie, 45, rim), (Point{101, 18}));
  EXPECT_EQ(AnglePoint(pie, -270, rim), AnglePoint(pie, 90, rim));
  EXPECT_EQ(AnglePoint(pie, 720 + 45, rim), AnglePoint(pie, 45, rim));
  EXPECT_EQ(RoundHalfUp(2.5), 3);
  EXPECT_EQ(RoundHalfUp(2.4999), 2);
  EXPECT_EQ(RoundHalfUp(-2.5), -2);  // truncation toward zero, then +1 only upwards
}

TEST(PiePaint, FullCircleSliceAndPercentages) {
  const Rect client{0, 0, 200, 120};
  const Rect pie = ComputeLayout(client, 0);
  auto plan = PlanPiePaint(client, pie, 0, {{0x8000FF, 0xFFFFFF, 360, ""}}, 13, false);
  EXPECT_EQ(plan.square, pie);
  ASSERT_EQ(plan.wedges.size(), 1u);
  EXPECT_TRUE(plan.wedges[0].fullDisc);
  ASSERT_EQ(plan.percentages.size(), 1u);
  EXPECT_EQ(plan.percentages[0].text, "100%");
  EXPECT_EQ(plan.percentages[0].at, (Point{61, 93}));  // 3/5 radius below the centre
  EXPECT_EQ(plan.percentages[0].colour, 0xFFFFFFu);
  EXPECT_TRUE(plan.legend.empty());

  auto small = PlanPiePaint(client, pie, 0, {{1, 2, 25, ""}, {3, 4, 26, ""}, {5, 6, 309, ""}}, 13,
                            false);
  ASSERT_EQ(small.percentages.size(), 2u);  // 25 degrees shows none
  EXPECT_EQ(small.percentages[0].text, "7%");
  EXPECT_EQ(small.percentages[1].text, "86%");
  EXPECT_FALSE(small.wedges[0].fullDisc);
  EXPECT_EQ(small.wedges[1].from, small.wedges[0].to);
  EXPECT_EQ(small.wedges[2].to, small.wedges[0].from);  // 360 in total
}

TEST(PiePaint, OnlyAWholeTurnFillsTheWholeDisc) {
  const Rect client{0, 0, 98, 95};
  const Rect pie = ComputeLayout(client, 0);
  // One degree on a disc of this size moves the rim point by less than a
  // pixel near 3 o'clock: both points coincide, yet the slice is no disc.
  ASSERT_EQ(AnglePoint(pie, 89, RimRadius(pie)), AnglePoint(pie, 90, RimRadius(pie)));
  auto plan = PlanPiePaint(client, pie, 90,
                           {{1, 0, 359, ""}, {2, 0, 1, ""}, {3, 0, 0, ""}, {4, 0, 720, ""}}, 13, false);
  ASSERT_EQ(plan.wedges.size(), 4u);
  EXPECT_TRUE(plan.wedges[0].drawn) << "short of the whole turn by less than a pixel";
  EXPECT_TRUE(plan.wedges[0].fullDisc);
  EXPECT_FALSE(plan.wedges[1].drawn);
  EXPECT_FALSE(plan.wedges[1].fullDisc);
  EXPECT_FALSE(plan.wedges[2].drawn);
  EXPECT_TRUE(plan.wedges[3].drawn);
  EXPECT_TRUE(plan.wedges[3].fullDisc);
}

TEST(PiePaint, QuarterFromTwelveOClockAndRotation) {
  const Rect client{0, 0, 200, 120};
  const Rect pie = ComputeLayout(client, 0);
  auto plan = PlanPiePaint(client, pie, 0, {{1, 2, 90, ""}}, 13, false);
  EXPECT_EQ(plan.wedges[0].from, (Point{61, 1}));
  EXPECT_EQ(plan.wedges[0].to, (Point{118, 58}));
  // Thirty pixels to the right turn the disc thirty degrees clockwise.
  const int turned = DragRotate(0, 10, 40);
  auto rotated = PlanPiePaint(client, pie, turned, {{1, 2, 90, ""}}, 13, false);
  EXPECT_EQ(rotated.wedges[0].from, AnglePoint(pie, 30, RimRadius(pie)));
  EXPECT_EQ(DragRotate(turned, 40, 10), 0);
}

TEST(PiePaint, LegendRowsStackAtTheTopRight) {
  const Rect client{0, 0, 200, 120};
  auto plan = PlanPiePaint(client, ComputeLayout(client, 0), 0,
                           {{7, 0, 100, "Big"}, {8, 0, 100, ""}, {9, 0, 160, "Rest"}}, 13, false);
  ASSERT_EQ(plan.legend.size(), 2u);
  EXPECT_EQ(plan.legend[0].box, (Rect{187, 0, 200, 13}));
  EXPECT_EQ(plan.legend[0].labelRect, (Rect{0, 0, 184, 13}));
  EXPECT_EQ(plan.legend[0].colour, 7u);
  EXPECT_EQ(plan.legend[1].box, (Rect{187, 13, 200, 26}));
  EXPECT_EQ(plan.legend[1].label, "Rest");
}

Size FixedMeasure(const std::string&) { return {20, 13}; }

TEST(InfoModel, RowsAndSetLine) {
  InfoModel model;
  ASSERT_EQ(model.Group(0).size(), 3u);
  ASSERT_EQ(model.Group(1).size(), 3u);
  ASSERT_EQ(model.Group(2).size(), 7u);
  EXPECT_EQ(model.Group(0)[0].label, "分区::");  // the string's own colon and one more
  EXPECT_EQ(model.Group(2)[1].label, "已分配:");
  EXPECT_FALSE(model.SetLine(kInfoSize, "x", -1, 1));  // group 1 has no such row
  for (const InfoLine& line : model.Group(1)) EXPECT_FALSE(line.Visible());
  EXPECT_TRUE(model.SetLine(kInfoSize, "2.79 Gb", -1, 7));  // any other group is group 2
  EXPECT_EQ(model.Group(2)[0].text, "2.79 Gb");
  EXPECT_TRUE(model.SetLine(kInfoUsed, "", 0, 2));
  EXPECT_TRUE(model.Group(2)[2].Visible());  // a percentage of 0 shows
}

TEST(InfoPaint, GroupsStackInOrderZeroTwoOne) {
  InfoModel model;
  auto empty = PlanInfoPaint({0, 0, 100, 130}, model, FixedMeasure);
  for (const auto& g : empty.groups) EXPECT_TRUE(g.rows.empty());

  model.SetLine(kInfoPartition, "C:", -1, 0);
  model.SetLine(kInfoFileSize, "1.00 Kb", -1, 1);
  model.SetLine(kInfoFileCount, "3 文件", -1, 1);
  model.SetLine(kInfoSize, "2.79 Gb", -1, 2);
  auto plan = PlanInfoPaint({0, 0, 100, 130}, model, FixedMeasure);
  ASSERT_EQ(plan.groups.size(), 3u);
  EXPECT_EQ(plan.groups[0].group, 0);
  EXPECT_EQ(plan.groups[1].group, 2);
  EXPECT_EQ(plan.groups[2].group, 1);
  // One visible row: the heading above a frame from top + 18 to top + 22.
  EXPECT_EQ(plan.groups[0].rows[0].box, (Rect{2, 0, 98, 17}));
  EXPECT_EQ(plan.groups[0].frame, (Rect{-2, 18, 102, 22}));
  EXPECT_EQ(plan.groups[0].height, 22);
  EXPECT_EQ(plan.groups[1].rows[0].box, (Rect{2, 25, 98, 42}));
  EXPECT_EQ(plan.groups[2].rows[0].box, (Rect{2, 50, 98, 67}));
  EXPECT_EQ(plan.groups[2].rows[1].box, (Rect{2, 70, 98, 87}));
  EXPECT_EQ(plan.groups[2].frame, (Rect{-2, 68, 102, 92}));
  // Label and value both get room.
  const InfoRowPlan& row = plan.groups[2].rows[0];
  EXPECT_FALSE(row.percentage);
  EXPECT_EQ(row.labelRect, (Rect{2, 50, 26, 67}));
  EXPECT_EQ(row.valueRect, (Rect{26, 50, 98, 67}));
  EXPECT_EQ(row.text, "1.00 Kb");
}

TEST(InfoPaint, AtAnotherScaleRowsGapsAndFramesAreScaled) {
  InfoModel model;
  model.SetLine(kInfoPartition, "C:", -1, 0);
  model.SetLine(kInfoFileSize, "1.00 Kb", -1, 1);
  model.SetLine(kInfoFileCount, "3 文件", -1, 1);
  model.SetLine(kInfoSize, "2.79 Gb", -1, 2);
  const Rect client{0, 0, 100, 130};
  const auto at96 = PlanInfoPaint(client, model, FixedMeasure);
  for (int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    const auto plan = PlanInfoPaint(geom::Scale(client, dpi), model, FixedMeasure, dpi);
    ASSERT_EQ(plan.groups.size(), 3u);
    for (std::size_t g = 0; g < 3; ++g) {
      ASSERT_EQ(plan.groups[g].rows.size(), at96.groups[g].rows.size());
      for (std::size_t r = 0; r < plan.groups[g].rows.size(); ++r) {
        const Rect box = plan.groups[g].rows[r].box;
        const Rect box96 = at96.groups[g].rows[r].box;
        // Every edge within a pixel of the 96-DPI one scaled (sums of
        // rounded steps), each row of the scaled height.
        EXPECT_NEAR(box.top, geom::Scale(box96.top, dpi), 1) << g << r;
        EXPECT_EQ(box.left, geom::Scale(box96.left, dpi));
        EXPECT_EQ(box.Height(), geom::Scale(17, dpi));
      }
      EXPECT_NEAR(plan.groups[g].height, geom::Scale(at96.groups[g].height, dpi), 1);
    }
  }
}

TEST(InfoPaint, LongLabelsLeaveHalfTheRowToTheValue) {
  InfoModel model;
  model.SetLine(kInfoFileSize, "976.56 Kb", -1, 1);
  auto plan = PlanInfoPaint({0, 0, 100, 130}, model,
                            [](const std::string& s) { return Size{static_cast<int>(s.size()) * 9, 13}; });
  EXPECT_EQ(plan.groups[2].rows[0].valueRect, (Rect{50, 0, 98, 17}));
}

InfoRowPlan PercentRow(int value) {
  InfoModel model;
  model.SetLine(kInfoUsed, "", value, 2);
  return PlanInfoPaint({0, 0, 100, 130}, model, FixedMeasure).groups[1].rows[0];
}

TEST(InfoPaint, PercentageBarColoursAndWidths) {
  const InfoRowPlan r64 = PercentRow(64);
  EXPECT_TRUE(r64.percentage);
  EXPECT_EQ(r64.valueRect, (Rect{26, 0, 98, 17}));
  EXPECT_EQ(r64.bar, (Rect{26, 0, 26 + 46, 17}));  // 72 * 0.64 = 46.08
  EXPECT_EQ(r64.barColour, 0xFF9B00u);
  EXPECT_EQ(r64.caption, "已用:64%");
  EXPECT_EQ(r64.captionAt, (Point{26 + (72 - 20) / 2, (17 - 13) / 2}));
  EXPECT_EQ(PercentRow(65).barColour, 0xFF8000u);
  EXPECT_EQ(PercentRow(74).barColour, 0xFF8000u);
  EXPECT_EQ(PercentRow(75).barColour, 0x80FFFFu);
  EXPECT_EQ(PercentRow(89).barColour, 0x80FFFFu);
  EXPECT_EQ(PercentRow(90).barColour, 0xFF0000u);
  EXPECT_EQ(PercentRow(100).bar, (Rect{26, 0, 98, 17}));
  const InfoRowPlan r0 = PercentRow(0);
  EXPECT_TRUE(r0.bar.IsEmpty());
  EXPECT_EQ(r0.caption, "已用:0%");
}

TEST(InfoPaint, GradientTenBandsOneTenthShort) {
  auto bands = PlanGradient({26, 0, 98, 17}, 0xFAFAFA, 0xFF0000);
  ASSERT_EQ(bands.size(), 10u);
  EXPECT_EQ(bands[0].rect, (Rect{26, 0, 33, 17}));
  EXPECT_EQ(bands[0].colour, 0xFAFAFAu);
  EXPECT_EQ(bands[1].rect, (Rect{33, 0, 40, 17}));  // 14.4 truncated
  EXPECT_EQ(bands[1].colour, 0xFAE1E1u);             // 250 - 25 = 225, blue 250.5 -> 250
  EXPECT_EQ(bands[9].rect, (Rect{90, 0, 98, 17}));
  EXPECT_EQ(bands[9].colour, 0xFE1919u);
}

TEST(StripPaint, LegendAtWidth1000) {
  auto plan = PlanLegendStrip(1000, 40);
  const Rect expected[5] = {
      {50, 15, 90, 26}, {170, 15, 200, 26}, {250, 15, 363, 26}, {352, 15, 500, 26}, {460, 15, 645, 26}};
  const Colour colours[5] = {0xFF0000, 0x555555, 0xFFFFFF, 0x400080, 0x00509F};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(plan.boxes[i].box, expected[i]) << i;
    EXPECT_TRUE(plan.boxes[i].drawn) << i;
    EXPECT_EQ(plan.boxes[i].colour, colours[i]);
  }
  EXPECT_EQ(plan.boxes[0].captionAt, (Point{69, 15}));
  EXPECT_EQ(plan.boxes[3].caption, "文件夹(小)");
  EXPECT_EQ(plan.heading, "容量:");
  EXPECT_EQ(plan.headingAt, (Point{5, 15}));
}

TEST(StripPaint, NarrowLegendDrawsOnlyBoxesOfPositiveWidth) {
  auto plan = PlanLegendStrip(585, 50);
  EXPECT_EQ(plan.boxes[0].box, (Rect{50, 15, 53, 33}));
  EXPECT_TRUE(plan.boxes[0].drawn);
  for (int i = 1; i < 5; ++i) {
    EXPECT_LT(plan.boxes[i].box.right, plan.boxes[i].box.left) << i;
    EXPECT_FALSE(plan.boxes[i].drawn) << i;
    EXPECT_FALSE(plan.boxes[i].caption.empty());  // captions are written regardless
  }
}

}  // namespace
}  // namespace diskview
