#include "app/diskview/ScanDone.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
    slices.push_back({palette, n, i});
    sum += n;
  }
  if (sum < 360) slices.push_back({palette, 360 - sum, -1});
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

namespace {

// A folder's own rows (group 2): its size and counts.
void AddFolderLines(ScanDonePlan& plan, const CMyFolder& folder) {
  plan.lines.push_back({2, kInfoFileSize, folder.GetColumnText(1), -1});
  plan.lines.push_back({2, kInfoFileCount, WithWord(folder.GetColumnText(3), kInfoFilesWord), -1});
  plan.lines.push_back(
      {2, kInfoFolderCount, WithWord(folder.GetColumnText(2), kInfoFoldersWord), -1});
}

// The chart of `node` and its counts (group 1).
void AddChart(ScanDonePlan& plan, CMyFolder& node) {
  plan.chart = true;
  plan.slices = PlanSlices(node);
  plan.lines.push_back({1, kInfoFileCount, WithWord(node.GetColumnText(3), kInfoFilesWord), -1});
  plan.lines.push_back(
      {1, kInfoFolderCount, WithWord(node.GetColumnText(2), kInfoFoldersWord), -1});
  plan.lines.push_back({1, kInfoFileSize, node.GetColumnText(1), -1});
}

}  // namespace

ScanDonePlan PlanScanDone(const CMyFolder& root, CMyFolder* selected, const DiskSpaceQuery& query) {
  ScanDonePlan plan;
  const std::string path = root.GetColumnText(0);
  if (CharacterCount(path) > 3) {
    AddFolderLines(plan, root);
  } else {
    platform::DiskSpaceHalves space;
    const bool queried = query && query(path, space);
    for (InfoLineUpdate& line : PlanDriveLines(queried, space)) plan.lines.push_back(line);
  }
  if (selected != nullptr) AddChart(plan, *selected);
  return plan;
}

ScanDonePlan PlanOpenedFolder(CMyFolder& folder) {
  ScanDonePlan plan;
  AddFolderLines(plan, folder);
  AddChart(plan, folder);
  return plan;
}

std::string SliceTipText(const CMyFolder& node, const std::vector<SlicePlan>& slices,
                         std::size_t index) {
  if (index >= slices.size()) return {};
  const SlicePlan& slice = slices[index];
  const int count = node.GetChildCount();
  std::string head;
  double bytes = 0.0;
  if (slice.child >= 0 && slice.child < count) {
    const CMyFolder& child = *node.GetChild(slice.child);
    head = child.IsFileGroup() ? "（本文件夹中的文件）" : child.GetName();
    bytes = child.GetSize(true);
  } else {
    // The remainder: every child after the last one drawn on its own.
    int first = 0;
    for (const SlicePlan& s : slices) first = std::max(first, s.child + 1);
    int folders = 0;
    for (int i = first; i < count; ++i) {
      const CMyFolder& child = *node.GetChild(i);
      folders += child.IsFileGroup() ? 0 : 1;
      bytes += child.GetSize(true);
    }
    char text[64];
    std::snprintf(text, sizeof text, "其它 %d 个文件夹", folders);
    head = text;
  }
  // A tree of empty files has no shares: its remainder is the whole disc.
  const double total = node.GetSize(true);
  const double share = total > 0 ? bytes * 100.0 / total : (slice.child < 0 ? 100.0 : 0.0);
  char tail[32];
  std::snprintf(tail, sizeof tail, " · %.1f %%", share);
  return head + "\n" + FormatSize(bytes) + tail;
}

std::string ScanProgressText(long long folders, double bytes) {
  return "正在扫描\n" + WithWord(std::to_string(folders < 0 ? 0 : folders), kInfoFoldersWord) + "\n" +
         FormatSize(bytes < 0 ? 0.0 : bytes);
}

}  // namespace diskview
