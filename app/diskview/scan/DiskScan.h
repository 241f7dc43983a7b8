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
// -> idle. At most one worker runs for the current scan; it is a std::thread
// owned here, never terminated. A stop is cooperative: the worker polls the
// stop flag at the start of each folder, before each next entry and around
// each row it adds, then unwinds without adding more rows. A worker that
// does not answer a stop in time (blocked inside a listing) is left behind:
// its ScanJob keeps what it touches alive, its rows and messages are
// dropped, and its thread ends on its own. At most one per slot.
//
// Threads: with more than one, the worker starts reader threads that list
// folders ahead of it (FolderReadAhead) and joins them all before it
// completes or ends; it alone builds the tree, adds rows and notifies, in
// the same order as a scan with one thread.
//
// Reading the tree: while a scan runs only finished nodes may be totalled
// (CMyFolder::GetRowText); the root itself is filled when the scan ends. A completion message can still be queued when a
// newer scan has started; its handler must check IsScanning() and ignore it
// then, since the root already belongs to the newer scan.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/diskview/scan/FolderReadAhead.h"
#include "app/diskview/scan/MyFolder.h"
#include "platform/ByteSource.h"
#include "platform/DirEnum.h"

namespace diskview {

namespace ntfs {
enum class LoadResult;  // ntfs/MftVolume.h
}

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
  // Worker thread, when the walk ends (completed or stopped): rows the sink
  // gathers before it hands them over go now, so a stop keeps them all.
  virtual void FlushRows() {}
  // Worker thread, after a completed scan: every row first, then redraw at
  // once (invalidate, erase, update), then select the root row if no row is
  // selected.
  virtual void RedrawNow() = 0;
  virtual void SelectRootIfNoneSelected() = 0;
};

class ScanNotifier {
 public:
  virtual ~ScanNotifier() = default;
  // WM_SCAN_PROGRESS to the main window. Either thread; must not block.
  // False when it could not be posted (a full queue).
  virtual bool PostProgress(unsigned code, std::intptr_t value) = 0;
  // The slot's WM_SCAN_DONE_n to the disk tree's parent (wParam 1, lParam 0).
  // Worker thread; must not block. False when it could not be posted; the
  // worker then tries again.
  virtual bool PostCompletion(unsigned message) = 0;
  // User-interface thread, repeatedly while it waits for the worker to end:
  // let the worker's pending row insertions complete. On Win32 that means
  // processing the messages sent to this thread, and only those: a posted
  // click dispatched here could start another scan from inside the wait.
  // The default, for callers without a message queue, does nothing.
  virtual void PumpPendingMessages() {}
};

// When the per-folder progress post goes out: the first folder and the last
// always, others at most once every kInterval. Under Wine a post is a round
// trip to the server, and a post per folder fills the thread's queue (other
// posts to it then fail) though no window acts on it.
class ProgressThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{50};
  // Says whether the folder finished at `now` is posted.
  bool Due(Clock::time_point now, bool last) {
    if (!last && posted_ && now - lastPost_ < kInterval) return false;
    posted_ = true;
    lastPost_ = now;
    return true;
  }

 private:
  bool posted_ = false;
  Clock::time_point lastPost_;
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

// Opens the NTFS volume of a drive root (platform::OpenNtfsVolume), or
// gives nullptr.
using VolumeOpener = std::function<std::unique_ptr<platform::ByteSource>(const std::string& root)>;

// One scan: everything its worker touches, owned here and kept alive by
// the worker until it ends, so a worker that stops answering (a listing
// blocked on a dead network drive) can be left to finish on its own while
// a new scan starts with fresh state.
//
// An engine (the folder walk, or another) follows two rules: it checks
// Stopping() often and unwinds soon after it turns true; and it reaches the
// rows and notifications only through AddRow and Notify, which do nothing
// once the job is left behind, so nothing it makes afterwards is ever taken
// for a newer scan's. It fills Tree(); the job hands that tree to the
// caller's root when the engine returns.
class ScanJob {
 public:
  static constexpr int kStopRequested = FolderReadAhead::kStopRequested;
  static constexpr int kRunOn = 1;

  ScanJob(std::shared_ptr<platform::DirEnumerator> dirs, ScanRowSink& rows, ScanNotifier& notifier,
          CMyFolder& target, int slot, int threads);
  ScanJob(const ScanJob&) = delete;
  ScanJob& operator=(const ScanJob&) = delete;

  // For the engine.
  platform::DirEnumerator& Dirs() const { return *dirs_; }
  // The folder to scan as the caller named it, and as a path ending in the
  // separator (or empty).
  const std::string& Root() const { return root_; }
  const std::string& Path() const { return path_; }
  int Threads() const { return threads_; }
  // Opens the scanned drive's volume, for its master file table; may be empty.
  const VolumeOpener& Volumes() const { return volumes_; }
  // The engine reads the folders from the master file table.
  void SetReadTable() { readTable_.store(true, std::memory_order_relaxed); }
  bool ReadTable() const { return readTable_.load(std::memory_order_relaxed); }
  // What loading the volume's table gave, kept to tell why the engine
  // walked instead; none when no volume opened.
  void SetTableResult(ntfs::LoadResult result) {
    tableResult_.store(static_cast<int>(result), std::memory_order_relaxed);
  }
  std::optional<ntfs::LoadResult> TableResult() const {
    const int result = tableResult_.load(std::memory_order_relaxed);
    if (result < 0) return std::nullopt;
    return static_cast<ntfs::LoadResult>(result);
  }
  CMyFolder& Tree() { return tree_; }
  ScanRowSink::Row RootRow() const { return rootRow_; }
  const std::atomic<int>& StopToken() const { return stop_; }
  bool Stopping() const { return stop_.load(std::memory_order_relaxed) == kStopRequested; }
  // A child row below `parent`; 0 once the job is left behind.
  ScanRowSink::Row AddRow(ScanRowSink::Row parent, std::unique_ptr<TreeItemInfo> info);
  // WM_SCAN_PROGRESS; nothing once the job is left behind.
  void Notify(unsigned code, std::intptr_t value);
  void AddProgressBytes(double bytes) {
    // Single writer: a plain load and store keep readers untorn.
    progressBytes_.store(progressBytes_.load(std::memory_order_relaxed) + bytes,
                         std::memory_order_relaxed);
  }
  // One more folder finished; returns the count.
  std::intptr_t FolderDone() {
    const std::intptr_t done = foldersDone_.load(std::memory_order_relaxed) + 1;
    foldersDone_.store(done, std::memory_order_relaxed);
    return done;
  }

  // For readers on any thread.
  int Slot() const { return slot_; }
  double ProgressBytes() const { return progressBytes_.load(std::memory_order_relaxed); }
  std::intptr_t ProgressFolders() const { return foldersDone_.load(std::memory_order_relaxed); }
  int StopFlag() const { return stop_.load(std::memory_order_relaxed); }

 private:
  friend class DiskScan;
  // Runs `call` unless the job is left behind; says whether it ran. No call
  // overlaps the closing of the gate, which waits for one in progress.
  template <class Call>
  bool Through(Call&& call);

  std::shared_ptr<platform::DirEnumerator> dirs_;
  ScanRowSink& rows_;
  ScanNotifier& notifier_;
  CMyFolder& target_;  // the caller's root: written only through the gate
  CMyFolder tree_;
  std::unique_ptr<CMyFolder> previous_;  // the last scan's tree, freed by the worker
  std::string root_;
  std::string path_;
  int slot_;
  int threads_;
  VolumeOpener volumes_;
  std::atomic<bool> readTable_{false};
  std::atomic<int> tableResult_{-1};
  ScanRowSink::Row rootRow_ = 0;
  std::atomic<int> stop_{kRunOn};
  std::atomic<double> progressBytes_{0.0};
  std::atomic<std::intptr_t> foldersDone_{0};  // written by the worker only

  // `running_` is "a scan is recorded": the worker clears it before it
  // completes, and a stop is asked for only while it is set, so a scan
  // either completes or is stopped, never both.
  std::mutex mutex_;
  std::condition_variable changed_;
  bool running_ = true;
  bool completed_ = false;
  bool ended_ = false;
  bool open_ = true;  // the gate to the rows, the notifier and the caller's root
  int inside_ = 0;    // worker calls through the gate in progress
};

class DiskScan {
 public:
  static constexpr int kStopRequested = ScanJob::kStopRequested;
  static constexpr int kRunOn = ScanJob::kRunOn;
  // How long StopScan waits for a worker to answer before leaving it behind.
  static constexpr std::chrono::milliseconds kStopWait{80};

  // With a plain reference the enumerator must outlive every worker: the
  // destructor waits for workers left behind. A shared one is kept alive by
  // the workers themselves.
  DiskScan(platform::DirEnumerator& dirs, ScanRowSink& rows, ScanNotifier& notifier);
  DiskScan(std::shared_ptr<platform::DirEnumerator> dirs, ScanRowSink& rows,
           ScanNotifier& notifier);
  DiskScan(const DiskScan&) = delete;
  DiskScan& operator=(const DiskScan&) = delete;
  // Stops a running scan first.
  ~DiskScan();

  // The node to scan; its name is the path (empty: the current directory).
  // Not owned. Set only while no scan runs. The worker fills a tree of its
  // own and hands it over to this node when it completes or stops; until
  // then the node stays empty (the rows reach the nodes being filled).
  void SetRoot(CMyFolder* root) { root_ = root; }
  CMyFolder* Root() const { return root_; }

  // Starts the scan of the root for slot 1..5. Does nothing while a scan
  // runs, without a root, or while a worker of the slot left behind still
  // runs (SlotHangs). Another slot number empties the tree and adds the
  // root row, but starts no worker.
  void StartScan(int slot);
  // Requests a stop and waits (pumping sent messages) up to kStopWait for
  // the worker to end; one that does not is left behind to finish on its
  // own, and its rows are deleted (their nodes go with it). Then posts the
  // end notification. Does nothing when no scan runs.
  void StopScan();

  // Threads listing folders for one scan, the worker included; 1 lists
  // everything on the worker. At least 1. Set only while no scan runs.
  void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
  int Threads() const { return threads_; }
  // The hardware threads, at most kMaxDefaultThreads: past a few readers the
  // one worker building the tree is the limit.
  static int DefaultThreads();
  static constexpr int kMaxDefaultThreads = 4;
  // Tests hold a stop's wait longer or shorter.
  void SetStopWait(std::chrono::milliseconds wait) { stopWait_ = wait; }

  // When the opener gives a volume, the worker reads the volume's master
  // file table and walks that instead of listing folders; when the table
  // cannot be read it lists folders as usual. The rows, notifications and
  // stop are the same either way. Set only while no scan runs.
  using VolumeOpener = diskview::VolumeOpener;
  void SetVolumeOpener(VolumeOpener opener) { openVolume_ = std::move(opener); }
  // The latest scan read its folders from the master file table.
  bool ReadTable() const;
  // What the latest scan got from its volume's master file table
  // (ntfs::LoadResultText tells it): none when it asked for none or no
  // volume opened.
  std::optional<ntfs::LoadResult> TableResult() const;

  bool IsScanning() const;
  // The latest scan ran to its end, not stopped: the root holds its tree,
  // its rows are all there, and its completion is posted or on its way.
  bool Completed() const;
  // The latest scan's worker has ended (or none ran).
  bool WorkerEnded() const;
  // The running or last scan's stop flag (kRunOn before any). Any thread.
  int StopFlag() const;
  // Bytes of the files seen so far by the running or last scan.
  double ProgressBytes() const;
  // Folders finished so far by the running or last scan.
  std::intptr_t ProgressFolders() const;
  // A worker of this slot was left behind and still runs: its drive hangs.
  bool SlotHangs(int slot);
  // Workers left behind that still run.
  int WorkersLeftBehind();
  // Waits (pumping messages) until a worker that has completed has also
  // ended. For tests and teardown; StartScan does this itself.
  void WaitForWorker();
  // Waits (pumping sent messages) up to the stop's wait for the last worker
  // to end, and leaves it behind if it does not; says whether it ended.
  // After it no worker reaches the rows or the notifier. StartScan does
  // this itself.
  bool EndWorker();

 private:
  static void Work(const std::shared_ptr<ScanJob>& job);
  std::shared_ptr<ScanJob> Job() const;
  // One of the latest job's states, read under its lock.
  bool JobState(bool ScanJob::*state, bool withoutJob) const;
  // Closes the job's gate, waiting (pumping) for a call in progress.
  void CloseGate(ScanJob& job);
  // Forgets workers left behind that have ended.
  void Reap();

  std::shared_ptr<platform::DirEnumerator> dirs_;
  bool ownsDirs_;
  ScanRowSink& rows_;
  ScanNotifier& notifier_;
  CMyFolder* root_ = nullptr;
  int threads_ = DefaultThreads();
  std::chrono::milliseconds stopWait_ = kStopWait;
  VolumeOpener openVolume_;

  // Changed on the user-interface thread only; the mutex lets StopFlag be
  // read from anywhere.
  mutable std::mutex mutex_;
  std::shared_ptr<ScanJob> job_;  // the running or last scan
  std::thread thread_;            // its worker, until joined or left behind
  std::vector<std::shared_ptr<ScanJob>> leftBehind_;
  // A wait is pumping messages: StartScan and StopScan called from inside
  // that pump do nothing; the wait in progress finishes the stop.
  bool waiting_ = false;
};

// The folder walk: fills job.Tree() depth first, one row per folder and per
// folder's file group, in the order of a plain recursive walk; the folders
// come from the volume's master file table when job.Volumes() opens one
// that reads, else from the listings.
void WalkFolders(ScanJob& job);

}  // namespace diskview
