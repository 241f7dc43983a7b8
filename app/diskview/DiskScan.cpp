#include "app/diskview/DiskScan.h"

#include <chrono>
#include <system_error>
#include <vector>

#include "app/Messages.h"
#include "app/diskview/MftReader.h"

namespace diskview {

DiskScan::DiskScan(platform::DirEnumerator& dirs, ScanRowSink& rows, ScanNotifier& notifier)
    : dirs_(dirs), rows_(rows), notifier_(notifier) {}

DiskScan::~DiskScan() {
  StopScan();
  WaitForWorker();
}

int DiskScan::DefaultThreads() {
  const unsigned hardware = std::thread::hardware_concurrency();
  if (hardware == 0) return 1;
  return hardware < kMaxDefaultThreads ? static_cast<int>(hardware) : kMaxDefaultThreads;
}

bool DiskScan::IsScanning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void DiskScan::WaitForWorker() {
  if (waiting_ || !thread_.joinable()) return;
  waiting_ = true;
  for (;;) {
    notifier_.PumpPendingMessages();
    std::unique_lock lock(mutex_);
    if (endedSignal_.wait_for(lock, std::chrono::milliseconds(2), [this] { return ended_; })) break;
  }
  thread_.join();
  waiting_ = false;
}

void DiskScan::StartScan(int slot) {
  unsigned doneMessage = ScanDoneMessage(slot);
  {
    std::lock_guard lock(mutex_);
    if (waiting_ || running_ || root_ == nullptr) return;
  }
  // A worker that has completed may still be finishing its last calls.
  WaitForWorker();

  stopFlag_.store(kRunOn);
  rows_.DeleteAllRows();
  root_->Clear();
  root_->SetSorted(false);

  auto info = std::make_unique<TreeItemInfo>();
  info->folder = root_;
  ScanRowSink::Row rootRow = rows_.InsertRootRow(std::move(info));
  if (rootRow == 0) return;
  rows_.ExpandRow(rootRow);

  progressBytes_.store(0.0);
  // Another slot number resets the tree like any start but runs no worker.
  if (doneMessage == 0) return;
  foldersDone_.store(0);
  {
    std::lock_guard lock(mutex_);
    running_ = true;
    ended_ = false;
  }
  try {
    thread_ = std::thread([this, doneMessage, rootRow] {
      try {
        Worker(doneMessage, rootRow);
      } catch (...) {
        // Out of memory on a huge drive, say: end as a stopped scan ends
        // (one end notification, no completion) rather than take the
        // program down. The slot keeps its empty chart.
        bool post = false;
        {
          std::lock_guard lock(mutex_);
          if (!Stopping()) {
            running_ = false;
            post = true;
          }
        }
        if (post) notifier_.PostProgress(kScanProgressEnd, 0);
      }
      std::lock_guard lock(mutex_);
      ended_ = true;
      endedSignal_.notify_all();
    });
  } catch (const std::system_error&) {
    // No thread could be made: nothing runs, so nothing is scanning.
    std::lock_guard lock(mutex_);
    running_ = false;
    ended_ = true;
  }
}

void DiskScan::StopScan() {
  {
    std::lock_guard lock(mutex_);
    if (waiting_ || !running_) return;
    stopFlag_.store(kStopRequested);
  }
  WaitForWorker();
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  notifier_.PostProgress(kScanProgressEnd, 0);
}

void DiskScan::Worker(unsigned doneMessage, ScanRowSink::Row rootRow) {
  notifier_.PostProgress(kScanProgressStart, kScanProgressStartParam);
  notifier_.PostProgress(kScanProgressStep, 0);

  // The root's name is the folder to scan. A folder path must end in the
  // separator, or the listing would match the folder's siblings instead.
  std::string path = root_->GetName();
  if (!path.empty() && path.back() != dirs_.Separator() && path.back() != '/') {
    path.push_back(dirs_.Separator());
  }
  // An NTFS drive's folders come from its master file table when it can be
  // read (all in memory: nothing to read ahead); otherwise, or after a stop
  // during the read, the walk goes on as always.
  std::unique_ptr<ntfs::MftVolume> table;
  readTable_.store(false);
  if (openVolume_) {
    if (auto source = openVolume_(root_->GetName())) {
      table = std::make_unique<ntfs::MftVolume>(path, dirs_.Separator());
      if (table->Load(*source, [this] { return Stopping(); }) != ntfs::LoadResult::kOk) table.reset();
    }
  }
  readTable_.store(table != nullptr);
  double total = 0.0;
  {
    // Its readers are joined when it goes, before anything below.
    FolderReadAhead folders(table ? *table : dirs_, stopFlag_, table ? 0 : threads_ - 1);
    ScanFolder(folders, *root_, path, total, rootRow, false);
  }
  root_->SetKind(CMyFolder::kKindFolder);

  {
    std::lock_guard lock(mutex_);
    if (Stopping()) return;  // StopScan posts the end notification
    running_ = false;
  }
  rows_.RedrawNow();
  rows_.SelectRootIfNoneSelected();
  notifier_.PostCompletion(doneMessage);
  notifier_.PostProgress(kScanProgressEnd, 0);
}

// Depth first, one frame per open folder. The frames live on the heap, not
// the call stack: a folder chain thousands deep (possible within the long
// path limit) must not overflow the worker's stack. The order of rows and
// stop checks is that of the plain recursive walk:
//   open the folder (unless stopping); for each entry: a subfolder gets its
//   node and row, then is walked, then marked finished; a file is counted;
//   then the stop check. After the last entry: the file group (node, then
//   row) unless stopping, then the step notification.
void DiskScan::ScanFolder(FolderReadAhead& folders, CMyFolder& top, std::string& path,
                          double& total, ScanRowSink::Row topRow, bool skipProgress) {
  using Job = FolderReadAhead::Job;
  struct Frame {
    CMyFolder* node;
    Job* job;
    const FolderReadAhead::Result* listing;
    std::size_t base;       // length of this folder's path
    ScanRowSink::Row row;   // the row its children go under
    std::size_t nextEntry = 0;
    std::size_t nextJob = 0;  // its next subfolder's job
    int localCount = 0;
    double localBytes = 0.0;
    bool ending = false;    // a stop was seen on return from a subfolder
    bool exhausted = false; // every entry was walked

    bool Next(platform::DirEntry& out) {
      if (nextEntry == listing->Size()) {
        exhausted = true;
        return false;
      }
      out = listing->At(nextEntry++);
      return true;
    }
  };
  std::vector<Frame> frames;
  auto enter = [&](CMyFolder& node, Job& job, ScanRowSink::Row row) {
    if (Stopping()) return false;
    const FolderReadAhead::Result* listing = folders.Take(job, path);
    if (listing == nullptr) return false;  // the node stays empty; nothing is reported
    frames.push_back({&node, &job, listing, path.size(), row});
    return true;
  };
  // The end of a folder's walk, however the loop over its entries ended.
  auto leave = [&](Frame& f) {
    // After a stop, readers may still hold jobs below; those go with the
    // read-ahead.
    if (f.exhausted) FolderReadAhead::Finished(*f.job);
    path.resize(f.base);
    if (!Stopping() && f.localCount > 0) {
      auto group = std::make_unique<CMyFolder>();
      CMyFolder* groupNode = group.get();
      group->SetOwnFiles(f.localCount, f.localBytes);
      f.node->AddChild(std::move(group));
      groupNode->SetKind(CMyFolder::kKindFileGroup);
      auto info = std::make_unique<TreeItemInfo>();
      info->folder = groupNode;
      if (Stopping()) return;
      rows_.InsertChildRow(f.row, std::move(info));
    }
    const std::intptr_t done = foldersDone_.load(std::memory_order_relaxed) + 1;
    foldersDone_.store(done, std::memory_order_relaxed);
    notifier_.PostProgress(kScanProgressStep, done);
    // A walk gives way after each folder; a table in memory has no folder to
    // wait for, and on a busy machine each yield can cost a time slice.
    if (!readTable_.load(std::memory_order_relaxed)) std::this_thread::yield();
  };

  std::string rootPath = path;
  if (!enter(top, folders.Root(std::move(rootPath)), topRow)) return;
  const char separator = dirs_.Separator();
  platform::DirEntry entry;
  while (!frames.empty()) {
    Frame& f = frames.back();
    bool descended = false;
    while (!f.ending && f.Next(entry)) {
      if (entry.directory) {
        if (entry.name != "." && entry.name != "..") {
          auto owned = std::make_unique<CMyFolder>();
          CMyFolder* child = owned.get();
          child->AssignName(std::string(entry.name));
          f.node->AddChild(std::move(owned));
          // A link or mount point is listed as an empty folder: its target
          // is counted where it lives, and link loops cannot recurse.
          const bool descend = !entry.nameSurrogate;
          path.append(entry.name);
          path.push_back(separator);
          if (Stopping()) break;
          auto info = std::make_unique<TreeItemInfo>();
          info->folder = child;
          if (Stopping()) break;
          const ScanRowSink::Row row = rows_.InsertChildRow(f.row, std::move(info));
          if (descend && f.nextJob < FolderReadAhead::ChildCount(*f.job) &&
              enter(*child, FolderReadAhead::Child(*f.job, f.nextJob++), row)) {
            descended = true;  // `f` may have moved; resume it later
            break;
          }
          child->SetKind(CMyFolder::kKindFolder);
          path.resize(f.base);
        }
      } else {
        const double bytes = static_cast<double>(entry.size);
        f.node->AddFile(entry.size);
        total += bytes;
        f.localBytes += bytes;
        ++f.localCount;
        if (!skipProgress) {
          // Single writer: a plain load and store keep readers untorn.
          progressBytes_.store(progressBytes_.load(std::memory_order_relaxed) + bytes,
                               std::memory_order_relaxed);
        }
      }
      if (Stopping()) break;
    }
    if (descended) continue;

    leave(f);
    CMyFolder* finished = f.node;
    frames.pop_back();
    if (!frames.empty()) {
      // Back in the parent, right after its recursive step.
      Frame& parent = frames.back();
      finished->SetKind(CMyFolder::kKindFolder);
      path.resize(parent.base);
      if (Stopping()) parent.ending = true;
    }
  }
}

}  // namespace diskview
