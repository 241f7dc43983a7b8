// The scan with reader threads: the same tree, rows and notifications as on
// one thread, a stop honoured while readers are busy, failures on a reader
// met by the worker, and a bounded read-ahead.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <thread>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/FolderReadAhead.h"
#include "app/diskview/scan/ScanMessages.h"
#include "platform/DirEnumMemory.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview {
namespace {

using platform::DirEnumMemory;
using test::FinishedScan;

std::size_t ThreadsNow() {
  // A thread first, so that a sanitizer's helper (made with the first
  // thread) is counted before as well as after.
  std::thread([] {}).join();
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// A random tree of folders, files, links, empty and unreadable folders,
// with one chain 300 deep and one folder of 5 000 files.
void Grow(DirEnumMemory::Node& node, std::mt19937& random, int depth) {
  const int entries = static_cast<int>(random() % (depth < 3 ? 12 : 5));
  for (int i = 0; i < entries; ++i) {
    const std::string name = "e" + std::to_string(i);
    switch (random() % 8) {
      case 0:
      case 1:
        if (depth < 6) Grow(node.Folder(name), random, depth + 1);
        break;
      case 2:
        node.Link(name, random() % 2 == 0);
        break;
      case 3: {
        auto& locked = node.Folder(name);
        locked.unreadable = random() % 2 == 0;
        locked.File("hidden", 77);
        break;
      }
      default:
        node.File(name, random() % (1ull << 40));
    }
  }
}

DirEnumMemory& RandomTree(DirEnumMemory& dirs) {
  std::mt19937 random(2026);
  auto& r = dirs.Root();
  for (int i = 0; i < 6; ++i) Grow(r.Folder("top" + std::to_string(i)), random, 0);
  DirEnumMemory::Node* chain = &r.Folder("chain");
  for (int i = 0; i < 300; ++i) {
    chain->File("f", static_cast<std::uint64_t>(i));
    chain = &chain->Folder("d");
  }
  auto& wide = r.Folder("wide");
  for (int i = 0; i < 5000; ++i) wide.File("w" + std::to_string(i), static_cast<std::uint64_t>(i));
  r.File("top-file", 5368709120ull);
  return dirs;
}

TEST(ScanThreads, SameTreeRowsAndNotificationsOnAnyThreadCount) {
  DirEnumMemory dirs("C:\\T\\");
  RandomTree(dirs);
  FinishedScan one(dirs, "C:\\T\\", 1, 1);
  ASSERT_EQ(one.notes.Count(WM_SCAN_DONE_1, 1), 1);
  ASSERT_GT(test::Preorder(one.root).size(), 600u);
  for (int threads : {2, 3, 8}) {
    SCOPED_TRACE(threads);
    FinishedScan many(dirs, "C:\\T\\", 1, threads);
    test::ExpectSameScan(one, many);
    EXPECT_EQ(many.rows.Rows().size(), one.rows.Rows().size());
  }
}

// The worker held in slow-0 while the readers list the folders after it
// ahead (they leave the worker's next, slow-1, to it): what they listed
// must not reach the tree when the scan stops.
TEST(ScanThreads, StopWithReadersBusyKeepsOnlyWhatTheWorkerAttached) {
  DirEnumMemory dirs("C:\\S\\");
  auto& r = dirs.Root();
  for (int i = 0; i < 2; ++i) r.Folder("slow-" + std::to_string(i)).Folder("inner").File("x", 1);
  for (int i = 0; i < 40; ++i) {
    auto& f = r.Folder("fast-" + std::to_string(i));
    for (int j = 0; j < 5; ++j) f.Folder("sub" + std::to_string(j)).File("y", 2);
  }
  const std::size_t threadsBefore = ThreadsNow();
  test::RecordingRows rows;
  test::RecordingNotifier notes;
  CMyFolder root;
  root.AssignName("C:\\S\\");
  {
    test::Watchdog watch("stop with readers busy");
    DiskScan scan(dirs, rows, notes);
    scan.SetThreads(4);
    std::atomic<int> held{0};
    dirs.OnOpen([&](const std::string& path) {
      if (path.find("slow-") == std::string::npos) return;
      ++held;
      while (scan.StopFlag() != DiskScan::kStopRequested) std::this_thread::yield();
    });
    scan.SetRoot(&root);
    scan.StartScan(5);
    while (held < 1) std::this_thread::yield();
    // Wait for the readers to have listed some folders ahead.
    while (dirs.Opened().size() < 10) std::this_thread::yield();
    EXPECT_GT(ThreadsNow(), threadsBefore + 1);
    scan.StopScan();
    EXPECT_FALSE(scan.IsScanning());
  }
  EXPECT_EQ(ThreadsNow(), threadsBefore);  // worker and readers all joined
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_5, 1), 0);
  // Only slow-0, whose listing the worker had started; at most one entry
  // of it was walked after the stop.
  ASSERT_EQ(root.GetChildCount(), 1);
  EXPECT_EQ(root.GetChild(0)->GetName(), "slow-0");
  EXPECT_LE(root.CountFolders(true, true), 2);
  EXPECT_EQ(root.CountFiles(true), 0);
  EXPECT_LE(rows.Rows().size(), 3u);
  root.Clear();
}

// Every listing but the root's runs out of memory, on whichever thread.
class FailingBelowRoot final : public platform::DirEnumerator {
 public:
  explicit FailingBelowRoot(DirEnumMemory& inner) : inner_(inner) {}
  std::unique_ptr<Listing> Open(const std::string& folder) override {
    if (folder != "C:\\T\\") {
      ++failures;
      throw std::bad_alloc();
    }
    return inner_.Open(folder);
  }
  char Separator() const override { return '\\'; }
  std::atomic<int> failures{0};

 private:
  DirEnumMemory& inner_;
};

TEST(ScanThreads, AReaderThatFailsLeavesTheFolderToTheWorker) {
  DirEnumMemory tree("C:\\T\\");
  RandomTree(tree);
  FailingBelowRoot dirs(tree);
  const std::size_t threadsBefore = ThreadsNow();
  for (int threads : {1, 4}) {
    FinishedScan done(dirs, "C:\\T\\", 2, threads);
    // The worker met the failure itself: the scan ends as a stopped one.
    EXPECT_EQ(done.notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1) << threads;
    EXPECT_EQ(done.notes.Count(WM_SCAN_DONE_2, 1), 0) << threads;
    EXPECT_EQ(done.root.GetChildCount(), 1) << threads;  // top0, then the failure
    done.root.Clear();
  }
  EXPECT_GE(dirs.failures.load(), 2);
  EXPECT_EQ(ThreadsNow(), threadsBefore);
}

// The read-ahead walked as the worker walks it: every listing as the
// enumerator gives it, and the entries held for the worker stay bounded.
TEST(ScanThreads, ReadAheadIsCompleteInOrderAndBounded) {
  DirEnumMemory dirs("R\\");
  auto& r = dirs.Root();
  for (int i = 0; i < 60; ++i) {
    auto& f = r.Folder("f" + std::to_string(i));
    for (int j = 0; j < 2000; ++j) f.File("x" + std::to_string(j), static_cast<std::uint64_t>(j));
    f.Folder("sub").File("y", 1);
  }
  std::atomic<int> stopFlag{DiskScan::kRunOn};
  FolderReadAhead folders(dirs, stopFlag, 3);
  FolderReadAhead::Job& rootJob = folders.Root("R\\");
  const FolderReadAhead::Result* top = folders.Take(rootJob, "R\\");
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(top->Size(), 60u);
  ASSERT_EQ(FolderReadAhead::ChildCount(rootJob), 60u);
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < 60; ++i) {
    EXPECT_EQ(top->At(i).name, "f" + std::to_string(i));
    FolderReadAhead::Job& job = FolderReadAhead::Child(rootJob, i);
    const std::string path = "R\\f" + std::to_string(i) + "\\";
    const FolderReadAhead::Result* listing = folders.Take(job, path);
    ASSERT_NE(listing, nullptr) << i;
    ASSERT_EQ(listing->Size(), 2001u) << i;
    for (std::size_t j = 0; j < 2000; ++j) {
      const platform::DirEntry e = listing->At(j);
      ASSERT_EQ(e.name, "x" + std::to_string(j));
      ASSERT_FALSE(e.directory);
      bytes += e.size;
    }
    ASSERT_TRUE(listing->At(2000).directory);
    ASSERT_EQ(FolderReadAhead::ChildCount(job), 1u);
    const FolderReadAhead::Result* sub = folders.Take(FolderReadAhead::Child(job, 0), path + "sub\\");
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(sub->Size(), 1u);
    FolderReadAhead::Finished(FolderReadAhead::Child(job, 0));
    FolderReadAhead::Finished(job);
  }
  FolderReadAhead::Finished(rootJob);
  EXPECT_EQ(bytes, 60ull * (1999ull * 2000 / 2));
  // Each reader may take the held entries past the bound by one listing.
  EXPECT_LE(folders.PeakHeldEntries(), FolderReadAhead::kHeldEntries + 3 * 2001);
  EXPECT_EQ(dirs.Opened().size(), 1u + 60 + 60);  // each folder listed once
}

}  // namespace
}  // namespace diskview
