// The disk tree over real folders scanned under Wine: its columns and rows,
// the cell requests, and a scan stopped at any moment or ended with the
// control, with the rows and the folder tree in agreement throughout.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/diskview/DiskTreeCtrl.h"
#include "app/diskview/scan/ScanMessages.h"
#include "framework/WinApp.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/diskview/ControlsTestSupport.h"
#include "tests/win/diskview/WinTempTree.h"

namespace diskview::test {
namespace {

// The tree's parent, as the view is: it counts the scan's messages.
class ScanParent : public TestParent {
 public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (int slot = SlotOfScanDone(msg); slot != 0 && wp == 1) {
      ++done[slot];
      result = 0;
      return true;
    }
    if (msg == WM_SCAN_PROGRESS) {
      if (wp == kScanProgressEnd) ++ends;
      if (wp == kScanProgressStep) {
        ++steps;
        lastStep = lp;
      }
      result = 0;
      return true;
    }
    return TestParent::OnWndMsg(msg, wp, lp, result);
  }
  int done[6] = {};
  int ends = 0;
  int steps = 0;
  LPARAM lastStep = -1;
};

// Waits, handling messages, until `ready` or ten seconds have passed.
template <class Ready>
bool WaitFor(Ready ready) {
  const DWORD end = GetTickCount() + 10000;
  while (!ready()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    flush_events(10);
  }
  return true;
}

class DiskTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Make(900, 400));
    tree = std::make_unique<afx::Window<CDiskTreeCtrl>>();
    ASSERT_TRUE(tree->Create(WS_VISIBLE, CRect(0, 0, 880, 360), &parent, 103));
    tree->SetProgressWindow(parent.m_hWnd);  // the progress notifications come here too
    // Stops here are answered, however busy the machine: a slow worker must
    // not be taken for one blocked in a dead drive.
    tree->SetStopWait(std::chrono::minutes(1));
  }
  void TearDown() override {
    tree.reset();
    app.m_pMainWnd = nullptr;
  }
  // Scans `path` for `slot` to its completion.
  void ScanToTheEnd(const std::string& path, int slot = 1) {
    root.AssignName(path);
    tree->SetRootFolder(&root);
    tree->StartScan(slot);
    ASSERT_TRUE(WaitFor([&] { return parent.done[slot] > 0; }));
    ASSERT_FALSE(tree->IsScanning());
  }
  int RowNamed(const std::wstring& name) const {
    for (int i = 0; i < tree->GetItemCount(); ++i) {
      if (tree->GetItemText(i, 0) == name.c_str()) return i;
    }
    return -1;
  }
  std::vector<std::wstring> Cells(int row) const {
    std::vector<std::wstring> cells;
    for (int c = 0; c < 4; ++c) cells.push_back(tree->GetItemText(row, c).str());
    return cells;
  }

  CWinApp app{L"DiskTreeTest"};
  afx::Window<ScanParent> parent;
  CMyFolder root;
  std::unique_ptr<CDiskTreeCtrl> tree;
};

TEST_F(DiskTreeTest, ColumnsIconsAndStyle) {
  ASSERT_EQ(tree->GetColumnCount(), 4);
  const wchar_t* headers[] = {L"系统文件名", L"文件大小", L"文件夹个数", L"文件个数"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(tree->GetColumnText(c), headers[c]);
    EXPECT_EQ(tree->GetColumnWidth(c), 200);
    if (c > 0) {
      EXPECT_EQ(tree->GetColumnFormat(c) & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
    }
  }
  EXPECT_TRUE(tree->GetExtendedStyle() & LVS_EX_GRIDLINES);
  EXPECT_EQ(tree->GetStyle() & CSuperGridCtrl::kGridStyle, CSuperGridCtrl::kGridStyle);
  HIMAGELIST images = tree->GetImageList(LVSIL_SMALL);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 3);
  EXPECT_EQ(tree->IconWidth(), 16);
  EXPECT_EQ(tree->IconHeight(), 16);
  EXPECT_EQ(tree->GetSelectedFolder(), nullptr);
  tree->StartScan(1);  // no root folder: nothing starts
  EXPECT_FALSE(tree->IsScanning());
  EXPECT_EQ(tree->GetItemCount(), 0);
}

TEST_F(DiskTreeTest, ARealFolderScannedShowsItsTotalsFoldersAndFileGroups) {
  WinTempTree disk;
  ASSERT_TRUE(disk.File(L"a.txt", 100));
  ASSERT_TRUE(disk.File(L"b.bin", 200, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(disk.Folder(L"Sub1"));
  ASSERT_TRUE(disk.File(L"Sub1\\c.dat", 1000));
  ASSERT_TRUE(disk.Folder(L"Empty"));
  ASSERT_TRUE(disk.Folder(L".dot"));
  ASSERT_TRUE(disk.Folder(L".dot\\deep"));
  ASSERT_TRUE(disk.File(L".dot\\deep\\d", 5));
  ScanToTheEnd(disk.RootUtf8());
  EXPECT_EQ(parent.ends, 1);

  // The root row: the path and the totals of everything below it.
  EXPECT_EQ(Cells(0), (std::vector<std::wstring>{disk.Root(), L"1.27 Kb", L"4", L"4"}));
  EXPECT_EQ(tree->GetSelectedFolder(), &root) << "the root is selected when nothing was";
  // The root is open: its folders, then its own files as one group, last.
  ASSERT_EQ(tree->GetItemCount(), 5);
  const int sub = RowNamed(L"Sub1");
  ASSERT_GT(sub, 0);
  EXPECT_EQ(Cells(sub), (std::vector<std::wstring>{L"Sub1", L"1000 byte", L"0", L"1"}));
  EXPECT_EQ(Cells(RowNamed(L"Empty")), (std::vector<std::wstring>{L"Empty", L"0 byte", L"0", L"0"}));
  EXPECT_EQ(Cells(4), (std::vector<std::wstring>{L"", L"300 byte", L"0", L"2"}));
  EXPECT_EQ(tree->GetIcon(tree->NodeAt(4)), CDiskTreeCtrl::kImageFileGroup);
  EXPECT_EQ(tree->NodeAt(4)->GetChildCount(), 0);
  EXPECT_EQ(tree->GetIcon(tree->NodeAt(0)), CDiskTreeCtrl::kImageExpanded);
  EXPECT_EQ(tree->GetIcon(tree->NodeAt(sub)), CDiskTreeCtrl::kImageCollapsed);

  // Deeper rows wait under their collapsed folder until it opens.
  const int dot = RowNamed(L".dot");
  ASSERT_GT(dot, 0);
  tree->ExpandNode(tree->NodeAt(dot), dot);
  EXPECT_EQ(Cells(dot + 1), (std::vector<std::wstring>{L"deep", L"5 byte", L"0", L"1"}));
  tree->SelectNode(tree->NodeAt(dot + 1));
  EXPECT_EQ(tree->GetSelectedFolder()->GetName(), "deep");

  // What a person sees when the control is shown.
  parent.Show();
  dravon_test::Canvas canvas(880, 360);
  tree->SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(static_cast<HDC>(canvas)),
                    PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT | PRF_ERASEBKGND);
  SaveRender(canvas, "disktree-scanned");
  // The file group's icon (image 2) is drawn at its row's indent.
  const CRect group = tree->GetItemRect(4, LVIR_BOUNDS);
  const CRect icon(group.left + 32, group.top, group.left + 48, group.bottom);
  EXPECT_LT(CountColour(canvas, icon, GetSysColor(COLOR_WINDOW)), icon.Width() * icon.Height() - 20);

  // A second scan replaces every row.
  ScanToTheEnd(disk.RootUtf8() + "Sub1\\", 3);
  EXPECT_EQ(tree->GetItemCount(), 2);
  EXPECT_EQ(Cells(1), (std::vector<std::wstring>{L"", L"1000 byte", L"0", L"1"}));
}

TEST_F(DiskTreeTest, ProgressGoesOnlyToTheWindowItWasGiven) {
  WinTempTree disk;
  ASSERT_TRUE(disk.File(L"a.txt", 1));
  tree->SetProgressWindow(nullptr);
  app.m_pMainWnd = &parent;  // the application's main window is not asked
  ScanToTheEnd(disk.RootUtf8(), 2);
  EXPECT_EQ(parent.ends, 0);
  EXPECT_EQ(parent.done[2], 1) << "the completion still goes to the parent";
}

TEST_F(DiskTreeTest, ACellRequestIsAnsweredOnlyForTextAndWithinItsBuffer) {
  root.AssignName("C:\\Windows\\");
  auto info = std::make_unique<TreeItemInfo>();
  info->folder = &root;
  ASSERT_TRUE(tree->InsertRootRow(std::move(info)));
  root.SetKind(CMyFolder::kKindFolder);
  auto ask = [&](UINT mask, int subItem, int room) {
    std::wstring buffer(12, L'X');
    NMLVDISPINFOW request{};
    request.hdr.hwndFrom = tree->m_hWnd;
    request.hdr.idFrom = 103;
    request.hdr.code = LVN_GETDISPINFOW;
    request.item.mask = mask;
    request.item.iItem = 0;
    request.item.iSubItem = subItem;
    request.item.lParam = reinterpret_cast<LPARAM>(tree->NodeAt(0));
    request.item.pszText = buffer.data();
    request.item.cchTextMax = room;
    parent.SendMessage(WM_NOTIFY, 103, reinterpret_cast<LPARAM>(&request));
    return buffer;
  };
  EXPECT_EQ(ask(LVIF_IMAGE, 0, 12), std::wstring(12, L'X')) << "no text asked: untouched";
  EXPECT_EQ(ask(LVIF_TEXT, 0, 0), std::wstring(12, L'X')) << "no room: untouched";
  EXPECT_EQ(ask(LVIF_TEXT, 0, 5).substr(0, 5), std::wstring(L"C:\\W\0", 5)) << "cut to the room";
  EXPECT_EQ(ask(LVIF_TEXT, 1, 12).c_str(), std::wstring(L"0 byte"));
  EXPECT_EQ(ask(LVIF_TEXT, 3, 12).c_str(), std::wstring(L"0"));
  EXPECT_EQ(ask(LVIF_TEXT, 9, 12).c_str(), std::wstring(L"")) << "no such column";
}

// Every node stands for the folder it names, in the folders' order. The
// root's nodes come from the scan: its folder's first children, all of them
// but possibly the last, which a stop may have left without its row. Below
// it a node has made either none of its folder's children (they are made
// when it opens) or all of them.
void ExpectRowsAgreeWithTheFolders(const CDiskTreeCtrl& tree, const CMyFolder& root,
                                   bool complete) {
  const GridTreeNode* top = tree.GetRootNode();
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(CDiskTreeCtrl::InfoOf(top)->folder, &root);
  std::vector<const GridTreeNode*> pending{top};
  int nodes = 0;
  while (!pending.empty()) {
    const GridTreeNode* node = pending.back();
    pending.pop_back();
    ++nodes;
    const CMyFolder* folder = CDiskTreeCtrl::InfoOf(node)->folder;
    const int rows = node->GetChildCount();
    const int folders = folder->GetChildCount();
    ASSERT_LE(rows, folders);
    if (node == top) {
      ASSERT_LE(folders - rows, complete ? 0 : 1) << folder->GetName();
    } else {
      ASSERT_TRUE(rows == 0 || rows == folders) << folder->GetName();
      ASSERT_EQ(tree.HasChildren(*node), folders > 0) << folder->GetName();
    }
    for (int i = 0; i < rows; ++i) {
      ASSERT_EQ(CDiskTreeCtrl::InfoOf(node->GetChild(i))->folder, folder->GetChild(i));
      pending.push_back(node->GetChild(i));
    }
    const int row = tree.NodeToIndex(node);
    if (row >= 0) {
      ASSERT_EQ(tree.NodeAt(row), node);
    }
  }
  EXPECT_EQ(nodes, GridTreeNode::LiveCount());
}

// What a row shows: its indent, icon and four cells.
struct RowView {
  int indent;
  int icon;
  std::vector<std::wstring> cells;
  bool operator==(const RowView&) const = default;
};

// Opens every row from the top down (children made on demand are made so)
// and gives what each row shows.
std::vector<RowView> OpenEveryRow(CDiskTreeCtrl& tree) {
  std::vector<RowView> rows;
  for (int i = 0; i < tree.GetItemCount(); ++i) {
    GridTreeNode* node = tree.NodeAt(i);
    if (node->IsCollapsed()) tree.ExpandNode(node, i);
    RowView view{node->GetIndent(), tree.GetIcon(node), {}};
    for (int c = 0; c < 4; ++c) view.cells.push_back(tree.GetItemText(i, c).str());
    rows.push_back(std::move(view));
  }
  return rows;
}

// 30 folders, each with a file and three subfolders of one file each: 120
// folders and 120 files in all.
void MakeThirtyByThree(WinTempTree& disk) {
  for (int i = 0; i < 30; ++i) {
    const std::wstring f = L"f" + std::to_wstring(i);
    ASSERT_TRUE(disk.Folder(f));
    ASSERT_TRUE(disk.File(f + L"\\x", 10));
    for (int j = 0; j < 3; ++j) {
      ASSERT_TRUE(disk.Folder(f + L"\\g" + std::to_wstring(j)));
      ASSERT_TRUE(disk.File(f + L"\\g" + std::to_wstring(j) + L"\\y", 1));
    }
  }
}

TEST_F(DiskTreeTest, AStopAtAnyMomentLeavesNoHalfRow) {
  WinTempTree disk;
  MakeThirtyByThree(disk);
  if (HasFatalFailure()) return;
  root.AssignName(disk.RootUtf8());
  tree->SetRootFolder(&root);
  // Every insertion waits until it is carried out, so the scan can be held
  // and stopped after 0, 1, 2, ... insertions, and some in between.
  tree->SetRowQueueLimit(1);
  // The root's 30 rows are the scan's; past them it would complete.
  for (int allowed = 0; allowed < 30; allowed += allowed < 8 ? 1 : 7) {
    SCOPED_TRACE(allowed);
    parent.ends = 0;
    tree->StartScan(2);
    ASSERT_TRUE(tree->IsScanning());
    for (int i = 0; i < allowed; ++i) {
      // One sent insertion at a time: the worker waits in each.
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    tree->StopScan();
    EXPECT_FALSE(tree->IsScanning());
    const int rows = tree->GetItemCount();
    ExpectRowsAgreeWithTheFolders(*tree, root, false);
    if (HasFatalFailure()) return;
    flush_events(20);
    EXPECT_EQ(tree->GetItemCount(), rows) << "nothing is added after the stop";
    EXPECT_EQ(parent.ends, 1);
    EXPECT_EQ(parent.done[2], 0);
  }
  ScanToTheEnd(disk.RootUtf8(), 4);
  ExpectRowsAgreeWithTheFolders(*tree, root, true);
  EXPECT_EQ(Cells(0)[2], L"120");
  EXPECT_EQ(Cells(0)[3], L"120");
}

// With the rows queued in batches (as the program runs), a stop keeps every
// row the worker asked for, and a completed scan has them all.
TEST_F(DiskTreeTest, BatchedRowsAreCompleteAfterAStopAndAtTheEnd) {
  WinTempTree disk;
  // Wide enough that a stop lands while rows wait in the queue.
  for (int i = 0; i < 400; ++i) {
    const std::wstring f = L"w" + std::to_wstring(i);
    ASSERT_TRUE(disk.Folder(f));
    ASSERT_TRUE(disk.Folder(f + L"\\deeper"));
    ASSERT_TRUE(disk.File(f + L"\\deeper\\z", 3));
  }
  root.AssignName(disk.RootUtf8());
  tree->SetRootFolder(&root);
  for (int stopAt : {0, 1, 5, 40, 150}) {
    SCOPED_TRACE(stopAt);
    parent.ends = 0;
    tree->StartScan(3);
    ASSERT_TRUE(tree->IsScanning());
    // No message is handled until the stop: whatever the worker has asked
    // for by then is still queued.
    while (tree->IsScanning() && tree->ProgressFolders() < stopAt) Sleep(0);
    tree->StopScan();
    ASSERT_FALSE(tree->IsScanning());
    ExpectRowsAgreeWithTheFolders(*tree, root, false);
    if (HasFatalFailure()) return;
    const int rows = tree->GetItemCount();
    flush_events(20);
    EXPECT_EQ(tree->GetItemCount(), rows) << "nothing is added after the stop";
    if (parent.done[3] == 0) {
      EXPECT_EQ(parent.ends, 1);
    }
  }
  parent.done[3] = 0;
  parent.steps = 0;
  ScanToTheEnd(disk.RootUtf8(), 3);
  ExpectRowsAgreeWithTheFolders(*tree, root, true);
  // Not a post per folder: the start's, the first folder's, the root's
  // last, and one a 50 ms between; the last counts every folder.
  flush_events(20);
  EXPECT_GE(parent.steps, 3);
  EXPECT_LT(parent.steps, 200);
  EXPECT_EQ(parent.lastStep, 801);
  EXPECT_EQ(Cells(0)[2], L"800");
  EXPECT_EQ(Cells(0)[3], L"400");
  EXPECT_EQ(tree->GetItemCount(), 1 + 400) << "the root and its folders; deeper rows wait";
}

// The rows below the root are made when their folder first opens: opened
// all the way down they read row for row as a tree whose every row was
// made at once from the same folders, with the same selection.
TEST_F(DiskTreeTest, RowsMadeOnDemandReadAsRowsMadeAtOnce) {
  WinTempTree disk;
  MakeThirtyByThree(disk);
  ASSERT_TRUE(disk.Folder(L"f3\\g1\\h"));
  ASSERT_TRUE(disk.File(L"f3\\g1\\h\\z", 7000));
  ASSERT_TRUE(disk.File(L"top", 3));
  if (HasFatalFailure()) return;
  const int nodesBefore = GridTreeNode::LiveCount();
  ScanToTheEnd(disk.RootUtf8());
  ExpectRowsAgreeWithTheFolders(*tree, root, true);
  EXPECT_EQ(GridTreeNode::LiveCount(), nodesBefore + 1 + 31) << "the root and the rows it shows";

  // The same folders, every row made at once, in a second control.
  afx::Window<CDiskTreeCtrl> eager;
  ASSERT_TRUE(eager.Create(WS_VISIBLE, CRect(0, 0, 880, 360), &parent, 104));
  auto record = [](CMyFolder* folder) {
    auto info = std::make_unique<TreeItemInfo>();
    info->folder = folder;
    return info;
  };
  ASSERT_TRUE(eager.InsertRootRow(record(&root)));
  std::vector<std::pair<GridTreeNode*, CMyFolder*>> pending{{eager.GetRootNode(), &root}};
  while (!pending.empty()) {
    auto [node, folder] = pending.back();
    pending.pop_back();
    for (int i = 0; i < folder->GetChildCount(); ++i)
      pending.emplace_back(eager.InsertChildRow(node, record(folder->GetChild(i))), folder->GetChild(i));
  }
  eager.SelectNode(eager.GetRootNode());
  EXPECT_EQ(tree->GetNextItem(-1, LVNI_SELECTED), eager.GetNextItem(-1, LVNI_SELECTED));

  // Closed at first, both: the root and its children.
  ASSERT_EQ(tree->GetItemCount(), 32);
  eager.ExpandNode(eager.GetRootNode(), 0);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(Cells(i), (std::vector<std::wstring>{eager.GetItemText(i, 0).str(), eager.GetItemText(i, 1).str(),
                                                   eager.GetItemText(i, 2).str(), eager.GetItemText(i, 3).str()}));
    EXPECT_EQ(tree->HasChildren(*tree->NodeAt(i)), eager.HasChildren(*eager.NodeAt(i))) << i;
    EXPECT_EQ(tree->GetIcon(tree->NodeAt(i)), eager.GetIcon(eager.NodeAt(i))) << i;
  }
  const std::vector<RowView> made = OpenEveryRow(*tree);
  const std::vector<RowView> atOnce = OpenEveryRow(eager);
  ASSERT_EQ(made.size(), 1u + 121 + 122) << "every folder and file group";
  ASSERT_EQ(made.size(), atOnce.size());
  for (std::size_t i = 0; i < made.size(); ++i) EXPECT_EQ(made[i], atOnce[i]) << "row " << i;

  // Closed and a deep row selected: the same rows opened, the same place,
  // the same folder; the rows made before are reused.
  tree->CollapseNode(tree->GetRootNode());
  eager.CollapseNode(eager.GetRootNode());
  tree->ExpandNode(tree->GetRootNode(), 0);
  eager.ExpandNode(eager.GetRootNode(), 0);
  const int nodesMade = GridTreeNode::LiveCount();
  auto deepIn = [](const CTreeGrid<TreeItemInfo>& grid) {
    std::vector<GridTreeNode*> pending{grid.GetRootNode()};
    while (!pending.empty()) {
      GridTreeNode* node = pending.back();
      pending.pop_back();
      if (CDiskTreeCtrl::InfoOf(node)->folder->GetName() == "h") return node;
      for (int i = 0; i < node->GetChildCount(); ++i) pending.push_back(node->GetChild(i));
    }
    return static_cast<GridTreeNode*>(nullptr);
  };
  ASSERT_NE(deepIn(*tree), nullptr);
  tree->SelectNode(deepIn(*tree));
  eager.SelectNode(deepIn(eager));
  EXPECT_EQ(GridTreeNode::LiveCount(), nodesMade) << "made once";
  EXPECT_EQ(tree->GetNextItem(-1, LVNI_SELECTED), eager.GetNextItem(-1, LVNI_SELECTED));
  EXPECT_EQ(tree->GetSelectedFolder()->GetName(), "h");
  EXPECT_EQ(tree->GetSelectedFolder(), eager.GetSelectedFolder());
  ASSERT_EQ(tree->GetItemCount(), eager.GetItemCount());
  for (int i = 0; i < tree->GetItemCount(); ++i) EXPECT_EQ(tree->NodeAt(i)->GetIndent(), eager.NodeAt(i)->GetIndent());
  eager.DeleteAll();
  ExpectRowsAgreeWithTheFolders(*tree, root, true);

  // A new scan frees the rows made.
  ScanToTheEnd(disk.RootUtf8() + "f3\\", 2);
  EXPECT_EQ(GridTreeNode::LiveCount(), nodesBefore + 1 + 4);
}

// A row stands for its folder's children only once the folder is finished
// (until then the worker may still extend it, so nothing reads it), and
// never for the root's: those rows come from the scan.
TEST_F(DiskTreeTest, OnlyAFinishedFolderBelowTheRootMakesItsRows) {
  auto record = [](CMyFolder* folder) {
    auto info = std::make_unique<TreeItemInfo>();
    info->folder = folder;
    return info;
  };
  root.AssignName("R\\");
  auto sub = std::make_unique<CMyFolder>();
  CMyFolder* s = sub.get();
  s->AssignName("S");
  root.AddChild(std::move(sub));
  auto inner = std::make_unique<CMyFolder>();
  inner->AssignName("T");
  s->AddChild(std::move(inner));
  root.SetKind(CMyFolder::kKindFolder);
  ASSERT_TRUE(tree->InsertRootRow(record(&root)));
  EXPECT_FALSE(tree->HasChildren(*tree->GetRootNode())) << "the root makes no rows of its own";
  tree->ExpandNode(tree->GetRootNode(), 0);
  EXPECT_EQ(tree->GetItemCount(), 1);

  GridTreeNode* row = tree->InsertChildRow(tree->GetRootNode(), record(s));
  ASSERT_EQ(tree->GetItemCount(), 2);
  EXPECT_FALSE(tree->HasChildren(*row)) << "still being scanned";
  s->GetChild(0)->SetKind(CMyFolder::kKindFolder);
  s->SetKind(CMyFolder::kKindFolder);
  EXPECT_TRUE(tree->HasChildren(*row));
  EXPECT_EQ(row->GetChildCount(), 0) << "nothing made before it opens";
  tree->ExpandNode(row, 1);
  ASSERT_EQ(tree->GetItemCount(), 3);
  EXPECT_EQ(tree->GetItemText(2, 0), L"T");
  EXPECT_EQ(tree->NodeAt(2)->GetIndent(), 3);
  EXPECT_FALSE(tree->HasChildren(*tree->NodeAt(2)));
  tree->DeleteAll();
  root.Clear();
}

TEST_F(DiskTreeTest, EndingTheControlOrItsWindowStopsItsScan) {
  WinTempTree disk;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(disk.Folder(L"f" + std::to_wstring(i)));
  root.AssignName(disk.RootUtf8());
  // The object ends while its worker waits on its first row.
  const int nodesBefore = GridTreeNode::LiveCount();
  tree->SetRowQueueLimit(1);
  tree->SetRootFolder(&root);
  tree->StartScan(1);
  ASSERT_TRUE(tree->IsScanning());
  tree.reset();
  flush_events(50);
  EXPECT_EQ(parent.done[1], 0);
  EXPECT_EQ(parent.ends, 1);
  EXPECT_EQ(GridTreeNode::LiveCount(), nodesBefore);

  // The window ends (with its parent) while the object lives on.
  tree = std::make_unique<afx::Window<CDiskTreeCtrl>>();
  ASSERT_TRUE(tree->Create(WS_VISIBLE, CRect(0, 0, 400, 300), &parent, 103));
  tree->SetRowQueueLimit(1);
  tree->SetRootFolder(&root);
  tree->StartScan(5);
  ASSERT_TRUE(tree->IsScanning());
  parent.DestroyWindow();
  EXPECT_FALSE(tree->IsScanning());
  EXPECT_EQ(tree->m_hWnd, nullptr);
  flush_events(50);
  tree.reset();
  EXPECT_EQ(afx::WindowsEndedByBase(), 0);
}

// The row images are made for the display scale, at its start and at each
// change, and a change leaves nothing behind.
TEST(DiskTreeAtScale, RowImagesFollowTheScaleAndTwoHundredChangesLeakNothing) {
  dravon_test::MonitorScale scale(144);
  afx::Window<TestParent> parent;
  ASSERT_TRUE(parent.Make(600, 400));
  afx::Window<CDiskTreeCtrl> tree;
  ASSERT_TRUE(tree.Create(WS_VISIBLE, CRect(0, 0, 580, 380), &parent, 103));
  auto size = [&] {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(tree.GetImageList(LVSIL_SMALL), &cx, &cy);
    return std::make_pair(cx, cy);
  };
  EXPECT_EQ(size(), std::make_pair(24, 24));
  EXPECT_EQ(tree.IconWidth(), 24);
  EXPECT_EQ(ImageList_GetImageCount(tree.GetImageList(LVSIL_SMALL)), 3);
  parent.Show();
  const auto cycle = [&](UINT dpi) {
    scale.MoveTo(parent.m_hWnd, dpi);
    parent.UpdateWindow();
  };
  cycle(192);
  EXPECT_EQ(size(), std::make_pair(32, 32));
  EXPECT_EQ(tree.IconHeight(), 32);
  cycle(96);
  EXPECT_EQ(size(), std::make_pair(16, 16));
  EXPECT_EQ(ImageList_GetImageCount(tree.GetImageList(LVSIL_SMALL)), 3);
  for (int i = 0; i < 5; ++i) {
    cycle(144);
    cycle(96);
  }
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) {
    cycle(144);
    cycle(96);
  }
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user);
}

}  // namespace
}  // namespace diskview::test
