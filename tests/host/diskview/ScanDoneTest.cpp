#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/diskview/InfoLayout.h"
#include "app/diskview/ScanDone.h"

namespace diskview {
namespace {

// A finished node whose children have the given sizes (in bytes).
std::unique_ptr<CMyFolder> NodeWithChildren(const std::vector<double>& sizes) {
  auto node = std::make_unique<CMyFolder>();
  for (double s : sizes) {
    // One file of that size, with its file group, as a scan leaves it.
    auto child = std::make_unique<CMyFolder>();
    child->SetOwnFiles(1, s);
    auto group = std::make_unique<CMyFolder>();
    group->SetOwnFiles(1, s);
    group->SetKind(CMyFolder::kKindFileGroup);
    child->AddChild(std::move(group));
    child->SetKind(0);
    node->AddChild(std::move(child));
  }
  node->SetKind(0);
  return node;
}

std::vector<std::pair<int, int>> Pairs(const std::vector<SlicePlan>& slices) {
  std::vector<std::pair<int, int>> out;
  for (const SlicePlan& s : slices) out.emplace_back(s.palette, s.angle);
  return out;
}

using P = std::vector<std::pair<int, int>>;

TEST(PlanSlices, RoundingAndTheRemainderSlice) {
  // Shares of 120.4, 120.4 and 119.2 degrees.
  auto a = NodeWithChildren({1204, 1204, 1192});
  EXPECT_EQ(Pairs(PlanSlices(*a)), (P{{0, 120}, {1, 120}, {2, 119}, {2, 1}}));
  // 120.5, 120.5, 119: halves go up, the sum is 361, no remainder.
  auto b = NodeWithChildren({1190, 1205, 1205});
  EXPECT_EQ(Pairs(PlanSlices(*b)), (P{{0, 121}, {1, 121}, {2, 119}}));
  EXPECT_TRUE(b->IsSorted());
}

TEST(PlanSlices, PaletteWrapsAfterFifteen) {
  auto node = NodeWithChildren(std::vector<double>(20, 1000.0));
  auto slices = PlanSlices(*node);
  ASSERT_EQ(slices.size(), 20u);  // 20 x 18 degrees: exactly 360, no remainder
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(slices[i].palette, i % 15);
    EXPECT_EQ(slices[i].angle, 18);
  }
}

TEST(PlanSlices, SmallChildrenGoIntoTheRemainder) {
  // Largest child under 11 degrees: one full circle in colour 0.
  auto tiny = NodeWithChildren(std::vector<double>(40, 1.0));  // 9 degrees each
  EXPECT_EQ(Pairs(PlanSlices(*tiny)), (P{{0, 360}}));
  // Two large children, then small ones: the remainder takes the colour of
  // the child where the loop stopped.
  auto mixed = NodeWithChildren({10, 500, 480, 10});
  EXPECT_EQ(Pairs(PlanSlices(*mixed)), (P{{0, 180}, {1, 173}, {2, 7}}));
  // All children empty: no shares, the remainder is the full circle.
  auto zero = NodeWithChildren({0, 0, 0});
  EXPECT_EQ(Pairs(PlanSlices(*zero)), (P{{0, 360}}));
  // No children: nothing at all.
  auto none = NodeWithChildren({});
  EXPECT_TRUE(PlanSlices(*none).empty());
}

TEST(PlanSlices, SortsOnceAndCountsTheFileGroup) {
  auto node = NodeWithChildren({100, 300});
  auto group = std::make_unique<CMyFolder>();
  group->SetOwnFiles(2, 600);
  group->SetKind(CMyFolder::kKindFileGroup);
  node->AddFile(300);
  node->AddFile(300);
  node->AddChild(std::move(group));
  // Total 1000: group 216, 300 -> 108, 100 -> 36.
  EXPECT_EQ(Pairs(PlanSlices(*node)), (P{{0, 216}, {1, 108}, {2, 36}}));
  EXPECT_TRUE(node->GetChild(0)->IsFileGroup());
}

using Q = platform::DiskSpaceHalves;

TEST(PlanDriveLines, ThreeGigabyteDrive) {
  Q space{1000000000u, 0, 3000000000u, 0};
  auto lines = PlanDriveLines(true, space);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].key, kInfoSize);
  EXPECT_EQ(lines[0].text, "2.79 Gb");
  EXPECT_EQ(lines[0].value, -1);
  EXPECT_EQ(lines[1].key, kInfoUsed);
  EXPECT_EQ(lines[1].text, "");
  EXPECT_EQ(lines[1].value, 66);
  EXPECT_EQ(lines[2].key, kInfoAllocated);
  EXPECT_EQ(lines[2].text, "1.86 Gb");
  for (const auto& line : lines) EXPECT_EQ(line.group, 2);
}

TEST(PlanDriveLines, HighHalvesEmptyDriveAndFailure) {
  // 500 GiB total, 100 GiB free: the high halves count 4294967296 each.
  const std::uint64_t total = 500ull << 30, free = 100ull << 30;
  Q big{static_cast<std::uint32_t>(free), static_cast<std::uint32_t>(free >> 32),
        static_cast<std::uint32_t>(total), static_cast<std::uint32_t>(total >> 32)};
  auto lines = PlanDriveLines(true, big);
  EXPECT_EQ(lines[0].text, "500.00 Gb");
  EXPECT_EQ(lines[1].value, 80);
  EXPECT_EQ(lines[2].text, "400.00 Gb");

  auto empty = PlanDriveLines(true, Q{});
  EXPECT_EQ(empty[1].value, 0);
  EXPECT_EQ(empty[0].text, "0 byte");

  auto failed = PlanDriveLines(false, Q{});
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].key, kInfoAllocated);
  EXPECT_EQ(failed[0].text, "");
}

// Found by fuzzing: a free count above the size made a negative share whose
// conversion to int is undefined; the share is bounded to 0..100.
TEST(PlanDriveLines, FreeAboveTheSizeIsNoNegativeShare) {
  EXPECT_EQ(PlanDriveLines(true, Q{0xFFFFFFFFu, 0xFFFFu, 1000, 0})[1].value, 0);
  EXPECT_EQ(PlanDriveLines(true, Q{0, 0, 1000, 0})[1].value, 100);
}

// Found by fuzzing: sizes that are no number or lie outside any real range
// (corrupt ones) gave shares beyond the circle, an undefined conversion of
// NaN to int, and a sort whose order was not total.
TEST(PlanSlices, CorruptSizesStayInsideTheCircle) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  auto negative = NodeWithChildren({-5000, 400, 100});
  for (const SlicePlan& s : PlanSlices(*negative)) {
    EXPECT_GE(s.angle, 1);
    EXPECT_LE(s.angle, 360);
  }
  // Total NaN or infinite: no child has a share; the circle is the remainder.
  EXPECT_EQ(Pairs(PlanSlices(*NodeWithChildren({nan, 300, 100}))), (P{{0, 360}}));
  EXPECT_EQ(Pairs(PlanSlices(*NodeWithChildren({inf, 300, 100}))), (P{{0, 360}}));
  // The sort puts a size that is no number last and the others in order.
  auto mixed = NodeWithChildren({100, nan, 900, 400, nan, 50});
  mixed->SortChildrenBySize();
  const double want[] = {900, 400, 100, 50};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(mixed->GetChild(i)->GetSize(true), want[i]) << i;
  EXPECT_TRUE(std::isnan(mixed->GetChild(4)->GetSize(true)));
  EXPECT_TRUE(std::isnan(mixed->GetChild(5)->GetSize(true)));
}

TEST(PlanScanDone, FolderRootFillsGroupTwoWithoutQuerying) {
  auto root = NodeWithChildren({1000, 3000});
  root->AssignName("D:\\Data\\");
  bool queried = false;
  auto plan = PlanScanDone(*root, root.get(), [&](const std::string&, Q&) {
    queried = true;
    return true;
  });
  EXPECT_FALSE(queried);
  ASSERT_EQ(plan.lines.size(), 6u);
  EXPECT_EQ(plan.lines[0].group, 2);
  EXPECT_EQ(plan.lines[0].key, kInfoFileSize);
  EXPECT_EQ(plan.lines[0].text, "3.91 Kb");
  EXPECT_EQ(plan.lines[1].key, kInfoFileCount);
  EXPECT_EQ(plan.lines[1].text, "2 文件");
  EXPECT_EQ(plan.lines[2].key, kInfoFolderCount);
  EXPECT_EQ(plan.lines[2].text, "2 文件夹");
  EXPECT_EQ(plan.lines[3].group, 1);
  EXPECT_EQ(plan.lines[3].key, kInfoFileCount);
  EXPECT_EQ(plan.lines[4].key, kInfoFolderCount);
  EXPECT_EQ(plan.lines[5].key, kInfoFileSize);
  EXPECT_TRUE(plan.chart);
  EXPECT_EQ(Pairs(plan.slices), (P{{0, 270}, {1, 90}}));
}

TEST(PlanScanDone, DriveRootQueriesItsSpace) {
  auto root = NodeWithChildren({});
  root->AssignName("C:\\");
  std::string asked;
  auto plan = PlanScanDone(*root, nullptr, [&](const std::string& path, Q& out) {
    asked = path;
    out = Q{1000000000u, 0, 3000000000u, 0};
    return true;
  });
  EXPECT_EQ(asked, "C:\\");
  ASSERT_EQ(plan.lines.size(), 3u);
  EXPECT_EQ(plan.lines[1].value, 66);
  EXPECT_FALSE(plan.chart);  // no selected node: only the cleared chart

  // A path of three wide characters is still a short path.
  root->AssignName("中:\\");
  plan = PlanScanDone(*root, nullptr, [](const std::string&, Q&) { return false; });
  ASSERT_EQ(plan.lines.size(), 1u);
  EXPECT_EQ(plan.lines[0].key, kInfoAllocated);
}

TEST(ScanProgressText, ThreeLinesWithTheSizeText) {
  EXPECT_EQ(ScanProgressText(12, 3.5 * 1024 * 1024), "正在扫描\n12 文件夹\n3.50 Mb");
  EXPECT_EQ(ScanProgressText(0, 0), "正在扫描\n0 文件夹\n0 byte");
  // Counts past 32 bits (a huge volume) are written whole.
  EXPECT_EQ(ScanProgressText(5000000000LL, 1023), "正在扫描\n5000000000 文件夹\n1023 byte");
}

}  // namespace
}  // namespace diskview
