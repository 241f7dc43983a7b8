#include "app/diskview/ScanDone.h"

#include <algorithm>
#include <cmath>

#include "app/diskview/InfoLayout.h"
#include "app/diskview/PieChartLayout.h"

namespace diskview {
namespace {

// Characters, not bytes: a short path of wide characters is still short.
std::size_t CharacterCount(const std::string& utf8) {
  std::size_t count = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string WithWord(const std::string& number, int wordKey) {
  return number + " " + InfoString(wordKey);
}

}  // namespace

std::vector<SlicePlan> PlanSlices(CMyFolder& node) {
  if (!node.IsSorted()) node.SortChildrenBySize();
  std::vector<SlicePlan> slices;
  const int count = node.CountFolders(false, false);
  const double total = node.GetSize(true);
  if (count == 0) return slices;  // the full circle is "drawn" by nothing
  int sum = 0;
  int palette = 0;
  for (int i = 0; i < count; ++i) {
    palette = i % kPaletteSize;
    // Multiplying first keeps an exact half exact (241 of 720 bytes is 120.5
    // degrees, not 120.49999...), so halves really go up. A tree of empty
    // files has no shares at all: every child is 0 degrees.
    double a = total > 0 ? node.GetChild(i)->GetSize(true) * 360 / total : 0.0;
    // Only corrupt sizes give a share that is no number or lies outside the
    // circle: it counts as no share, or as the whole circle.
    a = std::isnan(a) ? 0.0 : std::clamp(a, 0.0, 360.0);
    const int n = RoundHalfUp(a);
    if (n < 11) break;
    slices.push_back({palette, n});
    sum += n;
  }
  if (sum < 360) slices.push_back({palette, 360 - sum});
  return slices;
}

std::vector<InfoLineUpdate> PlanDriveLines(bool queried, const platform::DiskSpaceHalves& space) {
  std::vector<InfoLineUpdate> lines;
  if (!queried) {
    lines.push_back({2, kInfoAllocated, {}, -1});
    return lines;
  }
  const double total = space.totalHigh * 4294967296.0 + space.totalLow;
  const double free = space.freeHigh * 4294967296.0 + space.freeLow;
  const double used = total - free;
  // An empty or unreadable volume reports a size of 0: nothing is used. A
  // free count above the size (a driver's error) is not a negative share.
  const int percent =
      total > 0 ? static_cast<int>(std::clamp(used / total * 100, 0.0, 100.0)) : 0;
  lines.push_back({2, kInfoSize, FormatSize(total), -1});
  lines.push_back({2, kInfoUsed, {}, percent});
  lines.push_back({2, kInfoAllocated, FormatSize(used), -1});
  return lines;
}

ScanDonePlan PlanScanDone(const CMyFolder& root, CMyFolder* selected, const DiskSpaceQuery& query) {
  ScanDonePlan plan;
  const std::string path = root.GetColumnText(0);
  if (CharacterCount(path) > 3) {
    plan.lines.push_back({2, kInfoFileSize, root.GetColumnText(1), -1});
    plan.lines.push_back({2, kInfoFileCount, WithWord(root.GetColumnText(3), kInfoFilesWord), -1});
    plan.lines.push_back(
        {2, kInfoFolderCount, WithWord(root.GetColumnText(2), kInfoFoldersWord), -1});
  } else {
    platform::DiskSpaceHalves space;
    const bool queried = query && query(path, space);
    for (InfoLineUpdate& line : PlanDriveLines(queried, space)) plan.lines.push_back(line);
  }
  if (selected == nullptr) return plan;

  plan.chart = true;
  plan.slices = PlanSlices(*selected);
  plan.lines.push_back(
      {1, kInfoFileCount, WithWord(selected->GetColumnText(3), kInfoFilesWord), -1});
  plan.lines.push_back(
      {1, kInfoFolderCount, WithWord(selected->GetColumnText(2), kInfoFoldersWord), -1});
  plan.lines.push_back({1, kInfoFileSize, selected->GetColumnText(1), -1});
  return plan;
}

std::string ScanProgressText(long long folders, double bytes) {
  return "正在扫描\n" + WithWord(std::to_string(folders < 0 ? 0 : folders), kInfoFoldersWord) + "\n" +
         FormatSize(bytes < 0 ? 0.0 : bytes);
}

}  // namespace diskview
