#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/ScanMessages.h"
#include "platform/DirEnumMemory.h"
#include "platform/DirEnumPosix.h"
#include "tests/host/diskview/ScanTestSupport.h"
#include "tests/host/platform/ChainDirs.h"

namespace diskview {
namespace {

using platform::DirEnumMemory;
using test::RecordingNotifier;
using test::RecordingRows;

struct ScanFixture {
  explicit ScanFixture(std::string rootPath = "C:\\F\\") : dirs(rootPath), scan(dirs, rows, notes) {
    root.AssignName(std::move(rootPath));
    scan.SetRoot(&root);
  }
  // Starts a scan and waits for its completion.
  void RunToEnd(int slot = 1) {
    scan.StartScan(slot);
    scan.WaitForWorker();
  }
  DirEnumMemory dirs;
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
  DiskScan scan;
};

TEST(DiskScanTree, FolderExample) {
  ScanFixture t;
  auto& r = t.dirs.Root();
  r.File("a", 100);
  r.Folder("S1").File("x", 4000);
  r.Folder("S2");
  r.File("b", 250);
  t.RunToEnd();

  ASSERT_EQ(t.root.GetChildCount(), 3);
  EXPECT_EQ(t.root.GetChild(0)->GetName(), "S1");
  EXPECT_EQ(t.root.GetChild(1)->GetName(), "S2");
  EXPECT_TRUE(t.root.GetChild(2)->IsFileGroup());
  EXPECT_EQ(t.root.GetChild(2)->CountFiles(false), 2);
  EXPECT_DOUBLE_EQ(t.root.GetChild(2)->GetSize(false), 350);
  EXPECT_DOUBLE_EQ(t.root.GetSize(true), 4350);
  EXPECT_EQ(t.root.CountFiles(true), 3);
  EXPECT_EQ(t.root.CountFolders(true, true), 2);
  EXPECT_EQ(t.root.CountFolders(false, false), 3);
  EXPECT_EQ(t.root.GetChild(0)->GetChildCount(), 1);  // S1: its file group
  EXPECT_EQ(t.root.GetChild(1)->GetChildCount(), 0);  // S2 empty: no group
  EXPECT_TRUE(t.root.IsFinished());
  EXPECT_DOUBLE_EQ(t.scan.ProgressBytes(), 4350);
  EXPECT_FALSE(t.scan.IsScanning());
}

TEST(DiskScanTree, RowsInScanOrder) {
  ScanFixture t;
  auto& r = t.dirs.Root();
  r.File("a", 1);
  auto& s1 = r.Folder("S1");
  s1.Folder("Deep").File("d", 1);
  s1.File("s", 1);
  r.Folder("S2");
  t.RunToEnd();

  // Root row, then each folder's row before its contents, and a folder's
  // file group after all its subfolders.
  auto rows = t.rows.Rows();
  ASSERT_EQ(rows.size(), 7u);
  CMyFolder* s1n = t.root.GetChild(0);
  CMyFolder* deep = s1n->GetChild(0);
  EXPECT_EQ(rows[0].folder, &t.root);
  EXPECT_EQ(rows[0].parent, 0u);
  EXPECT_EQ(rows[1].folder, s1n);
  EXPECT_EQ(rows[1].parent, 1u);
  EXPECT_EQ(rows[2].folder, deep);
  EXPECT_EQ(rows[2].parent, 2u);
  EXPECT_EQ(rows[3].folder, deep->GetChild(0));  // Deep's file group
  EXPECT_EQ(rows[3].parent, 3u);
  EXPECT_EQ(rows[4].folder, s1n->GetChild(1));  // S1's file group
  EXPECT_EQ(rows[4].parent, 2u);
  EXPECT_EQ(rows[5].folder, t.root.GetChild(1));  // S2
  EXPECT_EQ(rows[6].folder, t.root.GetChild(2));  // root's file group
  EXPECT_EQ(rows[6].parent, 1u);
  EXPECT_EQ(t.rows.expanded, std::vector<ScanRowSink::Row>{1});
}

TEST(DiskScanTree, EdgeCases) {
  ScanFixture t;
  auto& r = t.dirs.Root();
  r.Folder("Empty");
  r.Folder("FilesOnly").File("f1", 10);
  r.Folder("OnlyFolders").Folder("Inner");
  r.Folder(".hidden").File("x", 7);
  r.File(".profile", 3);
  r.File("big.iso", 5368709120ull);
  auto& locked = r.Folder("Locked");
  locked.unreadable = true;
  locked.File("secret", 999);
  t.RunToEnd();

  auto child = [&](int i) { return t.root.GetChild(i); };
  ASSERT_EQ(t.root.GetChildCount(), 6);  // 5 folders and the file group
  EXPECT_EQ(child(0)->GetChildCount(), 0);
  EXPECT_EQ(child(0)->GetSize(true), 0);
  EXPECT_EQ(child(0)->CountFiles(true), 0);
  EXPECT_EQ(child(0)->CountFolders(true, true), 0);
  EXPECT_EQ(child(1)->GetChildCount(), 1);
  EXPECT_EQ(child(1)->CountFolders(true, true), 0);
  EXPECT_EQ(child(1)->CountFolders(false, false), 1);
  EXPECT_EQ(child(2)->GetChildCount(), 1);
  EXPECT_FALSE(child(2)->GetChild(0)->IsFileGroup());
  EXPECT_EQ(child(3)->GetName(), ".hidden");
  EXPECT_EQ(child(3)->GetSize(true), 7);
  EXPECT_EQ(child(4)->GetName(), "Locked");  // listed, empty, nothing reported
  EXPECT_EQ(child(4)->GetChildCount(), 0);
  EXPECT_EQ(child(4)->GetSize(true), 0);
  EXPECT_TRUE(child(5)->IsFileGroup());
  EXPECT_EQ(child(5)->CountFiles(false), 2);
  EXPECT_DOUBLE_EQ(t.root.GetSize(false), 5368709123.0);
  EXPECT_DOUBLE_EQ(t.root.GetSize(true), 5368709140.0);
  EXPECT_EQ(t.root.GetColumnText(1), "5.00 Gb");
  // The unreadable folder is not counted among the folders done: the last
  // step says 6 (the root and five), not 7.
  const auto messages = t.notes.Messages();
  const auto last = std::find_if(messages.rbegin(), messages.rend(), [](const auto& m) {
    return m.message == WM_SCAN_PROGRESS && m.code == kScanProgressStep;
  });
  ASSERT_NE(last, messages.rend());
  EXPECT_EQ(last->value, 6);
}

TEST(ProgressThrottle, FirstAndLastAlwaysOthersAtMostEveryInterval) {
  using Clock = ProgressThrottle::Clock;
  const Clock::time_point t0{};
  const auto ms = [&](int n) { return t0 + std::chrono::milliseconds(n); };
  ProgressThrottle throttle;
  EXPECT_TRUE(throttle.Due(ms(1000), false)) << "the first folder";
  EXPECT_FALSE(throttle.Due(ms(1000), false));
  EXPECT_FALSE(throttle.Due(ms(1049), false));
  EXPECT_TRUE(throttle.Due(ms(1050), false));
  // The interval runs from the last post, not from a fixed grid.
  EXPECT_FALSE(throttle.Due(ms(1099), false));
  EXPECT_TRUE(throttle.Due(ms(1100), true)) << "the last folder, however soon";
  EXPECT_TRUE(throttle.Due(ms(1100), true));
  // A clock that goes back never posts more often than the last folder asks.
  EXPECT_FALSE(throttle.Due(ms(900), false));
}

TEST(DiskScanMessages, StepsAreThrottledButTheLastCarriesTheCount) {
  ScanFixture t;
  auto& r = t.dirs.Root();
  for (int i = 0; i < 3000; ++i) r.Folder("d" + std::to_string(i)).File("f", 1);
  t.RunToEnd();
  std::vector<std::intptr_t> steps;
  for (const auto& m : t.notes.Messages()) {
    if (m.message == WM_SCAN_PROGRESS && m.code == kScanProgressStep) steps.push_back(m.value);
  }
  // The start's step (0), the first folder, the root last; a few between
  // on a slow machine, never one per folder.
  ASSERT_GE(steps.size(), 3u);
  EXPECT_LT(steps.size(), 300u);
  EXPECT_EQ(steps[0], 0);
  EXPECT_EQ(steps[1], 1);
  EXPECT_EQ(steps.back(), 3001);
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressStart), 1);
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
}

TEST(DiskScanTree, LinksAreListedAsEmptyFoldersAndNeverEntered) {
  ScanFixture t;
  auto& r = t.dirs.Root();
  r.Folder("Real").File("data", 500);
  r.Link("Junction", true);
  r.Link("file-link", false);
  t.RunToEnd();

  ASSERT_EQ(t.root.GetChildCount(), 3);
  EXPECT_EQ(t.root.GetChild(1)->GetName(), "Junction");
  EXPECT_EQ(t.root.GetChild(1)->GetChildCount(), 0);
  EXPECT_TRUE(t.root.GetChild(1)->IsFinished());
  EXPECT_DOUBLE_EQ(t.root.GetSize(true), 500);
  EXPECT_EQ(t.root.CountFiles(true), 2);  // data and the file link (size 0)
  for (const std::string& opened : t.dirs.Opened()) {
    EXPECT_EQ(opened.find("Junction"), std::string::npos) << opened;
  }
}

// "a\b" is one folder's name: its path would be that of "b" inside "a". It is
// listed, not entered, by the worker and by the readers alike.
TEST(DiskScanTree, AFolderNamedWithTheSeparatorIsListedButNeverEntered) {
  for (int threads : {1, 3}) {
    platform::DirEnumMemory dirs("M:\\");
    auto& r = dirs.Root();
    r.Folder("a").Folder("b").File("inner", 5);
    r.Folder("a\\b").File("unreachable", 7);
    r.Folder("x/y").File("unreachable", 11);  // a Windows path splits at '/' too
    test::FinishedScan scan(dirs, "M:\\", 1, threads);
    ASSERT_EQ(scan.root.GetChildCount(), 3) << threads;
    for (const char* name : {"a\\b", "x/y"}) {
      const CMyFolder* node = test::Child(scan.root, name);
      ASSERT_NE(node, nullptr) << name;
      EXPECT_EQ(node->GetChildCount(), 0) << name;
      EXPECT_TRUE(node->IsFinished()) << name;
    }
    EXPECT_DOUBLE_EQ(scan.root.GetSize(true), 5) << threads;  // "inner" once
    EXPECT_EQ(scan.root.CountFiles(true), 1) << threads;
    const auto opened = dirs.Opened();
    EXPECT_EQ(std::count(opened.begin(), opened.end(), "M:\\a\\b\\"), 1) << threads;
  }
  // Where the separator is '/', a backslash is just a character.
  platform::DirEntry entry;
  entry.directory = true;
  entry.name = "a\\b";
  EXPECT_TRUE(platform::Enterable(entry, '/'));
  EXPECT_FALSE(platform::Enterable(entry, '\\'));
  entry.name = "x/y";
  EXPECT_FALSE(platform::Enterable(entry, '/'));
}

TEST(DiskScanTree, RootPathGetsItsSeparatorAndEmptyMeansCurrentFolder) {
  ScanFixture t("C:\\F\\");
  t.root.AssignName("C:\\F");
  t.dirs.Root().Folder("Sub");
  t.RunToEnd();
  ASSERT_GE(t.dirs.Opened().size(), 2u);
  EXPECT_EQ(t.dirs.Opened()[0], "C:\\F\\");
  EXPECT_EQ(t.dirs.Opened()[1], "C:\\F\\Sub\\");
  EXPECT_EQ(t.root.GetName(), "C:\\F");  // the shown name is unchanged

  ScanFixture current("");
  current.dirs.Root().File("here", 42);
  current.RunToEnd();
  ASSERT_FALSE(current.dirs.Opened().empty());
  EXPECT_EQ(current.dirs.Opened()[0], "");
  EXPECT_EQ(current.root.GetSize(true), 42);
}

using platform_test::ChainDirs;

TEST(DiskScanTree, ChainDeeperThanAnyThreadStack) {
  constexpr int kDepth = 200000;
  ChainDirs dirs(kDepth);
  NullRowSink rows;
  RecordingNotifier notes;
  CMyFolder root;
  root.AssignName("R\\");
  {
    DiskScan scan(dirs, rows, notes);
    scan.SetRoot(&root);
    scan.StartScan(1);
    scan.WaitForWorker();
  }
  EXPECT_DOUBLE_EQ(root.GetSize(true), kDepth + 1.0);
  EXPECT_EQ(root.CountFiles(true), kDepth + 1);
  EXPECT_EQ(root.CountFolders(true, true), kDepth);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_1, 1), 1);
  root.Clear();
}

// A listing that runs out of memory, as a scan of a huge drive might.
class ExhaustedDirs final : public platform::DirEnumerator {
 public:
  std::unique_ptr<Listing> Open(const std::string&) override { throw std::bad_alloc(); }
  char Separator() const override { return '\\'; }
};

TEST(DiskScanMessages, AWorkerThatFailsEndsLikeAStoppedScan) {
  ExhaustedDirs dirs;
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
  root.AssignName("R\\");
  DiskScan scan(dirs, rows, notes);
  scan.SetRoot(&root);
  scan.StartScan(2);
  scan.WaitForWorker();
  EXPECT_FALSE(scan.IsScanning());
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_2, 1), 0);
  scan.StopScan();  // nothing left to stop
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
}

TEST(DiskScanMessages, CompletionSequencePerSlot) {
  const unsigned expected[] = {0x485, 0x40D, 0x403, 0x41F, 0x420};
  for (int slot = 1; slot <= 5; ++slot) {
    ScanFixture t;
    t.dirs.Root().File("a", 1);
    t.RunToEnd(slot);
    auto m = t.notes.Messages();
    ASSERT_EQ(m.size(), 5u) << slot;
    EXPECT_EQ(m[0].message, WM_SCAN_PROGRESS);
    EXPECT_EQ(m[0].code, 1u);
    EXPECT_EQ(m[0].value, 0x140000);
    EXPECT_EQ(m[1].code, 2u);
    EXPECT_EQ(m[1].value, 0);
    EXPECT_EQ(m[2].code, 2u);  // the root folder's step
    EXPECT_EQ(m[3].message, expected[slot - 1]);
    EXPECT_EQ(SlotOfScanDone(m[3].message), slot);
    EXPECT_EQ(m[4].message, WM_SCAN_PROGRESS);
    EXPECT_EQ(m[4].code, 3u);
    EXPECT_EQ(t.rows.redraws, 1);
    EXPECT_EQ(t.rows.selects, 1);
  }
}

TEST(DiskScanMessages, NothingStartsWithoutRootForBadSlotOrFailedRootRow) {
  ScanFixture t;
  t.scan.StartScan(0);
  t.scan.StartScan(6);
  EXPECT_FALSE(t.scan.IsScanning());
  t.rows.failRoot = true;
  t.scan.StartScan(1);
  EXPECT_FALSE(t.scan.IsScanning());
  t.scan.SetRoot(nullptr);
  t.rows.failRoot = false;
  t.scan.StartScan(1);
  EXPECT_FALSE(t.scan.IsScanning());
  EXPECT_TRUE(t.notes.Messages().empty());
  t.scan.StopScan();  // no scan: nothing at all
  EXPECT_TRUE(t.notes.Messages().empty());
}

TEST(DiskScanMessages, BadSlotResetsTheTreeButStartsNoWorker) {
  ScanFixture t;
  t.dirs.Root().Folder("One").File("x", 5);
  t.RunToEnd();
  const std::size_t before = t.notes.Messages().size();
  t.scan.StartScan(6);
  EXPECT_FALSE(t.scan.IsScanning());
  EXPECT_EQ(t.rows.deletes, 2);
  EXPECT_EQ(t.root.GetChildCount(), 0);
  ASSERT_EQ(t.rows.Rows().size(), 1u);  // the root row alone
  EXPECT_EQ(t.rows.Rows()[0].folder, &t.root);
  EXPECT_EQ(t.rows.expanded.size(), 2u);
  EXPECT_EQ(t.notes.Messages().size(), before);
  t.scan.StartScan(1);  // nothing was left recorded as running
  t.scan.WaitForWorker();
  EXPECT_EQ(t.notes.Count(WM_SCAN_DONE_1, 1), 2);
}

TEST(DiskScanMessages, ARefusedCompletionIsPostedAgain) {
  ScanFixture t;
  t.dirs.Root().Folder("One").File("x", 5);
  t.notes.refuseCompletions = 3;  // as a full queue would
  t.RunToEnd(5);
  EXPECT_TRUE(t.scan.Completed());
  EXPECT_EQ(t.notes.refuseCompletions, 0);
  EXPECT_EQ(t.notes.Count(WM_SCAN_DONE_5, 1), 1);
  // The end comes after the completion.
  const auto messages = t.notes.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().code, kScanProgressEnd);
}

TEST(DiskScanMessages, RescanReplacesTheTree) {
  ScanFixture t;
  t.dirs.Root().Folder("One").File("x", 5);
  t.RunToEnd();
  t.root.SortChildrenBySize();
  t.RunToEnd(2);
  EXPECT_EQ(t.rows.deletes, 2);
  EXPECT_EQ(t.root.GetChildCount(), 1);
  EXPECT_FALSE(t.root.IsSorted());
  EXPECT_EQ(t.root.GetSize(true), 5);
  EXPECT_EQ(t.rows.Rows().size(), 3u);
}

// A scan held at the moment it opens a chosen folder, so stops and
// concurrent calls happen at an exact point. One thread: a reader would
// open the folder ahead of the worker, before the tree reaches it.
struct HeldScan : ScanFixture {
  HeldScan() {
    scan.SetThreads(1);
    auto& r = dirs.Root();
    r.Folder("Done").File("d", 10);
    auto& hold = r.Folder("Hold");
    hold.Folder("Inner").File("i", 20);
    hold.File("h", 30);
    r.Folder("After").File("a", 40);
    r.File("top", 50);
    dirs.OnOpen([this](const std::string& path) {
      if (path != "C:\\F\\Hold\\") return;
      reached = true;
      while (!release && scan.StopFlag() != DiskScan::kStopRequested) std::this_thread::yield();
    });
  }
  void StartAndWaitForHold() {
    scan.StartScan(3);
    while (!reached) std::this_thread::yield();
  }
  std::atomic<bool> reached{false};
  std::atomic<bool> release{false};
};

TEST(DiskScanStop, StopPostsOneEndAndNoCompletion) {
  HeldScan t;
  t.StartAndWaitForHold();
  EXPECT_TRUE(t.scan.IsScanning());
  t.scan.StopScan();
  EXPECT_FALSE(t.scan.IsScanning());
  EXPECT_EQ(t.scan.StopFlag(), DiskScan::kStopRequested);
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(t.notes.Count(WM_SCAN_DONE_3, 1), 0);
  EXPECT_EQ(t.rows.redraws, 0);
  EXPECT_GT(t.notes.pumps.load(), 0);  // waited with the message pump
  // Partial tree: Done and Hold, nothing after the stop point.
  ASSERT_EQ(t.root.GetChildCount(), 2);
  EXPECT_EQ(t.root.GetChild(1)->GetName(), "Hold");
  EXPECT_EQ(t.root.GetChild(1)->GetChildCount(), 0);
  EXPECT_EQ(t.rows.Rows().size(), 4u);  // root, Done, Done's files, Hold
  // Stopping again does nothing more.
  t.scan.StopScan();
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
}

TEST(DiskScanStop, CallsFromInsideTheWaitDoNothing) {
  HeldScan t;
  int pumps = 0;
  // As if a message dispatched during the stop opened another folder.
  t.notes.onPump = [&] {
    if (pumps++ == 0) {
      t.scan.StopScan();
      t.scan.StartScan(2);
    }
  };
  t.StartAndWaitForHold();
  t.scan.StopScan();
  EXPECT_FALSE(t.scan.IsScanning());
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressStart), 1);
  EXPECT_EQ(t.rows.deletes, 1);
}

TEST(DiskScanStop, StartWhileRunningDoesNothing) {
  HeldScan t;
  t.StartAndWaitForHold();
  t.scan.StartScan(1);
  EXPECT_EQ(t.rows.deletes, 1);
  t.release = true;
  t.scan.WaitForWorker();
  EXPECT_EQ(t.notes.Count(WM_SCAN_DONE_3, 1), 1);
  EXPECT_EQ(t.notes.Count(WM_SCAN_DONE_1, 1), 0);
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_DOUBLE_EQ(t.root.GetSize(true), 150);
  // A stop after completion is no stop at all.
  t.scan.StopScan();
  EXPECT_EQ(t.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
}

TEST(DiskScanStop, RowsShowTotalsOnlyOfFinishedFolders) {
  HeldScan t;
  t.StartAndWaitForHold();
  // The rows reach the nodes being filled; the root is filled at the end.
  const auto rows = t.rows.Rows();
  ASSERT_EQ(rows.size(), 4u);  // root, Done, Done's files, Hold
  CMyFolder* done = rows[1].folder;
  CMyFolder* hold = rows[3].folder;
  EXPECT_EQ(done->GetRowText(1), "10 byte");
  EXPECT_EQ(hold->GetRowText(0), "Hold");
  EXPECT_EQ(hold->GetRowText(1), "");
  EXPECT_EQ(t.root.GetRowText(3), "");
  EXPECT_EQ(t.root.GetChildCount(), 0);
  t.release = true;
  t.scan.WaitForWorker();
  EXPECT_EQ(hold->GetRowText(1), "50 byte");
  EXPECT_EQ(t.root.GetRowText(3), "5");
}

TEST(DiskScanStop, DestroyingTheScanStopsIt) {
  DirEnumMemory dirs("C:\\F\\");
  dirs.Root().Folder("Hold").File("h", 1);
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
  root.AssignName("C:\\F\\");
  auto scan = std::make_unique<DiskScan>(dirs, rows, notes);
  scan->SetThreads(1);
  DiskScan* raw = scan.get();
  std::atomic<bool> reached{false};
  dirs.OnOpen([&](const std::string& path) {
    if (path != "C:\\F\\Hold\\") return;
    reached = true;
    while (raw->StopFlag() != DiskScan::kStopRequested) std::this_thread::yield();
  });
  scan->SetRoot(&root);
  scan->StartScan(4);
  while (!reached) std::this_thread::yield();
  scan.reset();
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_4, 1), 0);
}

// The POSIX seam on a real folder tree.
class PosixScan : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("dravon-scan-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void Write(const std::filesystem::path& p, std::size_t bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
  }
  std::filesystem::path dir;
};

TEST_F(PosixScan, RealTreeWithLinksAndUnicodeNames) {
  Write(dir / "a.txt", 100);
  Write(dir / "文件夹" / "b.bin", 2000);
  Write(dir / ".dot" / "deep" / "c", 30);
  std::filesystem::create_directories(dir / "empty");
  std::filesystem::create_directory_symlink(dir, dir / "loop");  // would recurse forever
  std::filesystem::create_symlink(dir / "a.txt", dir / "alias");

  platform::DirEnumPosix dirs;
  test::FinishedScan done(dirs, dir.string());
  auto& [rows, notes, root] = done;

  EXPECT_DOUBLE_EQ(root.GetSize(true), 2130);
  EXPECT_EQ(root.CountFiles(true), 4);  // a.txt, b.bin, c, and the file link
  EXPECT_EQ(root.CountFolders(true, true), 5);  // 文件夹 .dot deep empty loop
  CMyFolder* loop = nullptr;
  for (int i = 0; i < root.GetChildCount(); ++i) {
    if (root.GetChild(i)->GetName() == "loop") loop = root.GetChild(i);
  }
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->GetChildCount(), 0);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_1, 1), 1);
}

TEST_F(PosixScan, FoldersBeyondThePathLengthLimit) {
  // 300 levels of 20-character names: about 6300 characters, more than any
  // path the system accepts in one piece.
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  const std::string name = "a-twenty-char-folder";
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0) << i;
    int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    ASSERT_GE(next, 0) << i;
    fd = next;
  }
  int file = openat(fd, "bottom.dat", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  ASSERT_EQ(ftruncate(file, 12345), 0);
  close(file);
  close(fd);

  platform::DirEnumPosix dirs;
  test::FinishedScan done(dirs, dir.string());
  auto& [rows, notes, root] = done;
  EXPECT_DOUBLE_EQ(root.GetSize(true), 12345);
  EXPECT_EQ(root.CountFolders(true, true), 300);
  // Removal needs a tool that walks by handle too.
  EXPECT_EQ(std::system(("rm -rf '" + dir.string() + "'").c_str()), 0);
}

TEST_F(PosixScan, UnreadableRootGivesAnEmptyTree) {
  platform::DirEnumPosix dirs;
  test::FinishedScan done(dirs, (dir / "missing").string(), 2);
  auto& [rows, notes, root] = done;
  EXPECT_EQ(root.GetChildCount(), 0);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_2, 1), 1);
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressStep), 1);  // the start one only
}

}  // namespace
}  // namespace diskview
