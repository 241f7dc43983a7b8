// A listing that never answers a stop: the drive hangs. The stop returns,
// the worker is left behind, and nothing it makes reaches the next scan.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/diskview/scan/DiskScan.h"
#include "app/diskview/scan/ScanMessages.h"
#include "platform/DirEnumMemory.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview {
namespace {

using platform::DirEnumMemory;
using test::RecordingNotifier;
using test::RecordingRows;

// Two drives in one enumerator: opening H:\Slow\ blocks until released,
// whatever the stop flag says, as a listing of a dead network drive does.
struct HangingDrive {
  HangingDrive() : dirs("") {
    auto& h = dirs.Root().Folder("H:");
    h.Folder("Fast").File("f", 7);
    h.Folder("Slow").File("s", 11);
    h.Folder("Later").File("l", 13);
    auto& c = dirs.Root().Folder("C:");
    c.Folder("One").File("x", 100);
    c.File("y", 5);
    dirs.OnOpen([this](const std::string& path) {
      if (path != "H:\\Slow\\") return;
      std::unique_lock lock(mutex);
      ++blocked;
      changed.notify_all();
      changed.wait(lock, [&] { return released; });
      --blocked;
    });
  }
  ~HangingDrive() { Release(); }
  void WaitUntilBlocked() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return blocked > 0; });
  }
  void Release() {
    std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
  int Blocked() {
    std::lock_guard lock(mutex);
    return blocked;
  }

  DirEnumMemory dirs;
  std::mutex mutex;
  std::condition_variable changed;
  int blocked = 0;
  bool released = false;
};

struct DiskScanHang : ::testing::Test {
  DiskScanHang() : scan(drive.dirs, rows, notes) { scan.SetThreads(1); }
  void Open(const std::string& path, int slot) {
    root.AssignName(path);
    scan.SetRoot(&root);
    scan.StartScan(slot);
  }
  // The scan left behind has ended and been forgotten.
  void WaitForLeftBehindToEnd() {
    for (int i = 0; i < 5000 && scan.WorkersLeftBehind() > 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  HangingDrive drive;  // first: it outlives the scan, which waits for its workers
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
  DiskScan scan;
};

TEST_F(DiskScanHang, AStopLeavesABlockedWorkerBehindAndTheNextScanIsWhole) {
  Open("H:\\", 1);
  drive.WaitUntilBlocked();
  scan.StopScan();
  EXPECT_FALSE(scan.IsScanning());
  EXPECT_FALSE(scan.Completed());
  EXPECT_EQ(scan.WorkersLeftBehind(), 1);
  EXPECT_TRUE(scan.SlotHangs(1));
  EXPECT_FALSE(scan.SlotHangs(2));
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  // Its rows pointed into its own tree: they went, and nothing reached the root.
  EXPECT_TRUE(rows.Rows().empty());
  EXPECT_EQ(root.GetChildCount(), 0);

  // Another drive in another slot, at once and with counts of its own.
  Open("C:\\", 2);
  scan.WaitForWorker();
  EXPECT_TRUE(scan.Completed());
  EXPECT_EQ(scan.ProgressFolders(), 2);  // C: and One
  EXPECT_DOUBLE_EQ(scan.ProgressBytes(), 105);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_2, 1), 1);
  EXPECT_DOUBLE_EQ(root.GetSize(true), 105);
  const auto afterC = rows.Rows();
  const auto messagesAfterC = notes.Messages().size();

  // Released, the worker left behind ends and adds nothing anywhere.
  drive.Release();
  WaitForLeftBehindToEnd();
  EXPECT_EQ(scan.WorkersLeftBehind(), 0);
  EXPECT_FALSE(scan.SlotHangs(1));
  EXPECT_EQ(rows.Rows().size(), afterC.size());
  EXPECT_EQ(notes.Messages().size(), messagesAfterC);
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_1, 1), 0);
  EXPECT_DOUBLE_EQ(root.GetSize(true), 105);
  EXPECT_EQ(scan.ProgressFolders(), 2);
  EXPECT_DOUBLE_EQ(scan.ProgressBytes(), 105);
}

TEST_F(DiskScanHang, AHangingSlotRefusesNewScansUntilItsWorkerEnds) {
  Open("H:\\", 3);
  drive.WaitUntilBlocked();
  scan.StopScan();
  // Again in the same slot: nothing starts, no second thread piles up.
  Open("H:\\", 3);
  EXPECT_FALSE(scan.IsScanning());
  EXPECT_EQ(drive.Blocked(), 1);
  EXPECT_EQ(scan.WorkersLeftBehind(), 1);
  // Another slot may try the same drive: one worker left behind per slot.
  Open("H:\\", 4);
  EXPECT_TRUE(scan.IsScanning());
  for (int i = 0; i < 5000 && drive.Blocked() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  scan.StopScan();
  EXPECT_EQ(scan.WorkersLeftBehind(), 2);
  EXPECT_TRUE(scan.SlotHangs(3));
  EXPECT_TRUE(scan.SlotHangs(4));

  drive.Release();
  WaitForLeftBehindToEnd();
  EXPECT_EQ(scan.WorkersLeftBehind(), 0);
  Open("H:\\", 3);
  scan.WaitForWorker();
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_3, 1), 1);
  EXPECT_DOUBLE_EQ(root.GetSize(true), 31);
}

TEST_F(DiskScanHang, AStopThatIsAnsweredKeepsThePartialTree) {
  // Released before the stop: the worker answers and hands its tree over.
  Open("H:\\", 1);
  drive.WaitUntilBlocked();
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    drive.Release();
  });
  scan.SetStopWait(std::chrono::seconds(30));
  scan.StopScan();
  release.join();
  EXPECT_EQ(scan.WorkersLeftBehind(), 0);
  ASSERT_GE(root.GetChildCount(), 2);
  EXPECT_EQ(root.GetChild(0)->GetName(), "Fast");
  EXPECT_EQ(root.GetChild(1)->GetName(), "Slow");
  EXPECT_FALSE(rows.Rows().empty());
}

}  // namespace
}  // namespace diskview
