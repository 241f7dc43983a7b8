#include "app/diskview/DiskScan.h"

#include <chrono>

#include "app/diskview/ScanMessages.h"

namespace diskview {

DiskScan::DiskScan(platform::DirEnumerator& dirs, ScanRowSink& rows, ScanNotifier& notifier)
    : dirs_(dirs), rows_(rows), notifier_(notifier) {}

DiskScan::~DiskScan() {
  StopScan();
  WaitForWorker();
}

bool DiskScan::IsScanning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void DiskScan::WaitForWorker() {
  if (!thread_.joinable()) return;
  for (;;) {
    notifier_.PumpPendingMessages();
    std::unique_lock lock(mutex_);
    if (endedSignal_.wait_for(lock, std::chrono::milliseconds(2), [this] { return ended_; })) break;
  }
  thread_.join();
}

void DiskScan::StartScan(int slot) {
  unsigned doneMessage = ScanDoneMessage(slot);
  {
    std::lock_guard lock(mutex_);
    if (running_ || root_ == nullptr || doneMessage == 0) return;
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
  foldersDone_ = 0;
  {
    std::lock_guard lock(mutex_);
    running_ = true;
    ended_ = false;
  }
  thread_ = std::thread([this, doneMessage, rootRow] {
    Worker(doneMessage, rootRow);
    std::lock_guard lock(mutex_);
    ended_ = true;
    endedSignal_.notify_all();
  });
}

void DiskScan::StopScan() {
  {
    std::lock_guard lock(mutex_);
    if (!running_) return;
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
  double total = 0.0;
  ScanFolder(*root_, path, total, rootRow, false);
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

void DiskScan::ScanFolder(CMyFolder& node, std::string& path, double& total,
                          ScanRowSink::Row parentRow, bool skipProgress) {
  if (Stopping()) return;
  std::unique_ptr<platform::DirEnumerator::Listing> listing = dirs_.Open(path);
  if (!listing) return;  // the node stays empty; nothing is reported

  const std::size_t base = path.size();
  const char separator = dirs_.Separator();
  int localCount = 0;
  double localBytes = 0.0;
  platform::DirEntry entry;
  while (listing->Next(entry)) {
    if (entry.directory) {
      if (entry.name != "." && entry.name != "..") {
        auto owned = std::make_unique<CMyFolder>();
        CMyFolder* child = owned.get();
        child->AssignName(std::string(entry.name));
        node.AddChild(std::move(owned));
        // A link or mount point is listed as an empty folder: its target is
        // counted where it lives, and link loops cannot recurse.
        const bool descend = !entry.nameSurrogate;
        path.append(entry.name);
        path.push_back(separator);
        if (Stopping()) break;
        auto info = std::make_unique<TreeItemInfo>();
        info->folder = child;
        if (Stopping()) break;
        ScanRowSink::Row row = rows_.InsertChildRow(parentRow, std::move(info));
        if (descend) ScanFolder(*child, path, total, row, skipProgress);
        child->SetKind(CMyFolder::kKindFolder);
        path.resize(base);
      }
    } else {
      const double bytes = static_cast<double>(entry.size);
      node.AddFile(entry.size);
      total += bytes;
      localBytes += bytes;
      ++localCount;
      if (!skipProgress) {
        // Single writer: a plain load and store keep readers untorn.
        progressBytes_.store(progressBytes_.load(std::memory_order_relaxed) + bytes,
                             std::memory_order_relaxed);
      }
    }
    if (Stopping()) break;
  }
  listing.reset();
  path.resize(base);

  if (!Stopping() && localCount > 0) {
    auto group = std::make_unique<CMyFolder>();
    CMyFolder* groupNode = group.get();
    group->SetOwnFiles(localCount, localBytes);
    node.AddChild(std::move(group));
    groupNode->SetKind(CMyFolder::kKindFileGroup);
    auto info = std::make_unique<TreeItemInfo>();
    info->folder = groupNode;
    if (Stopping()) return;
    rows_.InsertChildRow(parentRow, std::move(info));
  }
  notifier_.PostProgress(kScanProgressStep, ++foldersDone_);
  std::this_thread::yield();
}

}  // namespace diskview
