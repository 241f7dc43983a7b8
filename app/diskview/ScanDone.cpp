#include "app/diskview/ScanDone.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

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

namespace {

// The node's total from its children's sizes (ChildSizes): its own files
// and every child but the file group, whose bytes are the node's own.
double TotalOf(const CMyFolder& node, const std::vector<double>& sizes) {
  double total = node.OwnSize();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (!node.GetChild(static_cast<int>(i))->IsFileGroup()) total += sizes[i];
  }
  return total;
}

std::vector<SlicePlan> SlicesOf(const CMyFolder& node, const std::vector<double>& sizes) {
  std::vector<SlicePlan> slices;
  const int count = node.CountFolders(false, false);
  const double total = TotalOf(node, sizes);
  if (count == 0) return slices;  // the full circle is "drawn" by nothing
  int sum = 0;
  int palette = 0;
  for (int i = 0; i < count; ++i) {
    palette = i % kPaletteSize;
    // Multiplying first keeps an exact half exact (241 of 720 bytes is 120.5
    // degrees, not 120.49999...), so halves really go up. A tree of empty
    // files has no shares at all: every child is 0 degrees.
    double a = total > 0 ? sizes[static_cast<std::size_t>(i)] * 360 / total : 0.0;
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

std::string TipOf(const CMyFolder& node, const std::vector<SlicePlan>& slices, std::size_t index,
                  const std::vector<double>& sizes) {
  if (index >= slices.size()) return {};
  const SlicePlan& slice = slices[index];
  const int count = node.GetChildCount();
  std::string head;
  double bytes = 0.0;
  if (slice.child >= 0 && slice.child < count) {
    const CMyFolder& child = *node.GetChild(slice.child);
    head = child.IsFileGroup() ? "（本文件夹中的文件）" : child.GetName();
    bytes = sizes[static_cast<std::size_t>(slice.child)];
  } else {
    // The remainder: every child after the last one drawn on its own.
    int first = 0;
    for (const SlicePlan& s : slices) first = std::max(first, s.child + 1);
    int folders = 0;
    for (int i = first; i < count; ++i) {
      folders += node.GetChild(i)->IsFileGroup() ? 0 : 1;
      bytes += sizes[static_cast<std::size_t>(i)];
    }
    char text[64];
    std::snprintf(text, sizeof text, "其它 %d 个文件夹", folders);
    head = text;
  }
  // A tree of empty files has no shares: its remainder is the whole disc.
  const double total = TotalOf(node, sizes);
  const double share = total > 0 ? bytes * 100.0 / total : (slice.child < 0 ? 100.0 : 0.0);
  char tail[32];
  std::snprintf(tail, sizeof tail, " · %.1f %%", share);
  return head + "\n" + FormatSize(bytes) + tail;
}

// Sorts the node once and gives its children's sizes in that order.
std::vector<double> SortedSizes(CMyFolder& node) {
  return node.IsSorted() ? node.ChildSizes() : node.SortChildrenBySize();
}

}  // namespace

std::vector<SlicePlan> PlanSlices(CMyFolder& node) { return SlicesOf(node, SortedSizes(node)); }

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

// A folder's size and counts, in one walk of its subtree.
struct TotalTexts {
  std::string size, folders, files;
};

TotalTexts TextsOf(const CMyFolder::Totals& totals) {
  return {FormatSize(totals.bytes), std::to_string(totals.folders), std::to_string(totals.files)};
}

// A chart's folder: its totals and its children's sizes in order, from one
// walk of its subtree (a million files' tree is walked on the user
// interface thread).
struct ChartFacts {
  TotalTexts texts;
  std::vector<double> sizes;
};

ChartFacts FactsOf(CMyFolder& node) {
  ChartFacts facts;
  facts.texts = TextsOf(node.GetTotals(facts.sizes));
  if (!node.IsSorted()) facts.sizes = node.SortChildrenBySize(std::move(facts.sizes));
  return facts;
}

// A folder's own rows (group 2): its size and counts.
void AddFolderLines(ScanDonePlan& plan, const TotalTexts& folder) {
  plan.lines.push_back({2, kInfoFileSize, folder.size, -1});
  plan.lines.push_back({2, kInfoFileCount, WithWord(folder.files, kInfoFilesWord), -1});
  plan.lines.push_back({2, kInfoFolderCount, WithWord(folder.folders, kInfoFoldersWord), -1});
}

// The chart of `node`, its slices' tips and its counts (group 1).
void AddChart(ScanDonePlan& plan, CMyFolder& node, const ChartFacts& facts) {
  plan.chart = true;
  const TotalTexts& texts = facts.texts;
  const std::vector<double>& sizes = facts.sizes;
  plan.slices = SlicesOf(node, sizes);
  plan.tips.reserve(plan.slices.size());
  for (std::size_t i = 0; i < plan.slices.size(); ++i) {
    plan.tips.push_back(TipOf(node, plan.slices, i, sizes));
  }
  plan.lines.push_back({1, kInfoFileCount, WithWord(texts.files, kInfoFilesWord), -1});
  plan.lines.push_back({1, kInfoFolderCount, WithWord(texts.folders, kInfoFoldersWord), -1});
  plan.lines.push_back({1, kInfoFileSize, texts.size, -1});
}

}  // namespace

ScanDonePlan PlanScanDone(const CMyFolder& root, CMyFolder* selected, const DiskSpaceQuery& query) {
  ScanDonePlan plan;
  const std::string path = root.GetColumnText(0);
  std::optional<ChartFacts> chart;
  if (selected != nullptr) chart = FactsOf(*selected);
  if (CharacterCount(path) > 3) {
    AddFolderLines(plan, chart && selected == &root ? chart->texts : TextsOf(root.GetTotals()));
  } else {
    platform::DiskSpaceHalves space;
    const bool queried = query && query(path, space);
    for (InfoLineUpdate& line : PlanDriveLines(queried, space)) plan.lines.push_back(line);
  }
  if (chart) AddChart(plan, *selected, *chart);
  return plan;
}

ScanDonePlan PlanOpenedFolder(CMyFolder& folder) {
  ScanDonePlan plan;
  const ChartFacts facts = FactsOf(folder);
  AddFolderLines(plan, facts.texts);
  AddChart(plan, folder, facts);
  return plan;
}

std::string SliceTipText(const CMyFolder& node, const std::vector<SlicePlan>& slices,
                         std::size_t index) {
  if (index >= slices.size()) return {};
  return TipOf(node, slices, index, node.ChildSizes());
}

std::string ScanProgressText(long long folders, double bytes) {
  return "正在扫描\n" + WithWord(std::to_string(folders < 0 ? 0 : folders), kInfoFoldersWord) + "\n" +
         FormatSize(bytes < 0 ? 0.0 : bytes);
}

}  // namespace diskview
