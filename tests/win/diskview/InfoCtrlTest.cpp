// The info control: its rows from the string table, and what it paints,
// read back pixel by pixel against its plan.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/diskview/InfoCtrl.h"
#include "tests/win/diskview/ControlsTestSupport.h"

namespace diskview::test {
namespace {

class InfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Make());
    ASSERT_TRUE(info.Create(WS_VISIBLE, CRect(0, 0, 100, 130), &parent, 1));
  }
  afx::Window<TestParent> parent;
  afx::Window<CInfoCtrl> info;
};

std::vector<std::string> Labels(const InfoModel& model, int group) {
  std::vector<std::string> labels;
  for (const InfoLine& line : model.Group(group)) labels.push_back(line.label);
  return labels;
}

TEST(InfoRows, ComeWithTheWindowAndTheirLabelsFromTheStringTable) {
  afx::Window<TestParent> parent;
  ASSERT_TRUE(parent.Make());
  afx::Window<CInfoCtrl> info;
  EXPECT_EQ(info.Model(), nullptr);
  EXPECT_FALSE(info.SetLine(kInfoSize, L"1 byte", -1, 0));
  ASSERT_TRUE(info.Create(WS_VISIBLE, CRect(0, 0, 100, 130), &parent, 1));
  EXPECT_EQ(GetClassLongPtrW(info.m_hWnd, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
            static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
  ASSERT_NE(info.Model(), nullptr);
  const InfoModel& model = *info.Model();
  // The string and a colon, even after a colon of its own.
  EXPECT_EQ(Labels(model, 0), (std::vector<std::string>{"分区::", "大小:", "已用:"}));
  EXPECT_EQ(Labels(model, 1), (std::vector<std::string>{"文件大小::", "个数:", "个数:"}));
  EXPECT_EQ(Labels(model, 2),
            (std::vector<std::string>{"大小:", "已分配:", "已用:", "文件大小::",
                                      "IDS_INFO_EFFICIENCY:", "个数:", "个数:"}));
  EXPECT_FALSE(info.SetLine(kInfoSize, L"x", -1, 1)) << "group 1 has no size row";
  EXPECT_TRUE(info.SetLine(kInfoSize, L"2.79 Gb", -1, 7)) << "any other group is group 2";
  EXPECT_EQ(model.Group(2)[0].text, "2.79 Gb");
  // Two rows of one key: the first is set.
  EXPECT_TRUE(info.SetLine(kInfoFileCount, L"3 文件", -1, 1));
  EXPECT_EQ(model.Group(1)[1].text, "3 文件");
  EXPECT_EQ(model.Group(1)[2].text, "");
}

TEST_F(InfoTest, UnfilledItShowsOnlyItsBackgroundFrameAndSunkenEdge) {
  auto canvas = Render(info);
  SaveRender(*canvas, "info-empty");
  dravon_test::Canvas expected(100, 130);
  const CRect r(0, 0, 100, 130);
  expected.dc().FillSolidRect(r, GetSysColor(COLOR_ACTIVEBORDER));
  expected.dc().Draw3dRect(r, kInfoFrameLight, kInfoFrameDark);
  CRect edge = r;
  expected.dc().DrawEdge(edge, EDGE_SUNKEN, BF_RECT);
  int differ = 0;
  for (int y = 0; y < 130; ++y) {
    for (int x = 0; x < 100; ++x) differ += canvas->Pixel(x, y) != expected.Pixel(x, y);
  }
  EXPECT_EQ(differ, 0);
}

TEST_F(InfoTest, TheBarsColourFollowsTheShare) {
  ASSERT_TRUE(info.SetWindowPos(nullptr, 0, 0, 200, 60, SWP_NOZORDER | SWP_NOMOVE));
  struct Case {
    int value;
    COLORREF colour;
  };
  for (const Case c : {Case{0, 0xFF9B00}, Case{64, 0xFF9B00}, Case{65, 0xFF8000},
                       Case{75, 0x80FFFF}, Case{90, 0xFF0000}, Case{100, 0xFF0000}}) {
    SCOPED_TRACE(c.value);
    ASSERT_TRUE(info.SetLine(kInfoUsed, L"", c.value, 0));
    const InfoPaintPlan plan = info.PaintPlan();
    ASSERT_EQ(plan.groups[0].rows.size(), 1u);
    const InfoRowPlan& row = plan.groups[0].rows[0];
    ASSERT_TRUE(row.percentage);
    EXPECT_EQ(row.barColour, c.colour);
    EXPECT_EQ(row.caption, "已用:" + std::to_string(c.value) + "%");
    auto canvas = Render(info);
    SaveRender(*canvas, "info-bar-" + std::to_string(c.value));
    const CRect v(row.valueRect);
    // Inside the value part's sunken edge.
    const CRect inside(v.left + 2, v.top + 2, v.right - 2, v.bottom - 2);
    const CRect bar(row.bar);
    EXPECT_EQ(bar.Width(), v.Width() * c.value / 100);
    if (c.value == 0) {
      EXPECT_EQ(CountColour(*canvas, inside, kInfoGradientFrom), 0) << "no bar";
      EXPECT_GT(CountColour(*canvas, inside, 0xFFFFFF), inside.Width() * inside.Height() / 2);
    } else {
      // The last of the ten bands, a tenth short of the bar colour.
      const GradientBand& last = row.bands[9];
      CRect band(last.rect);
      band.left = std::max(band.left, inside.left);
      band.right = std::min(band.right, inside.right);
      band.top = inside.top;
      band.bottom = inside.bottom;
      EXPECT_GT(CountColour(*canvas, band, last.colour), 0);
      const CRect beyond(bar.right, inside.top, inside.right, inside.bottom);
      EXPECT_EQ(CountColour(*canvas, beyond, last.colour), 0) << "the bar ends at its share";
    }
    // The caption is written in black in the value part.
    EXPECT_GT(CountColour(*canvas, inside, 0x000000), 0);
  }
}

TEST_F(InfoTest, TextRowsAndFramedGroupsInTheOrderZeroTwoOne) {
  // A group whose only row is its first: that row and a frame from 18 to 22.
  ASSERT_TRUE(info.SetLine(kInfoPartition, L"C:\\", -1, 0));
  InfoPaintPlan plan = info.PaintPlan();
  ASSERT_TRUE(plan.groups[0].framed);
  EXPECT_EQ(plan.groups[0].frame.top, 18);
  EXPECT_EQ(plan.groups[0].frame.bottom, 22);
  auto one = Render(info);
  EXPECT_EQ(one->Pixel(plan.groups[0].frame.left + 40, 18), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(one->Pixel(plan.groups[0].frame.left + 40, 19), GetSysColor(COLOR_BTNHIGHLIGHT));

  ASSERT_TRUE(info.SetLine(kInfoPartition, L"", -1, 0));
  // What the view sets after the scan of a drive: group 2, then group 1.
  info.SetLine(kInfoSize, L"2.79 Gb", -1, 2);
  info.SetLine(kInfoUsed, L"", 66, 2);
  info.SetLine(kInfoAllocated, L"1.86 Gb", -1, 2);
  info.SetLine(kInfoFileCount, L"1204 文件", -1, 1);
  info.SetLine(kInfoFolderCount, L"87 文件夹", -1, 1);
  info.SetLine(kInfoFileSize, L"1.86 Gb", -1, 1);
  info.Refresh();
  plan = info.PaintPlan();
  ASSERT_EQ(plan.groups.size(), 3u);
  EXPECT_EQ(plan.groups[0].group, 0);
  EXPECT_EQ(plan.groups[0].height, 0);
  EXPECT_EQ(plan.groups[1].group, 2);
  EXPECT_EQ(plan.groups[2].group, 1);
  ASSERT_EQ(plan.groups[1].rows.size(), 3u);
  ASSERT_EQ(plan.groups[2].rows.size(), 3u);
  EXPECT_LT(plan.groups[1].rows[0].box.top, plan.groups[2].rows[0].box.top);

  auto canvas = Render(info);
  SaveRender(*canvas, "info-drive");
  for (const InfoGroupPlan* group : {&plan.groups[1], &plan.groups[2]}) {
    for (const InfoRowPlan& row : group->rows) {
      if (row.percentage) continue;
      SCOPED_TRACE(row.label);
      const CRect v(row.valueRect);
      const CRect inside(v.left + 2, v.top + 2, v.right - 2, v.bottom - 2);
      // Dark blue with white text, the label to its left on the background.
      EXPECT_GT(CountColour(*canvas, inside, kInfoValueBack), 0);
      EXPECT_GT(CountColour(*canvas, inside, kInfoValueText), 0);
      EXPECT_EQ(canvas->Pixel(v.left, v.top), GetSysColor(COLOR_BTNSHADOW)) << "sunken edge";
      EXPECT_GT(CountColour(*canvas, CRect(row.labelRect), 0x000000), 0) << "label text";
    }
    // The etched frame below the heading row (its sides lie just outside
    // the client area, as the rows span it whole).
    const CRect frame(group->frame);
    EXPECT_EQ(canvas->Pixel(frame.left + 40, frame.top), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas->Pixel(frame.left + 40, frame.top + 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas->Pixel(frame.left + 40, frame.bottom - 2), GetSysColor(COLOR_BTNSHADOW));
  }

  // Wider, for a person to read.
  ASSERT_TRUE(info.SetWindowPos(nullptr, 0, 0, 220, 160, SWP_NOZORDER | SWP_NOMOVE));
  SaveRender(*Render(info), "info-drive-wide");
}

}  // namespace
}  // namespace diskview::test
