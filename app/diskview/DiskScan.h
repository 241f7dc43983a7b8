// The background scan that fills a CMyFolder tree and the disk tree's rows.
// It is the scanning half of CDiskTreeCtrl, kept free of windows: the
// platform reaches it through three seams.
//
//  - DirEnumerator lists folders (Win32, POSIX or in memory).
//  - ScanRowSink adds the disk tree's rows. Child rows are added from the
//    worker thread; the Win32 sink carries them to the user-interface thread
//    and may block the worker there, which is why waiting for the worker
//    always goes through ScanNotifier::PumpPendingMessages.
//  - ScanNotifier posts the progress and completion messages.
//
// Lifecycle: idle -> StartScan -> scanning -> (worker completes | StopScan)
// -> idle. At most one worker runs; it is a std::thread owned here, always
// joined and never terminated. A stop is cooperative: the worker polls the
// stop flag at the start of each folder, before each next entry and around
// each row it adds, then unwinds without adding more rows.
//
// Threads: with more than one, the worker starts reader threads that list
// folders ahead of it (FolderReadAhead) and joins them all before it
// completes or ends; it alone builds the tree, adds rows and notifies, in
// the same order as a scan with one thread.
//
// Reading the tree: while a scan runs only finished nodes may be totalled
// (CMyFolder::GetRowText). A completion message can still be queued when a
// newer scan has started; its handler must check IsScanning() and ignore it
// then, since the root already belongs to the newer scan.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/diskview/FolderReadAhead.h"
#include "app/diskview/MyFolder.h"
#include "platform/ByteSource.h"
#include "platform/DirEnum.h"

namespace diskview {

class ScanRowSink {
 public:
  using Row = std::uintptr_t;  // 0 is no row
  virtual ~ScanRowSink() = default;

  // User-interface thread, from StartScan.
  virtual void DeleteAllRows() = 0;
  // Returns 0 when the root row cannot be added; no scan starts then.
  virtual Row InsertRootRow(std::unique_ptr<TreeItemInfo> info) = 0;
  virtual void ExpandRow(Row row) = 0;

  // Worker thread. A child row goes below `parent` without refreshing the
  // visible list; the sink owns the record from here on. The returned row
  // may name an insertion still to be carried out, in order, on the
  // user-interface thread; the sink must then finish it before the end of
  // RedrawNow, or of the stop that ends the worker, and drop it (unshown)
  // when the rows are deleted: its node belongs to this scan's tree only.
  virtual Row InsertChildRow(Row parent, std::unique_ptr<TreeItemInfo> info) = 0;
  // Worker thread, after a completed scan: redraw at once (invalidate,
  // erase, update), then select the root row if no row is selected.
  virtual void RedrawNow() = 0;
  virtual void SelectRootIfNoneSelected() = 0;
};

class ScanNotifier {
 public:
  virtual ~ScanNotifier() = default;
  // WM_SCAN_PROGRESS to the main window. Either thread; must not block.
  virtual void PostProgress(unsigned code, std::intptr_t value) = 0;
  // The slot's WM_SCAN_DONE_n to the disk tree's parent (wParam 1, lParam 0).
  // Worker thread; must not block.
  virtual void PostCompletion(unsigned message) = 0;
  // User-interface thread, repeatedly while it waits for the worker to end:
  // let the worker's pending row insertions complete. On Win32 that means
  // processing the messages sent to this thread, and only those: a posted
  // click dispatched here could start another scan from inside the wait.
  // The default, for callers without a message queue, does nothing.
  virtual void PumpPendingMessages() {}
};

// A sink that keeps no rows: for the command-line scan and benchmarks.
class NullRowSink final : public ScanRowSink {
 public:
  void DeleteAllRows() override {}
  Row InsertRootRow(std::unique_ptr<TreeItemInfo>) override { return 1; }
  void ExpandRow(Row) override {}
  Row InsertChildRow(Row, std::unique_ptr<TreeItemInfo>) override { return 1; }
  void RedrawNow() override {}
  void SelectRootIfNoneSelected() override {}
};

class DiskScan {
 public:
  static constexpr int kStopRequested = FolderReadAhead::kStopRequested;
  static constexpr int kRunOn = 1;

  DiskScan(platform::DirEnumerator& dirs, ScanRowSink& rows, ScanNotifier& notifier);
  DiskScan(const DiskScan&) = delete;
  DiskScan& operator=(const DiskScan&) = delete;
  // Stops a running scan first.
  ~DiskScan();

  // The node to scan; its name is the path (empty: the current directory).
  // Not owned. Set only while no scan runs.
  void SetRoot(CMyFolder* root) { root_ = root; }
  CMyFolder* Root() const { return root_; }

  // Starts the scan of the root for slot 1..5. Does nothing while a scan
  // runs or without a root. Another slot number empties the tree and adds
  // the root row, but starts no worker.
  void StartScan(int slot);
  // Requests a stop and waits (pumping messages) until the worker has ended,
  // then posts the end notification. Does nothing when no scan runs.
  void StopScan();

  // Threads listing folders for one scan, the worker included; 1 lists
  // everything on the worker. At least 1. Set only while no scan runs.
  void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
  int Threads() const { return threads_; }
  // The hardware threads, at most kMaxDefaultThreads: past a few readers the
  // one worker building the tree is the limit.
  static int DefaultThreads();
  static constexpr int kMaxDefaultThreads = 4;

  // Opens the NTFS volume of a drive root (platform::OpenNtfsVolume), or
  // gives nullptr. When it gives a volume, the worker reads the volume's
  // master file table and walks that instead of listing folders; when the
  // table cannot be read it lists folders as usual. The rows, notifications
  // and stop are the same either way. Set only while no scan runs.
  using VolumeOpener = std::function<std::unique_ptr<platform::ByteSource>(const std::string& root)>;
  void SetVolumeOpener(VolumeOpener opener) { openVolume_ = std::move(opener); }
  // The last scan read its folders from the master file table.
  bool ReadTable() const { return readTable_.load(std::memory_order_relaxed); }

  bool IsScanning() const;
  int StopFlag() const { return stopFlag_.load(std::memory_order_relaxed); }
  // Bytes of the files seen so far by the running or last scan.
  double ProgressBytes() const { return progressBytes_.load(std::memory_order_relaxed); }
  // Folders finished so far by the running or last scan.
  std::intptr_t ProgressFolders() const { return foldersDone_.load(std::memory_order_relaxed); }
  // Waits (pumping messages) until a worker that has completed has also
  // ended. For tests and teardown; StartScan does this itself.
  void WaitForWorker();

 private:
  void Worker(unsigned doneMessage, ScanRowSink::Row rootRow);
  void ScanFolder(FolderReadAhead& folders, CMyFolder& node, std::string& path, double& total,
                  ScanRowSink::Row parentRow, bool skipProgress);
  bool Stopping() const { return stopFlag_.load(std::memory_order_relaxed) == kStopRequested; }

  platform::DirEnumerator& dirs_;
  ScanRowSink& rows_;
  ScanNotifier& notifier_;
  CMyFolder* root_ = nullptr;
  int threads_ = DefaultThreads();
  VolumeOpener openVolume_;
  std::atomic<bool> readTable_{false};
  std::atomic<int> stopFlag_{kRunOn};
  std::atomic<double> progressBytes_{0.0};
  std::atomic<std::intptr_t> foldersDone_{0};  // written by the worker only

  // The worker record. `running_` is the "a scan is recorded" state; the
  // worker clears it under the mutex before it completes, and StopScan sets
  // the stop flag under the same mutex, so a scan either completes or is
  // stopped, never both.
  mutable std::mutex mutex_;
  std::condition_variable endedSignal_;
  bool running_ = false;
  bool ended_ = true;
  std::thread thread_;
  // User-interface thread only: a wait is pumping messages. StartScan and
  // StopScan called from inside that pump do nothing; the wait in progress
  // finishes the stop.
  bool waiting_ = false;
};

}  // namespace diskview
