#include "app/diskview/InfoLayout.h"

#include <algorithm>
#include <cstdio>

namespace diskview {

std::string InfoString(int key) {
  switch (key) {
    case kInfoPartition:
      return "分区:";
    case kInfoSize:
      return "大小";
    case kInfoUsed:
      return "已用";
    case kInfoFileSize:
      return "文件大小:";
    case kInfoFileCount:
    case kInfoFolderCount:
      return "个数";
    case kInfoAllocated:
      return "已分配";
    case kInfoEfficiency:
      return "IDS_INFO_EFFICIENCY";
    case kInfoFilesWord:
      return "文件";
    case kInfoFoldersWord:
      return "文件夹";
    default:
      return {};
  }
}

InfoModel::InfoModel(const std::function<std::string(int)>& loadString) {
  static constexpr int kKeys0[] = {kInfoPartition, kInfoSize, kInfoUsed};
  static constexpr int kKeys1[] = {kInfoFileSize, kInfoFileCount, kInfoFolderCount};
  static constexpr int kKeys2[] = {kInfoSize,       kInfoAllocated,  kInfoUsed,       kInfoFileSize,
                                   kInfoEfficiency, kInfoFileCount, kInfoFolderCount};
  auto add = [&](std::vector<InfoLine>& group, int key) {
    // The label is the string plus ":", even when the string already ends in one.
    group.push_back({key, loadString(key) + ":", -1, {}});
  };
  for (int key : kKeys0) add(groups_[0], key);
  for (int key : kKeys1) add(groups_[1], key);
  for (int key : kKeys2) add(groups_[2], key);
}

bool InfoModel::SetLine(int key, const std::string& text, int value, int group) {
  for (InfoLine& line : groups_[GroupIndex(group)]) {
    if (line.key == key) {
      line.value = value;
      line.text = text;
      return true;
    }
  }
  return false;
}

Colour PercentBarColour(double fraction) {
  if (fraction < 0.65) return 0xFF9B00;
  if (fraction < 0.75) return 0xFF8000;
  if (fraction < 0.9) return 0x80FFFF;
  return 0xFF0000;
}

std::vector<GradientBand> PlanGradient(const Rect& g, Colour from, Colour to) {
  std::vector<GradientBand> bands;
  const double w = g.Width() / 10.0;
  auto channel = [](Colour c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  for (int i = 0; i < 10; ++i) {
    Rect band{g.left + static_cast<int>(i * w), g.top, g.left + static_cast<int>((i + 1) * w),
              g.bottom};
    band.right = std::min(band.right, g.right);
    Colour colour = 0;
    for (int shift : {0, 8, 16}) {
      const int a = channel(from, shift);
      const int b = channel(to, shift);
      const int v = static_cast<int>(a + i * (b - a) / 10.0);
      colour |= static_cast<Colour>(v & 0xFF) << shift;
    }
    bands.push_back({band, colour});
  }
  return bands;
}

namespace {

InfoRowPlan PlanRow(const Rect& box, const InfoLine& line,
                    const std::function<Size(const std::string&)>& measure, int dpi) {
  InfoRowPlan row;
  row.box = box;
  row.label = line.label;
  row.text = line.text;
  const int labelWidth = std::min(measure(line.label).cx + geom::Scale(4, dpi), box.Width() / 2);
  const int split = box.left + std::max(labelWidth, 0);
  row.labelRect = {box.left, box.top, split, box.bottom};
  row.valueRect = {split, box.top, box.right, box.bottom};
  if (line.value == -1) return row;

  row.percentage = true;
  row.value = line.value;
  const Rect& v = row.valueRect;
  const double fraction = line.value / 100.0;
  row.bar = {v.left, v.top, v.left + static_cast<int>(v.Width() * fraction), v.bottom};
  row.barColour = PercentBarColour(fraction);
  row.bands = PlanGradient(row.bar, kInfoGradientFrom, row.barColour);
  char caption[32];
  std::snprintf(caption, sizeof caption, "已用:%d%%", line.value);
  row.caption = caption;
  const Size extent = measure(row.caption);
  row.captionAt = {v.left + (v.Width() - extent.cx) / 2, v.top + (v.Height() - extent.cy) / 2};
  return row;
}

InfoGroupPlan PlanGroup(int group, const std::vector<InfoLine>& lines, const Rect& r,
                        const std::function<Size(const std::string&)>& measure, int dpi) {
  const auto scaled = [dpi](int n) { return geom::Scale(n, dpi); };
  InfoGroupPlan plan;
  plan.group = group;
  const int visible = static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [](const InfoLine& l) { return l.Visible(); }));
  if (visible == 0) return plan;
  Rect box{r.left + scaled(2), r.top, r.right - scaled(2), r.top + scaled(17)};
  for (const InfoLine& line : lines) {
    if (!line.Visible()) continue;
    plan.rows.push_back(PlanRow(box, line, measure, dpi));
    box = box.Offset(0, scaled(20));
  }
  // The first row sits above the frame, as the group's heading.
  plan.framed = true;
  plan.height = scaled(20) * visible + scaled(2);
  plan.frame = {r.left - scaled(2), r.top + scaled(18), r.right + scaled(2), r.top + plan.height};
  return plan;
}

}  // namespace

InfoPaintPlan PlanInfoPaint(const Rect& client, const InfoModel& model,
                            const std::function<Size(const std::string&)>& measure, int dpi) {
  InfoPaintPlan plan;
  plan.client = client;
  Rect r = client;
  for (int group : {0, 2, 1}) {
    InfoGroupPlan g = PlanGroup(group, model.Group(group), r, measure, dpi);
    if (g.height != 0) r.top += g.height + geom::Scale(3, dpi);
    plan.groups.push_back(std::move(g));
  }
  return plan;
}

}  // namespace diskview
