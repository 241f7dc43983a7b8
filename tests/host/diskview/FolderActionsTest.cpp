// Acting on a charted folder: the rescan of one folder put in place of its
// old subtree, against a full scan of the changed tree; and the folders
// that are never moved to the Recycle Bin.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/diskview/DeleteRules.h"
#include "app/diskview/ScanDone.h"
#include "app/diskview/scan/SubtreeRescan.h"
#include "platform/DirEnumMemory.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview {
namespace {

using platform::DirEnumMemory;

CMyFolder* ChildNamed(CMyFolder& node, const std::string& name) {
  for (int i = 0; i < node.GetChildCount(); ++i) {
    if (node.GetChild(i)->GetName() == name) return node.GetChild(i);
  }
  return nullptr;
}

void EraseChild(DirEnumMemory::Node& node, const std::string& name) {
  auto& c = node.children;
  c.erase(std::remove_if(c.begin(), c.end(), [&](const auto& n) { return n->name == name; }), c.end());
}

// Every node alike, and every folder's totals alike.
void ExpectSameTree(const CMyFolder& a, const CMyFolder& b) {
  const auto x = test::Preorder(a), y = test::Preorder(b);
  ASSERT_EQ(x.size(), y.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    ASSERT_EQ(x[i]->GetName(), y[i]->GetName()) << "node " << i;
    ASSERT_EQ(x[i]->Kind(), y[i]->Kind()) << x[i]->GetName();
    ASSERT_EQ(x[i]->OwnFileCount(), y[i]->OwnFileCount()) << x[i]->GetName();
    ASSERT_EQ(x[i]->OwnSize(), y[i]->OwnSize()) << x[i]->GetName();
    ASSERT_EQ(x[i]->GetChildCount(), y[i]->GetChildCount()) << x[i]->GetName();
    ASSERT_EQ(x[i]->GetSize(true), y[i]->GetSize(true)) << x[i]->GetName();
    ASSERT_EQ(x[i]->CountFiles(true), y[i]->CountFiles(true)) << x[i]->GetName();
    ASSERT_EQ(x[i]->CountFolders(true, true), y[i]->CountFolders(true, true)) << x[i]->GetName();
  }
}

class SubtreeRescan : public ::testing::Test {
 protected:
  SubtreeRescan() : dirs("D:\\") {
    auto& root = dirs.Root();
    root.File("top.bin", 10);
    auto& videos = root.Folder("Videos");
    videos.File("a.mp4", 5000);
    auto& old = videos.Folder("Old");
    old.File("x.avi", 70000);
    old.File("y.avi", 30000);
    old.Folder("Deep").File("z.avi", 900);
    videos.Folder("New").File("b.mp4", 4000);
    root.Folder("Music").File("s.mp3", 800);
  }
  // Rescans the folder `chain` ends in and puts the result in place.
  void Rescan(const std::vector<CMyFolder*>& chain) {
    test::FinishedScan fresh(dirs, ChainPath(chain, '\\'), 2);
    std::vector<CMyFolder*> above(chain.begin(), chain.end() - 1);
    PutRescannedSubtree(above, *chain.back(), fresh.root);
    EXPECT_EQ(fresh.root.GetChildCount(), 0);
  }
  DirEnumMemory dirs;
};

TEST_F(SubtreeRescan, AfterFilesAddedRemovedAndChangedMatchesAFullScan) {
  test::FinishedScan first(dirs, "D:\\");
  CMyFolder& root = first.root;
  PlanSlices(root);  // charted: sorted by size
  CMyFolder* videos = ChildNamed(root, "Videos");
  ASSERT_NE(videos, nullptr);
  PlanSlices(*videos);
  CMyFolder* old = ChildNamed(*videos, "Old");
  ASSERT_NE(old, nullptr);

  auto& oldOnDisk = *std::find_if(dirs.Root().children.begin(), dirs.Root().children.end(),
                                  [](const auto& n) { return n->name == "Videos"; });
  auto& o = *std::find_if(oldOnDisk->children.begin(), oldOnDisk->children.end(),
                          [](const auto& n) { return n->name == "Old"; });
  EraseChild(*o, "x.avi");                  // removed
  o->children[0]->size = 123456789;         // y.avi changed
  o->File("new.mkv", 42);                   // added
  o->Folder("Fresh").Folder("Deeper").File("f", 7);
  EraseChild(*o, "Deep");                   // a folder gone

  Rescan({&root, videos, old});
  EXPECT_EQ(ChildNamed(*videos, "Old"), old) << "the node keeps its address";

  test::FinishedScan full(dirs, "D:\\");
  PlanSlices(root);
  PlanSlices(*videos);
  PlanSlices(full.root);
  PlanSlices(*ChildNamed(full.root, "Videos"));
  ExpectSameTree(root, full.root);
  EXPECT_EQ(root.GetSize(true), 10 + 5000 + 123456789 + 42 + 7 + 4000 + 800);
}

TEST_F(SubtreeRescan, TheScannedRootItselfAndAFolderEmptiedOrGone) {
  test::FinishedScan first(dirs, "D:\\");
  CMyFolder& root = first.root;
  CMyFolder* music = ChildNamed(root, "Music");
  ASSERT_NE(music, nullptr);
  EraseChild(dirs.Root(), "Music");  // deleted: its rescan finds nothing
  Rescan({&root, music});
  EXPECT_EQ(music->GetSize(true), 0);
  EXPECT_EQ(music->GetChildCount(), 0);
  EXPECT_TRUE(music->IsFinished());
  EXPECT_EQ(root.GetSize(true), 10 + 5000 + 70000 + 30000 + 900 + 4000);

  dirs.Root().File("late.txt", 3);
  Rescan({&root});
  test::FinishedScan full(dirs, "D:\\");
  ExpectSameTree(root, full.root);
}

TEST(ChainPaths, JoinNamesBelowTheScannedPath) {
  CMyFolder drive, folder, sub, child;
  drive.AssignName("C:\\");
  folder.AssignName("C:\\Data");
  sub.AssignName("Old");
  child.AssignName("x");
  EXPECT_EQ(ChainPath({&drive}, '\\'), "C:\\");
  EXPECT_EQ(ChainPath({&drive, &sub}, '\\'), "C:\\Old");
  EXPECT_EQ(ChainPath({&folder, &sub, &child}, '\\'), "C:\\Data\\Old\\x");
  EXPECT_EQ(ChildPath("/tmp/t/", "a", '/'), "/tmp/t/a");
  EXPECT_EQ(ChainPath({}, '\\'), "");
}

class DeleteRules : public ::testing::Test {
 protected:
  DeleteRules() {
    folders.whole = {"C:\\Windows", "C:\\Program Files", "C:\\Program Files (x86)"};
    folders.exact = {"C:\\ProgramData", "C:\\Users\\Public"};
    folders.parents = {"C:\\Users"};
    folders.program = "D:\\Tools\\Dravon";
  }
  DeleteRefusal Check(const std::string& path) const { return CheckFolderDelete(path, folders); }
  ProtectedFolders folders;
};

TEST_F(DeleteRules, DriveRootsAndNetworkShareRoots) {
  for (const char* p : {"C:\\", "c:", "D:/", "\\\\server\\share", "\\\\server\\share\\",
                        "\\\\?\\E:\\", ""}) {
    EXPECT_EQ(Check(p), DeleteRefusal::kDriveRoot) << p;
  }
  EXPECT_EQ(Check("\\\\server\\share\\old"), DeleteRefusal::kNone);
}

TEST_F(DeleteRules, SystemAndProgramFoldersWithWhatTheyHold) {
  for (const char* p : {"C:\\Windows", "c:\\windows\\", "C:/Windows/System32",
                        "C:\\Program Files\\App", "C:\\PROGRAM FILES (X86)"}) {
    EXPECT_EQ(Check(p), DeleteRefusal::kSystemFolder) << p;
  }
  EXPECT_EQ(Check("C:\\Windows.old"), DeleteRefusal::kNone);
  EXPECT_EQ(Check("C:\\Program Files Backup"), DeleteRefusal::kNone);
}

TEST_F(DeleteRules, ProfilesAndDataRootsThemselvesButNotTheirContents) {
  for (const char* p : {"C:\\Users", "C:\\Users\\bob", "c:\\users\\Alice\\", "C:\\ProgramData",
                        "C:\\Users\\Public"}) {
    EXPECT_EQ(Check(p), DeleteRefusal::kSystemFolder) << p;
  }
  for (const char* p : {"C:\\Users\\bob\\Videos", "C:\\Users\\bob\\Videos\\Old",
                        "C:\\ProgramData\\OldCache", "C:\\Users\\Public\\Music"}) {
    EXPECT_EQ(Check(p), DeleteRefusal::kNone) << p;
  }
}

TEST_F(DeleteRules, TheProgramsOwnFolderAboveAndBelow) {
  EXPECT_EQ(Check("D:\\Tools\\Dravon"), DeleteRefusal::kProgramFolder);
  EXPECT_EQ(Check("D:\\Tools"), DeleteRefusal::kProgramFolder);
  EXPECT_EQ(Check("D:\\Tools\\Dravon\\SKIN"), DeleteRefusal::kProgramFolder);
  EXPECT_EQ(Check("D:\\Tools\\Dravon2"), DeleteRefusal::kNone);
  EXPECT_EQ(Check("D:\\Videos\\Old"), DeleteRefusal::kNone);
}

TEST_F(DeleteRules, AFolderHoldingAProtectedOneIsRefused) {
  folders.whole.push_back("E:\\Apps\\Program Files");
  EXPECT_EQ(Check("E:\\Apps"), DeleteRefusal::kSystemFolder);
  folders = {};
  EXPECT_EQ(Check("E:\\Apps"), DeleteRefusal::kNone) << "nothing known, nothing refused";
}

TEST(RecycleQuestion, ResourceTextFilledInOrder) {
  EXPECT_EQ(FillIn("确定要把“%s”（%s，%d 个文件）移到回收站吗？", {"Old", "1.50 Gb", "1234"}),
            "确定要把“Old”（1.50 Gb，1234 个文件）移到回收站吗？");
  EXPECT_EQ(FillIn("100%% of %s, %d", {"a"}), "100% of a, %d");
  EXPECT_EQ(LastName("D:\\Videos\\Old"), "Old");
  EXPECT_EQ(LastName("D:\\Videos\\Old\\"), "Old");
  EXPECT_EQ(LastName("/tmp/x/名字"), "名字");
  EXPECT_EQ(LastName("C:\\"), "C:\\");
}

}  // namespace
}  // namespace diskview
