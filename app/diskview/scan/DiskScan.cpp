#include "app/diskview/scan/DiskScan.h"

#include <chrono>
#include <system_error>
#include <vector>

#include "app/diskview/scan/ntfs/MftVolume.h"
#include "app/diskview/scan/ScanMessages.h"
#include "app/diskview/scan/ScanTrace.h"

namespace diskview {
namespace {

// A completion post that fails (a full queue) is tried again this often,
// this many times; past that the view sees Completed() on its timer.
constexpr std::chrono::milliseconds kRepostDelay{20};
constexpr int kRepostTries = 250;

}  // namespace

ScanJob::ScanJob(std::shared_ptr<platform::DirEnumerator> dirs, ScanRowSink& rows,
                 ScanNotifier& notifier, CMyFolder& target, int slot, int threads)
    : dirs_(std::move(dirs)),
      rows_(rows),
      notifier_(notifier),
      target_(target),
      root_(target.GetName()),
      path_(root_),
      slot_(slot),
      threads_(threads) {
  // A folder path must end in the separator, or the listing would match the
  // folder's siblings instead.
  if (!path_.empty() && path_.back() != dirs_->Separator() && path_.back() != '/') {
    path_.push_back(dirs_->Separator());
  }
}

template <class Call>
bool ScanJob::Through(Call&& call) {
  {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    ++inside_;
  }
  struct Leave {
    ScanJob& job;
    ~Leave() {
      std::lock_guard lock(job.mutex_);
      --job.inside_;
      job.changed_.notify_all();
    }
  } leave{*this};
  call();
  return true;
}

ScanRowSink::Row ScanJob::AddRow(ScanRowSink::Row parent, std::unique_ptr<TreeItemInfo> info) {
  ScanRowSink::Row row = 0;
  Through([&] { row = rows_.InsertChildRow(parent, std::move(info)); });
  return row;
}

void ScanJob::Notify(unsigned code, std::intptr_t value) {
  // The per-folder post is a hook nobody handles: one that finds the queue
  // full is dropped, never retried.
  Through([&] { notifier_.PostProgress(code, value); });
}

DiskScan::DiskScan(platform::DirEnumerator& dirs, ScanRowSink& rows, ScanNotifier& notifier)
    : dirs_(&dirs, [](platform::DirEnumerator*) {}),
      ownsDirs_(false),
      rows_(rows),
      notifier_(notifier) {}

DiskScan::DiskScan(std::shared_ptr<platform::DirEnumerator> dirs, ScanRowSink& rows,
                   ScanNotifier& notifier)
    : dirs_(std::move(dirs)), ownsDirs_(true), rows_(rows), notifier_(notifier) {}

DiskScan::~DiskScan() {
  StopScan();
  EndWorker();
  // Workers left behind touch nothing of ours but a borrowed enumerator.
  if (ownsDirs_) return;
  for (const auto& job : leftBehind_) {
    std::unique_lock lock(job->mutex_);
    job->changed_.wait(lock, [&] { return job->ended_; });
  }
}

int DiskScan::DefaultThreads() {
  const unsigned hardware = std::thread::hardware_concurrency();
  if (hardware == 0) return 1;
  return hardware < kMaxDefaultThreads ? static_cast<int>(hardware) : kMaxDefaultThreads;
}

std::shared_ptr<ScanJob> DiskScan::Job() const {
  std::lock_guard lock(mutex_);
  return job_;
}

bool DiskScan::JobState(bool ScanJob::*state, bool withoutJob) const {
  const auto job = Job();
  if (!job) return withoutJob;
  std::lock_guard lock(job->mutex_);
  return (*job).*state;
}

bool DiskScan::IsScanning() const { return JobState(&ScanJob::running_, false); }

bool DiskScan::Completed() const { return JobState(&ScanJob::completed_, false); }

bool DiskScan::WorkerEnded() const { return JobState(&ScanJob::ended_, true); }

bool DiskScan::ReadTable() const {
  const auto job = Job();
  return job && job->ReadTable();
}

std::optional<ntfs::LoadResult> DiskScan::TableResult() const {
  const auto job = Job();
  return job ? job->TableResult() : std::nullopt;
}

int DiskScan::StopFlag() const {
  const auto job = Job();
  return job ? job->StopFlag() : kRunOn;
}

double DiskScan::ProgressBytes() const {
  const auto job = Job();
  return job ? job->ProgressBytes() : 0.0;
}

std::intptr_t DiskScan::ProgressFolders() const {
  const auto job = Job();
  return job ? job->ProgressFolders() : 0;
}

void DiskScan::Reap() {
  std::erase_if(leftBehind_, [](const std::shared_ptr<ScanJob>& job) {
    std::lock_guard lock(job->mutex_);
    return job->ended_;
  });
}

bool DiskScan::SlotHangs(int slot) {
  Reap();
  for (const auto& job : leftBehind_) {
    // One that completed (never stopped) is only finishing its last calls.
    if (job->Slot() == slot && job->Stopping()) return true;
  }
  return false;
}

int DiskScan::WorkersLeftBehind() {
  Reap();
  return static_cast<int>(leftBehind_.size());
}

void DiskScan::WaitForWorker() {
  if (waiting_ || !thread_.joinable()) return;
  const auto job = Job();
  waiting_ = true;
  for (;;) {
    notifier_.PumpPendingMessages();
    std::unique_lock lock(job->mutex_);
    if (job->changed_.wait_for(lock, std::chrono::milliseconds(2), [&] { return job->ended_; })) {
      break;
    }
  }
  thread_.join();
  waiting_ = false;
}

bool DiskScan::EndWorker() {
  if (waiting_ || !thread_.joinable()) return true;
  const auto job = Job();
  const auto deadline = std::chrono::steady_clock::now() + stopWait_;
  bool ended = false;
  waiting_ = true;
  for (;;) {
    notifier_.PumpPendingMessages();
    std::unique_lock lock(job->mutex_);
    ended = job->changed_.wait_for(lock, std::chrono::milliseconds(2), [&] { return job->ended_; });
    if (ended || std::chrono::steady_clock::now() >= deadline) break;
  }
  if (ended) {
    thread_.join();
  } else {
    // Blocked in the system (a listing of a drive that hangs): it finishes
    // on its own, holding its job.
    CloseGate(*job);
    thread_.detach();
    leftBehind_.push_back(job);
  }
  waiting_ = false;
  return ended;
}

void DiskScan::CloseGate(ScanJob& job) {
  std::unique_lock lock(job.mutex_);
  job.open_ = false;
  // A call in progress waits only for this thread (a row sent to it).
  while (job.inside_ > 0) {
    lock.unlock();
    notifier_.PumpPendingMessages();
    lock.lock();
    job.changed_.wait_for(lock, std::chrono::milliseconds(2), [&] { return job.inside_ == 0; });
  }
}

void DiskScan::StartScan(int slot) {
  const unsigned doneMessage = ScanDoneMessage(slot);
  if (waiting_ || IsScanning() || root_ == nullptr) return;
  if (doneMessage != 0 && SlotHangs(slot)) return;
  // A worker that has completed may still be finishing its last calls.
  EndWorker();
  ScanTrace::Mark("scan-start", slot);

  rows_.DeleteAllRows();
  // The last tree can hold millions of nodes: the worker frees it.
  auto previous = std::make_unique<CMyFolder>();
  previous->TakeContentsOf(*root_);
  root_->Clear();
  root_->SetSorted(false);
  auto job = std::make_shared<ScanJob>(dirs_, rows_, notifier_, *root_, slot, threads_);
  job->previous_ = std::move(previous);
  job->volumes_ = openVolume_;

  auto info = std::make_unique<TreeItemInfo>();
  info->folder = root_;
  job->rootRow_ = rows_.InsertRootRow(std::move(info));
  if (job->rootRow_ == 0) return;
  rows_.ExpandRow(job->rootRow_);

  // Another slot number resets the tree like any start but runs no worker.
  if (doneMessage == 0) {
    std::lock_guard lock(job->mutex_);
    job->running_ = false;
    job->ended_ = true;
  }
  {
    std::lock_guard lock(mutex_);
    job_ = job;
  }
  if (doneMessage == 0) return;
  try {
    thread_ = std::thread(Work, job);
  } catch (const std::system_error&) {
    // No thread could be made: nothing runs, so nothing is scanning.
    std::lock_guard lock(job->mutex_);
    job->running_ = false;
    job->ended_ = true;
  }
}

void DiskScan::StopScan() {
  const auto job = Job();
  if (waiting_ || !job) return;
  {
    std::lock_guard lock(job->mutex_);
    if (!job->running_) return;
    job->stop_.store(kStopRequested);
  }
  const bool ended = EndWorker();
  {
    std::lock_guard lock(job->mutex_);
    job->running_ = false;
  }
  // The rows point into the tree of a worker left behind, which goes with it.
  if (!ended) rows_.DeleteAllRows();
  notifier_.PostProgress(kScanProgressEnd, 0);
}

void DiskScan::Work(const std::shared_ptr<ScanJob>& owner) {
  ScanJob& job = *owner;
  bool failed = false;
  try {
    job.previous_.reset();
    job.Notify(kScanProgressStart, kScanProgressStartParam);
    job.Notify(kScanProgressStep, 0);
    WalkFolders(job);
    ScanTrace::Mark("walk-end", job.ProgressFolders());
    job.Through([&] { job.rows_.FlushRows(); });
    ScanTrace::Mark("rows-handed");
  } catch (...) {
    // Out of memory on a huge drive, say: end as a stopped scan ends (one
    // end notification, no completion) rather than take the program down.
    failed = true;
  }
  // The tree goes to the caller's root, whole or partial; the root is marked
  // finished last, so readers never total it half moved.
  job.Through([&] {
    job.target_.TakeContentsOf(job.tree_);
    job.target_.SetKind(CMyFolder::kKindFolder);
  });
  bool completed = false;
  bool endNow = false;
  {
    std::lock_guard lock(job.mutex_);
    if (!job.Stopping()) {  // else StopScan posts the end notification
      job.running_ = false;
      completed = !failed;
      endNow = failed;
    }
  }
  if (completed) {
    job.Through([&] {
      job.rows_.RedrawNow();
      job.rows_.SelectRootIfNoneSelected();
    });
    {
      // Only now: the rows are all there and the root selected.
      std::lock_guard lock(job.mutex_);
      job.completed_ = true;
    }
    // A full queue refuses the post and drains while we wait, outside the
    // gate, so a stop never waits on this.
    const unsigned doneMessage = ScanDoneMessage(job.slot_);
    bool posted = false;
    for (int i = 0; i < kRepostTries; ++i) {
      if (!job.Through([&] { posted = job.notifier_.PostCompletion(doneMessage); }) || posted) {
        break;
      }
      std::this_thread::sleep_for(kRepostDelay);
    }
    endNow = true;
  }
  if (endNow) job.Notify(kScanProgressEnd, 0);
  std::lock_guard lock(job.mutex_);
  job.ended_ = true;
  job.changed_.notify_all();
}

namespace {

// Where the walk's folders come from. `Folder` is one open folder's state;
// Next gives its entries in order, OpenChild opens the subfolder of the
// entry Next gave last (one the walk enters: platform::Enterable), and
// Leave ends the folder's walk.
//
// The file system's listings, read ahead by reader threads (joined when
// this goes).
class ListedFolders {
 public:
  using Job = FolderReadAhead::Job;
  struct Folder {
    Job* job = nullptr;
    const FolderReadAhead::Result* listing = nullptr;
    std::size_t nextEntry = 0;
    std::size_t nextJob = 0;  // its next subfolder's job
    bool exhausted = false;   // every entry was walked
  };
  // A walk gives way after each folder.
  static constexpr bool kYield = true;

  ListedFolders(platform::DirEnumerator& dirs, const std::atomic<int>& stopFlag, int readers)
      : folders_(dirs, stopFlag, readers) {}
  bool OpenRoot(const std::string& path, Folder& out) { return Open(folders_.Root(path), path, out); }
  bool OpenChild(Folder& parent, const std::string& path, Folder& out) {
    if (parent.nextJob == FolderReadAhead::ChildCount(*parent.job)) return false;
    return Open(FolderReadAhead::Child(*parent.job, parent.nextJob++), path, out);
  }
  bool Next(Folder& f, platform::DirEntry& out) {
    if (f.nextEntry == f.listing->Size()) {
      f.exhausted = true;
      return false;
    }
    out = f.listing->At(f.nextEntry++);
    return true;
  }
  // After a stop, readers may still hold jobs below; those go with the
  // read-ahead.
  static void Leave(Folder& f) {
    if (f.exhausted) FolderReadAhead::Finished(*f.job);
  }

 private:
  bool Open(Job& job, const std::string& path, Folder& out) {
    out.job = &job;
    out.listing = folders_.Take(job, path);
    return out.listing != nullptr;
  }
  FolderReadAhead folders_;
};

// A volume's folders from its master file table, all in memory: walked in
// place, with nothing to read ahead and nothing copied.
class TableFolders {
 public:
  struct Folder {
    ntfs::MftVolume::Cursor cursor;
  };
  // No folder to wait for, and on a busy machine each yield can cost a time
  // slice.
  static constexpr bool kYield = false;

  explicit TableFolders(ntfs::MftVolume& table) : table_(table) {}
  bool OpenRoot(const std::string&, Folder& out) {
    return table_.OpenFolder(ntfs::MftVolume::kRootRecord, out.cursor);
  }
  bool OpenChild(Folder& parent, const std::string&, Folder& out) {
    return table_.OpenFolder(parent.cursor.record, out.cursor);
  }
  bool Next(Folder& f, platform::DirEntry& out) { return table_.NextEntry(f.cursor, out); }
  static void Leave(Folder&) {}

 private:
  ntfs::MftVolume& table_;
};

// Depth first, one frame per open folder. The frames live on the heap, not
// the call stack: a folder chain thousands deep (possible within the long
// path limit) must not overflow the worker's stack. The order of rows and
// stop checks is that of the plain recursive walk:
//   open the folder (unless stopping); for each entry: a subfolder gets its
//   node and row, then is walked, then marked finished; a file is counted;
//   then the stop check. After the last entry: the file group (node, then
//   row) unless stopping, then the step notification (throttled: ProgressThrottle).
template <class Folders>
void Walk(ScanJob& scan, Folders& folders) {
  CMyFolder& top = scan.Tree();
  std::string path = scan.Path();
  const ScanRowSink::Row topRow = scan.RootRow();
  struct Frame {
    CMyFolder* node;
    typename Folders::Folder folder;
    std::size_t base;       // length of this folder's path
    ScanRowSink::Row row;   // the row its children go under
    int localCount = 0;
    double localBytes = 0.0;
    bool ending = false;    // a stop was seen on return from a subfolder
  };
  std::vector<Frame> frames;
  ProgressThrottle throttle;
  std::int64_t posts = 0;
  struct Posted {
    const std::int64_t& posts;
    ~Posted() { ScanTrace::Mark("progress-posts", posts); }
  } posted{posts};
  // `open` fills the folder's state; the node stays empty, and nothing is
  // reported, when it cannot.
  auto enter = [&](CMyFolder& node, ScanRowSink::Row row, auto&& open) {
    if (scan.Stopping()) return false;
    typename Folders::Folder folder;
    if (!open(folder)) return false;
    frames.push_back({&node, folder, path.size(), row});
    return true;
  };
  // The end of a folder's walk, however the loop over its entries ended.
  auto leave = [&](Frame& f) {
    Folders::Leave(f.folder);
    path.resize(f.base);
    if (!scan.Stopping() && f.localCount > 0) {
      auto group = std::make_unique<CMyFolder>();
      CMyFolder* groupNode = group.get();
      group->SetOwnFiles(f.localCount, f.localBytes);
      f.node->AddChild(std::move(group));
      groupNode->SetKind(CMyFolder::kKindFileGroup);
      auto info = std::make_unique<TreeItemInfo>();
      info->folder = groupNode;
      if (scan.Stopping()) return;
      scan.AddRow(f.row, std::move(info));
    }
    const std::intptr_t done = scan.FolderDone();
    // The root is the last folder to finish.
    if (throttle.Due(ProgressThrottle::Clock::now(), frames.size() == 1)) {
      scan.Notify(kScanProgressStep, done);
      ++posts;
    }
    if constexpr (Folders::kYield) std::this_thread::yield();
  };

  if (!enter(top, topRow, [&](auto& out) { return folders.OpenRoot(path, out); })) return;
  const char separator = scan.Dirs().Separator();
  platform::DirEntry entry;
  while (!frames.empty()) {
    Frame& f = frames.back();
    bool descended = false;
    while (!f.ending && folders.Next(f.folder, entry)) {
      if (entry.directory) {
        if (entry.name != "." && entry.name != "..") {
          auto owned = std::make_unique<CMyFolder>();
          CMyFolder* child = owned.get();
          child->AssignName(std::string(entry.name));
          f.node->AddChild(std::move(owned));
          // A link or mount point is listed as an empty folder: its target
          // is counted where it lives, and link loops cannot recurse. So is
          // a folder no path reaches (platform::Enterable).
          const bool descend = platform::Enterable(entry, separator);
          path.append(entry.name);
          path.push_back(separator);
          if (scan.Stopping()) break;
          auto info = std::make_unique<TreeItemInfo>();
          info->folder = child;
          if (scan.Stopping()) break;
          const ScanRowSink::Row row = scan.AddRow(f.row, std::move(info));
          if (descend &&
              enter(*child, row, [&](auto& out) { return folders.OpenChild(f.folder, path, out); })) {
            descended = true;  // `f` may have moved; resume it later
            break;
          }
          child->SetKind(CMyFolder::kKindFolder);
          path.resize(f.base);
        }
      } else {
        const double bytes = static_cast<double>(entry.size);
        f.node->AddFile(entry.size);
        f.localBytes += bytes;
        ++f.localCount;
        scan.AddProgressBytes(bytes);
      }
      if (scan.Stopping()) break;
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
      if (scan.Stopping()) parent.ending = true;
    }
  }
}

}  // namespace

void WalkFolders(ScanJob& scan) {
  // An NTFS drive's folders come from its master file table when it can be
  // read; otherwise, or after a stop during the read, the walk lists them
  // as always.
  std::unique_ptr<ntfs::MftVolume> table;
  if (scan.Volumes()) {
    if (auto source = scan.Volumes()(scan.Root())) {
      table = std::make_unique<ntfs::MftVolume>();
      table->KeepFileNames(false);  // the walk counts files, it never names them
      const ntfs::LoadResult result = table->Load(*source, [&scan] { return scan.Stopping(); });
      scan.SetTableResult(result);
      ScanTrace::Mark("table-loaded", static_cast<int>(result));
      if (result != ntfs::LoadResult::kOk) table.reset();
    }
  }
  if (table) {
    scan.SetReadTable();
    TableFolders folders(*table);
    Walk(scan, folders);
  } else {
    ListedFolders folders(scan.Dirs(), scan.StopToken(), scan.Threads() - 1);
    Walk(scan, folders);
  }
}

}  // namespace diskview
