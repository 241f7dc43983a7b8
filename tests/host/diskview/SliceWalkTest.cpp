// Naming and walking a chart's slices: the slice under a point, the edges
// drawn over the wedges' seams, the tip texts, and what each slot charts
// while scans of other slots reuse the shared root (run under ASan: a slot
// left pointing into a freed tree fails here).
#include <gtest/gtest.h>

#include <cmath>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/PieChartLayout.h"
#include "app/diskview/ScanDone.h"
#include "app/diskview/SlotCharts.h"
#include "platform/DirEnumMemory.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview {
namespace {

// The disc of a result slot: pieRect (0, 0, 93, 93), centre (46.5, 46.5),
// rim radius 45.5.
const Rect kPie = ComputeLayout({0, 0, 98, 95}, 0);

// The pixel at `degrees`, `fraction` of the rim radius from the centre.
Point At(int degrees, double fraction) { return AnglePoint(kPie, degrees, RimRadius(kPie) * fraction); }

TEST(HitTestSlice, AnglesClockwiseFromTwelveOClock) {
  ASSERT_EQ(kPie, (Rect{0, 0, 93, 93}));
  const std::vector<int> angles{90, 180, 90};
  EXPECT_EQ(HitTestSlice(At(45, 0.8), kPie, 0, angles), 0);
  EXPECT_EQ(HitTestSlice(At(135, 0.8), kPie, 0, angles), 1);
  EXPECT_EQ(HitTestSlice(At(265, 0.8), kPie, 0, angles), 1);
  EXPECT_EQ(HitTestSlice(At(300, 0.8), kPie, 0, angles), 2);
  EXPECT_EQ(HitTestSlice(At(350, 0.5), kPie, 0, angles), 2);
  // The centre itself counts as 12 o'clock.
  EXPECT_EQ(HitTestSlice({46, 46}, kPie, 0, angles), 0);
  EXPECT_EQ(HitTestSlice({46, 46}, kPie, 180, angles), 1);
  // No slices, or none covering the point.
  EXPECT_EQ(HitTestSlice(At(45, 0.8), kPie, 0, {}), -1);
  EXPECT_EQ(HitTestSlice(At(200, 0.8), kPie, 0, {90, 0}), -1);
}

TEST(HitTestSlice, FollowsTheDragRotation) {
  const std::vector<int> angles{90, 270};
  // Turned 30 degrees clockwise: the first slice runs from 30 to 120.
  const int turned = DragRotate(0, 10, 40);
  EXPECT_EQ(HitTestSlice(At(20, 0.8), kPie, turned, angles), 1);
  EXPECT_EQ(HitTestSlice(At(40, 0.8), kPie, turned, angles), 0);
  EXPECT_EQ(HitTestSlice(At(115, 0.8), kPie, turned, angles), 0);
  EXPECT_EQ(HitTestSlice(At(125, 0.8), kPie, turned, angles), 1);
  // Any start angle, as drawn: negative and past a turn alike.
  EXPECT_EQ(HitTestSlice(At(40, 0.8), kPie, turned - 720, angles), 0);
  EXPECT_EQ(HitTestSlice(At(40, 0.8), kPie, turned + 360 * 5, angles), 0);
  EXPECT_EQ(HitTestSlice(At(350, 0.8), kPie, -20, angles), 0);
  EXPECT_EQ(HitTestSlice(At(330, 0.8), kPie, -20, angles), 1);
}

TEST(HitTestSlice, TheRimIsInsideAndTheSquareOutside) {
  const std::vector<int> angles{360};
  // Straight up from the centre: the rim point, then the square above it.
  EXPECT_EQ(HitTestSlice(At(0, 1.0), kPie, 0, angles), 0);
  EXPECT_EQ(HitTestSlice({46, 1}, kPie, 0, angles), 0);
  EXPECT_EQ(HitTestSlice({46, 0}, kPie, 0, angles), -1);
  // Left and right ends of the middle row.
  EXPECT_EQ(HitTestSlice({1, 46}, kPie, 0, angles), 0);
  EXPECT_EQ(HitTestSlice({0, 46}, kPie, 0, angles), -1);
  EXPECT_EQ(HitTestSlice({91, 46}, kPie, 0, angles), 0);
  EXPECT_EQ(HitTestSlice({92, 46}, kPie, 0, angles), -1);
  // The square's corners and points beyond it.
  for (Point p : {Point{2, 2}, Point{90, 90}, Point{-5, 40}, Point{200, 40}}) {
    EXPECT_EQ(HitTestSlice(p, kPie, 0, angles), -1) << p.x << "," << p.y;
  }
  // A disc too small to have a rim has no slices to hit.
  EXPECT_EQ(HitTestSlice({0, 0}, {0, 0, 1, 1}, 0, angles), -1);
}

// The pixel whose centre lies nearest the point at `degrees` (any
// fraction), `fraction` of the rim radius out.
Point Nearest(const Rect& pie, double degrees, double fraction) {
  const double a = degrees * 3.14159265358979323846 / 180.0;
  const double r = RimRadius(pie) * fraction;
  return {static_cast<int>(std::floor((pie.left + pie.right) / 2.0 + std::sin(a) * r)),
          static_cast<int>(std::floor((pie.top + pie.bottom) / 2.0 - std::cos(a) * r))};
}

TEST(HitTestSlice, ThinSlicesAndOverdrawnTurns) {
  // A slice of one degree is found where it lies, between its neighbours
  // (on a disc large enough for a degree to be several pixels).
  const Rect large{0, 0, 1001, 1001};
  EXPECT_EQ(HitTestSlice(Nearest(large, 357.5, 0.9), large, 0, {358, 1, 1}), 0);
  EXPECT_EQ(HitTestSlice(Nearest(large, 358.5, 0.9), large, 0, {358, 1, 1}), 1);
  EXPECT_EQ(HitTestSlice(Nearest(large, 359.5, 0.9), large, 0, {358, 1, 1}), 2);
  // Past a whole turn the later slice lies on top, as it is drawn.
  EXPECT_EQ(HitTestSlice(At(20, 0.8), kPie, 0, {200, 200}), 1);
  EXPECT_EQ(HitTestSlice(At(60, 0.8), kPie, 0, {200, 200}), 0);
  EXPECT_EQ(HitTestSlice(At(90, 0.8), kPie, 0, {10, 720}), 1);
}

TEST(PiePaint, EdgesOverTheSeamsAndThinSlicesAsLines) {
  const Rect client{0, 0, 98, 95};
  auto plan = PlanPiePaint(client, kPie, 90, {{1, 0, 359, ""}, {2, 0, 1, ""}, {3, 0, 0, ""}}, 13,
                           false);
  EXPECT_EQ(plan.centre, (Point{47, 47}));  // the true centre rounded half up
  // A whole disc needs no edge; a slice too thin to fill is its edge alone.
  EXPECT_FALSE(plan.wedges[0].edge);
  EXPECT_TRUE(plan.wedges[1].edge);
  EXPECT_FALSE(plan.wedges[1].drawn);
  EXPECT_EQ(plan.wedges[1].colour, 2u);
  EXPECT_FALSE(plan.wedges[2].edge) << "no degrees, nothing drawn";
  // Each edge runs from the centre to a pixel inside the rim where its
  // slice starts, short of the square's outline.
  EXPECT_EQ(plan.wedges[1].edgeTo, AnglePoint(kPie, 90 + 359, RimRadius(kPie) - 1.0));
  auto halves = PlanPiePaint(client, kPie, 0, {{1, 0, 180, ""}, {2, 0, 180, ""}}, 13, false);
  EXPECT_TRUE(halves.wedges[0].edge && halves.wedges[1].edge);
  EXPECT_EQ(halves.wedges[0].edgeTo, (Point{47, 2}));
  EXPECT_EQ(halves.wedges[1].edgeTo, (Point{47, 91}));
}

// A finished folder of `name` with one file of `bytes` (and its group).
std::unique_ptr<CMyFolder> Folder(const std::string& name, double bytes) {
  auto folder = std::make_unique<CMyFolder>();
  folder->AssignName(name);
  folder->SetOwnFiles(1, bytes);
  auto group = std::make_unique<CMyFolder>();
  group->SetOwnFiles(1, bytes);
  group->SetKind(CMyFolder::kKindFileGroup);
  folder->AddChild(std::move(group));
  folder->SetKind(CMyFolder::kKindFolder);
  return folder;
}

// Own files of `bytes` in `count` files, as the file group a scan adds last.
void AddOwnFiles(CMyFolder& node, int count, double bytes) {
  node.SetOwnFiles(count, bytes);
  auto group = std::make_unique<CMyFolder>();
  group->SetOwnFiles(count, bytes);
  group->SetKind(CMyFolder::kKindFileGroup);
  node.AddChild(std::move(group));
}

TEST(SliceTipText, NameSizeAndShareWithOneDecimal) {
  CMyFolder node;
  node.AddChild(Folder("Windows", 12.34 * 1024 * 1024 * 1024));
  node.AddChild(Folder("Users", 20.0 * 1024 * 1024 * 1024));
  AddOwnFiles(node, 3, 0.0);
  const auto slices = PlanSlices(node);
  ASSERT_EQ(slices.size(), 2u);  // 223 and 137 degrees fill the circle
  EXPECT_EQ(SliceTipText(node, slices, 0), "Users\n20.00 Gb · 61.8 %");
  EXPECT_EQ(SliceTipText(node, slices, 1), "Windows\n12.34 Gb · 38.2 %");
  EXPECT_EQ(SliceTipText(node, slices, 2), "") << "no such slice";

  // A remainder left by rounding alone stands for nothing.
  CMyFolder thirds;
  thirds.AddChild(Folder("x", 1204));
  thirds.AddChild(Folder("y", 1204));
  thirds.AddChild(Folder("z", 1192));
  const auto rounded = PlanSlices(thirds);
  ASSERT_EQ(rounded.size(), 4u);
  EXPECT_EQ(rounded[3].angle, 1);
  EXPECT_EQ(SliceTipText(thirds, rounded, 3), "其它 0 个文件夹\n0 byte · 0.0 %");
}

TEST(SliceTipText, TheRemainderAndTheFolderOwnFiles) {
  CMyFolder node;
  node.AddChild(Folder("big", 6000));
  for (int i = 0; i < 4; ++i) node.AddChild(Folder("small" + std::to_string(i), 50));
  AddOwnFiles(node, 2, 3000);  // its own files: a slice of their own
  const auto slices = PlanSlices(node);
  ASSERT_EQ(slices.size(), 3u);
  EXPECT_EQ(slices[1].child, 1) << "sorted: the files' group comes second";
  EXPECT_EQ(SliceTipText(node, slices, 1), "（本文件夹中的文件）\n2.93 Kb · 32.6 %");
  // The four small folders: 200 of 9200 bytes.
  EXPECT_EQ(SliceTipText(node, slices, 2), "其它 4 个文件夹\n200 byte · 2.2 %");

  // Files counted in the remainder add their bytes, not to the folders.
  CMyFolder mixed;
  for (int i = 0; i < 40; ++i) mixed.AddChild(Folder("f" + std::to_string(i), 100));
  AddOwnFiles(mixed, 1, 100);
  const auto one = PlanSlices(mixed);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(SliceTipText(mixed, one, 0), "其它 40 个文件夹\n4.00 Kb · 100.0 %");

  // Empty files only: the remainder is the whole disc.
  CMyFolder empty;
  empty.AddChild(Folder("a", 0));
  const auto whole = PlanSlices(empty);
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(SliceTipText(empty, whole, 0), "其它 1 个文件夹\n0 byte · 100.0 %");
}

TEST(SliceTipText, ThePlanCarriesEveryTipOfItsChart) {
  CMyFolder node;
  node.AssignName("D:\\Data\\");
  node.AddChild(Folder("small", 50));
  node.AddChild(Folder("big", 6000));
  for (int i = 0; i < 4; ++i) node.AddChild(Folder("tiny" + std::to_string(i), 10));
  AddOwnFiles(node, 2, 3000);
  const ScanDonePlan plan = PlanScanDone(node, &node, nullptr);
  ASSERT_EQ(plan.tips.size(), plan.slices.size());
  ASSERT_EQ(plan.slices.size(), 3u);
  for (std::size_t i = 0; i < plan.slices.size(); ++i) {
    EXPECT_EQ(plan.tips[i], SliceTipText(node, plan.slices, i)) << i;
  }
  EXPECT_EQ(plan.tips[0], "big\n5.86 Kb · 66.0 %");
  EXPECT_TRUE(PlanScanDone(node, nullptr, nullptr).tips.empty());
}

TEST(PlanOpenedFolder, AsACompletedScanOfTheFolder) {
  // A folder with a name as short as a drive's is still a folder.
  CMyFolder folder, sameAsScanned;
  folder.AssignName("ab");
  sameAsScanned.AssignName("C:\\ab\\");
  for (CMyFolder* node : {&folder, &sameAsScanned}) {
    node->AddChild(Folder("x", 3000));
    node->AddChild(Folder("y", 1000));
    AddOwnFiles(*node, 2, 500);
  }
  const ScanDonePlan opened = PlanOpenedFolder(folder);
  const ScanDonePlan scanned = PlanScanDone(sameAsScanned, &sameAsScanned, nullptr);
  EXPECT_TRUE(opened.chart);
  EXPECT_EQ(opened.slices, scanned.slices);
  ASSERT_EQ(opened.lines.size(), scanned.lines.size());
  for (std::size_t i = 0; i < opened.lines.size(); ++i) {
    EXPECT_EQ(opened.lines[i].group, scanned.lines[i].group) << i;
    EXPECT_EQ(opened.lines[i].key, scanned.lines[i].key) << i;
    EXPECT_EQ(opened.lines[i].text, scanned.lines[i].text) << i;
  }
  EXPECT_TRUE(folder.IsSorted());
}

TEST(SlotChart, OpensFoldersOfSlicesAndGoesBackToTheRoot) {
  CMyFolder root;
  root.AssignName("C:\\");
  root.AddChild(Folder("a", 100));
  auto b = Folder("b", 1000);
  b->AddChild(Folder("inner", 500));
  CMyFolder* bNode = b.get();
  root.AddChild(std::move(b));
  AddOwnFiles(root, 1, 300);
  SlotCharts charts(root, 5);
  SlotChart& chart = charts.Slot(2);
  EXPECT_TRUE(chart.Empty());
  EXPECT_FALSE(chart.Up());
  charts.Completed(2, &root);
  chart.SetSlices(PlanSlices(root));  // b (1500), the files (300), a (100)
  ASSERT_EQ(chart.Slices().size(), 3u);
  EXPECT_EQ(chart.FolderOfSlice(0), bNode);
  EXPECT_EQ(chart.FolderOfSlice(1), nullptr) << "the folder's own files";
  EXPECT_EQ(chart.FolderOfSlice(2)->GetName(), "a");
  EXPECT_EQ(chart.FolderOfSlice(3), nullptr);
  // Only a child of the charted folder opens.
  EXPECT_FALSE(chart.Open(*bNode->GetChild(0)));
  ASSERT_TRUE(chart.Open(*bNode));
  EXPECT_EQ(chart.Node(), bNode);
  EXPECT_FALSE(chart.AtRoot());
  EXPECT_TRUE(chart.Slices().empty()) << "the new folder's slices are planned anew";
  ASSERT_TRUE(chart.Up());
  EXPECT_EQ(chart.Node(), &root);
  EXPECT_FALSE(chart.Up()) << "it stops at the scanned root";
  EXPECT_EQ(chart.Node(), &root);
  // Nothing charted clears the slot.
  charts.Completed(2, nullptr);
  EXPECT_TRUE(chart.Empty());
}

// An action that ran a message loop acts only on the chart it began on:
// not after the slot was walked, emptied, or charted again by a scan that
// left the same root node at the same address.
TEST(SlotChart, AMarkTellsTheSameChartFromOneMadeSince) {
  CMyFolder root;
  root.AssignName("C:\\");
  auto a = Folder("a", 100);
  CMyFolder* aNode = a.get();
  root.AddChild(std::move(a));
  SlotCharts charts(root, 5);
  SlotChart& chart = charts.Slot(1);
  charts.Completed(1, &root);
  const SlotChart::Mark mark = chart.MarkNow();
  EXPECT_TRUE(chart.Still(mark));
  chart.SetSlices(PlanSlices(root));
  EXPECT_TRUE(chart.Still(mark)) << "planning slices changes no chart";
  ASSERT_TRUE(chart.Open(*aNode));
  EXPECT_FALSE(chart.Still(mark));
  ASSERT_TRUE(chart.Up());
  EXPECT_TRUE(chart.Still(mark)) << "back at the same folder of the same chart";
  // Scanned again into the same node: the same chain, another chart.
  charts.BeforeScan(1);
  EXPECT_FALSE(chart.Still(mark));
  charts.Completed(1, &root);
  EXPECT_EQ(chart.Chain(), mark.chain);
  EXPECT_FALSE(chart.Still(mark));
  // Another slot's scan moves this chart into a kept tree: its top node is new.
  const SlotChart::Mark before = chart.MarkNow();
  charts.BeforeScan(2);
  EXPECT_FALSE(chart.Still(before));
  EXPECT_TRUE(charts.Slot(3).Still(charts.Slot(3).MarkNow()));
}

// Two slots filled by real scans through the one shared root, as the view
// does it: slot 1 charts a folder below its root while slot 2 is scanned,
// and its chart must still read live nodes (ASan reports any freed one).
TEST(SlotCharts, ARescanOfAnotherSlotNeverLeavesASlotChartingFreedNodes) {
  platform::DirEnumMemory dirs("C:\\");
  auto& one = dirs.Root().Folder("one");
  one.Folder("deep").Folder("deeper").File("f", 4000);
  one.Folder("other").File("g", 1000);
  dirs.Root().Folder("two").File("h", 7);
  test::RecordingRows rows;
  test::RecordingNotifier notes;
  CMyFolder shared;
  DiskScan scan(dirs, rows, notes);
  scan.SetRoot(&shared);
  SlotCharts charts(shared, 5);
  auto scanInto = [&](int slot, const std::string& path) {
    charts.BeforeScan(slot);
    shared.AssignName(path);
    scan.StartScan(slot);
    scan.WaitForWorker();
    charts.Completed(slot, &shared);
    charts.Slot(slot).SetSlices(PlanSlices(shared));
  };

  scanInto(1, "C:\\one\\");
  SlotChart& first = charts.Slot(1);
  CMyFolder* deep = first.FolderOfSlice(0);
  ASSERT_NE(deep, nullptr);
  ASSERT_EQ(deep->GetName(), "deep");
  ASSERT_TRUE(first.Open(*deep));
  first.SetSlices(PlanSlices(*deep));

  scanInto(2, "C:\\two\\");
  // The shared root now holds "two"; slot 1 has kept its own tree.
  EXPECT_EQ(shared.GetName(), "C:\\two\\");
  EXPECT_EQ(shared.GetSize(true), 7);
  EXPECT_EQ(first.Node(), deep);
  EXPECT_EQ(first.Node()->GetColumnText(1), "3.91 Kb");
  EXPECT_EQ(SliceTipText(*first.Node(), first.Slices(), 0), "deeper\n3.91 Kb · 100.0 %");
  ASSERT_TRUE(first.Up());
  CMyFolder* kept = first.Node();
  EXPECT_NE(kept, &shared);
  EXPECT_EQ(kept->GetName(), "C:\\one\\");
  EXPECT_TRUE(kept->IsSorted()) << "the kept tree is not sorted again";
  EXPECT_EQ(kept->GetSize(true), 5000);
  EXPECT_EQ(PlanScanDone(*kept, kept, nullptr).lines[0].text, "4.88 Kb");

  // A third scan, of slot 2 again, leaves slot 1's kept tree alone.
  scanInto(2, "C:\\one\\");
  EXPECT_EQ(first.Node()->GetSize(true), 5000);
  first.SetSlices(PlanSlices(*first.Node()));
  // Slot 1 scanned anew starts at its root and drops what it kept.
  ASSERT_TRUE(first.Open(*first.FolderOfSlice(0)));
  scanInto(1, "C:\\two\\");
  EXPECT_TRUE(first.AtRoot());
  EXPECT_EQ(first.Node(), &shared);
  // Slot 2 charted the shared tree until slot 1's scan took it: it kept it.
  EXPECT_EQ(charts.Slot(2).Node()->GetName(), "C:\\one\\");
  EXPECT_EQ(charts.Slot(2).Node()->GetSize(true), 5000);
}

}  // namespace
}  // namespace diskview
