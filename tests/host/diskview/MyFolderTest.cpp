#include <gtest/gtest.h>

#include <limits>

#include "app/diskview/scan/MyFolder.h"

namespace diskview {
namespace {

std::unique_ptr<CMyFolder> FileGroup(int files, double bytes) {
  auto group = std::make_unique<CMyFolder>();
  group->SetOwnFiles(files, bytes);
  group->SetKind(CMyFolder::kKindFileGroup);
  return group;
}

// Folder F: files a (100) and b (250), subfolder S1 with one file (4000),
// empty subfolder S2; built as the scan builds it.
struct FolderF {
  CMyFolder f;
  CMyFolder* s1;
  CMyFolder* s2;
  FolderF() {
    auto one = std::make_unique<CMyFolder>();
    one->AddFile(4000);
    one->AddChild(FileGroup(1, 4000));
    one->SetKind(0);
    s1 = one.get();
    auto two = std::make_unique<CMyFolder>();
    two->SetKind(0);
    s2 = two.get();
    f.AddChild(std::move(one));
    f.AddChild(std::move(two));
    f.AddFile(100);
    f.AddFile(250);
    f.AddChild(FileGroup(2, 350));
    f.SetKind(0);
  }
};

TEST(MyFolderTotals, FolderExampleSkipsFileGroups) {
  FolderF tree;
  EXPECT_EQ(tree.f.GetChildCount(), 3);
  EXPECT_TRUE(tree.f.GetChild(2)->IsFileGroup());
  EXPECT_DOUBLE_EQ(tree.f.GetSize(true), 4350.0);
  EXPECT_DOUBLE_EQ(tree.f.GetSize(false), 350.0);
  EXPECT_EQ(tree.f.CountFiles(true), 3);
  EXPECT_EQ(tree.f.CountFiles(false), 2);
  EXPECT_EQ(tree.f.CountFolders(true, true), 2);
  EXPECT_EQ(tree.f.CountFolders(false, false), 3);
  EXPECT_EQ(tree.f.CountFolders(false, true), 2);
  // A file group is no folder even when asked without exclusion below it.
  EXPECT_EQ(tree.s1->CountFolders(true, true), 0);
  EXPECT_EQ(tree.s1->CountFolders(false, false), 1);
  EXPECT_EQ(tree.s2->CountFolders(true, true), 0);
  // The three totals of one walk agree with the separate ones, at every level.
  for (CMyFolder* node : {&tree.f, tree.s1, tree.s2}) {
    const CMyFolder::Totals totals = node->GetTotals();
    EXPECT_DOUBLE_EQ(totals.bytes, node->GetSize(true));
    EXPECT_EQ(totals.folders, node->CountFolders(true, true));
    EXPECT_EQ(totals.files, node->CountFiles(true));
    // And the walk that also gives the children's sizes.
    std::vector<double> sizes{-1};
    const CMyFolder::Totals both = node->GetTotals(sizes);
    EXPECT_DOUBLE_EQ(both.bytes, totals.bytes);
    EXPECT_EQ(both.folders, totals.folders);
    EXPECT_EQ(both.files, totals.files);
    EXPECT_EQ(sizes, node->ChildSizes());
  }
  EXPECT_EQ(tree.f.ChildSizes(), (std::vector<double>{4000, 0, 350}));
}

TEST(MyFolderTotals, ColumnTexts) {
  FolderF tree;
  tree.f.AssignName("F");
  EXPECT_EQ(tree.f.GetColumnText(0), "F");
  EXPECT_EQ(tree.f.GetColumnText(1), "4.25 Kb");
  EXPECT_EQ(tree.f.GetColumnText(2), "2");
  EXPECT_EQ(tree.f.GetColumnText(3), "3");
  EXPECT_EQ(tree.f.GetColumnText(4), "");
  EXPECT_EQ(tree.f.GetColumnText(-1), "");
  // A file-group row: no name, its files' size, 0 folders, its file count.
  CMyFolder* group = tree.f.GetChild(2);
  EXPECT_EQ(group->GetColumnText(0), "");
  EXPECT_EQ(group->GetColumnText(1), "350 byte");
  EXPECT_EQ(group->GetColumnText(2), "0");
  EXPECT_EQ(group->GetColumnText(3), "2");

  CMyFolder kib;
  kib.AddFile(1024000);
  EXPECT_EQ(kib.GetColumnText(1), "0.98 Mb");
}

TEST(MyFolderTotals, RowTextsWaitForTheNodeToFinish) {
  CMyFolder node;
  node.AssignName("Work");
  node.AddFile(10);
  EXPECT_EQ(node.GetRowText(0), "Work");
  EXPECT_EQ(node.GetRowText(1), "");
  EXPECT_EQ(node.GetRowText(3), "");
  node.SetKind(0);
  EXPECT_EQ(node.GetRowText(1), "10 byte");
  EXPECT_EQ(node.GetRowText(3), "1");
}

TEST(MyFolderNames, SetNameCapitalisesTheFirstLetterOnly) {
  CMyFolder node;
  node.SetName("WINDOWS");
  EXPECT_EQ(node.GetName(), "Windows");
  node.SetName("program FILES");
  EXPECT_EQ(node.GetName(), "Program files");
  node.SetName("");
  EXPECT_EQ(node.GetName(), "");
  node.SetName("文件夹ABC");
  EXPECT_EQ(node.GetName(), "文件夹abc");
  node.SetName("1DATA");
  EXPECT_EQ(node.GetName(), "1data");
}

TEST(MyFolderLifecycle, ClearFreesChildrenAndKeepsTheName) {
  FolderF tree;
  tree.f.AssignName("C:\\");
  tree.f.SortChildrenBySize();
  ASSERT_TRUE(tree.f.IsSorted());
  tree.f.Clear();
  EXPECT_EQ(tree.f.GetChildCount(), 0);
  EXPECT_EQ(tree.f.GetSize(true), 0.0);
  EXPECT_EQ(tree.f.CountFiles(true), 0);
  EXPECT_EQ(tree.f.Kind(), CMyFolder::kKindUnset);
  EXPECT_FALSE(tree.f.IsSorted());
  EXPECT_EQ(tree.f.GetName(), "C:\\");
}

TEST(MyFolderLifecycle, VeryDeepChainIsFreedWithoutRecursion) {
  auto root = std::make_unique<CMyFolder>();
  CMyFolder* at = root.get();
  for (int i = 0; i < 200000; ++i) {
    auto child = std::make_unique<CMyFolder>();
    CMyFolder* next = child.get();
    at->AddChild(std::move(child));
    at = next;
  }
  root.reset();  // would overflow the stack if freed recursively
  SUCCEED();
}

TEST(MyFolderSort, LargestFirstAcrossTwoGigabyteGaps) {
  CMyFolder node;
  const double sizes[] = {1.0, 5e9, 2.5e9, 0.0, 5e9 + 1};
  for (double s : sizes) {
    auto child = std::make_unique<CMyFolder>();
    child->SetOwnFiles(1, s);
    child->SetKind(0);
    node.AddChild(std::move(child));
  }
  // The sizes it gives follow the new order.
  EXPECT_EQ(node.SortChildrenBySize(), (std::vector<double>{5e9 + 1, 5e9, 2.5e9, 1.0, 0.0}));
  ASSERT_EQ(node.GetChildCount(), 5);
  EXPECT_EQ(node.GetChild(0)->GetSize(true), 5e9 + 1);
  EXPECT_EQ(node.GetChild(1)->GetSize(true), 5e9);
  EXPECT_EQ(node.GetChild(2)->GetSize(true), 2.5e9);
  EXPECT_EQ(node.GetChild(3)->GetSize(true), 1.0);
  EXPECT_EQ(node.GetChild(4)->GetSize(true), 0.0);
}

// Found by fuzzing: a size past about 1e50 Gb was cut at 63 characters,
// losing its unit.
TEST(FormatSize, HugeAndCorruptSizesKeepTheirWholeText) {
  const std::string max = FormatSize(std::numeric_limits<double>::max());
  EXPECT_GT(max.size(), 300u);
  EXPECT_EQ(max.substr(max.size() - 3), " Gb");
  EXPECT_EQ(FormatSize(std::numeric_limits<double>::infinity()), "inf Gb");
  EXPECT_EQ(FormatSize(-1), "-1 byte");
}

TEST(FormatSize, EveryThreshold) {
  EXPECT_EQ(FormatSize(0), "0 byte");
  EXPECT_EQ(FormatSize(1023), "1023 byte");
  EXPECT_EQ(FormatSize(1024), "1.00 Kb");
  EXPECT_EQ(FormatSize(1000000), "976.56 Kb");
  EXPECT_EQ(FormatSize(1023999), "1000.00 Kb");  // 999.999 Kb stays in Kb
  EXPECT_EQ(FormatSize(1024000), "0.98 Mb");
  EXPECT_EQ(FormatSize(1000.0 * 1024 * 1024 - 1), "1000.00 Mb");
  EXPECT_EQ(FormatSize(1000.0 * 1024 * 1024), "0.98 Gb");
  EXPECT_EQ(FormatSize(5368709120.0), "5.00 Gb");
  EXPECT_EQ(FormatSize(3e9), "2.79 Gb");
  EXPECT_EQ(FormatSize(4e12), "3725.29 Gb");
}

}  // namespace
}  // namespace diskview
